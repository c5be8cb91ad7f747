// The log's file mechanics on the in-memory file system: the same checks and outcome, the
// rename and the appends done on the file system's names.
#pragma once

#include "platform/log_file.h"
#include "tests/memory/memory_file_system.h"

class MemoryLogFiles : public LogFiles {
 public:
  explicit MemoryLogFiles(MemoryFileSystem& files) : files_(files) {}
  std::unique_ptr<LogFile> Create(const std::string& folder, const std::string& temporary, const std::string& name,
                                  long* error) override;

 private:
  MemoryFileSystem& files_;
};
