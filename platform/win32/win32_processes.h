// The process list through Tool Help snapshots (8-bit PROCESSENTRY32).
#pragma once

#include "platform/processes.h"

class Win32ProcessList : public ProcessList {
 public:
  std::unique_ptr<ProcessSnapshot> Take() override;
  long Run(const std::string& commandLine, int* exitCode) override;
};
