// The log's file mechanics through kernel32: handles, never a second look by name.
#pragma once

#include "platform/log_file.h"
#include "platform/win_types.h"

class Win32LogFiles : public LogFiles {
 public:
  std::unique_ptr<LogFile> Create(const std::string& folder, const std::string& temporary, const std::string& name,
                                  long* error) override;
};
