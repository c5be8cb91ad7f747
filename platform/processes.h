// The Tool Help process snapshot as the logic sees it.
#pragma once

#include <memory>
#include <string>

// One snapshot (CreateToolhelp32Snapshot); destroying it closes the handle.
class ProcessSnapshot {
 public:
  virtual ~ProcessSnapshot() = default;
  // Process32First / Process32Next: the executable's file name (szExeFile), or false.
  virtual bool First(std::string* exeName) = 0;
  virtual bool Next(std::string* exeName) = 0;
};

class ProcessList {
 public:
  virtual ~ProcessList() = default;
  // Null when no snapshot can be taken (INVALID_HANDLE_VALUE).
  virtual std::unique_ptr<ProcessSnapshot> Take() = 0;
  // CreateProcessA with this command line (the program's quoted path first), then waits for it
  // to end: its exit code goes into *exitCode. The code of CreateProcessA when it cannot start.
  virtual long Run(const std::string& commandLine, int* exitCode) = 0;
};
