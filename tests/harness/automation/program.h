// Starting a program under test and following it until it ends.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace automation {

class Program {
 public:
  Program() = default;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  Program(Program&& other) noexcept;
  Program& operator=(Program&& other) noexcept;
  ~Program();  // closes the handle only: the program keeps running

  // Starts `exePath` (UTF-8, a Windows path) with `args`, in `workFolder` when not empty.
  // Throws std::runtime_error when the program cannot be started.
  static Program Start(const std::string& exePath, const std::vector<std::string>& args = {},
                       const std::string& workFolder = std::string());
  // Follows a program that something else started; false when no such process exists.
  static bool Attach(DWORD pid, Program* program);

  DWORD Pid() const { return pid_; }
  HANDLE Handle() const { return handle_; }
  bool IsRunning() const;
  // True when the program ended within the timeout.
  bool WaitForExit(DWORD timeoutMs) const;
  // The exit code; STILL_ACTIVE (259) while it runs.
  DWORD ExitCode() const;
  // For a test that fails half-way: leaves no program behind for the next case.
  void TerminateIfRunning(UINT exitCode = 0xDEAD);

 private:
  DWORD pid_ = 0;
  HANDLE handle_ = nullptr;
};

// A command line whose arguments reach the program's argv unchanged (the C runtime's quoting).
std::wstring QuoteCommandLine(const std::vector<std::wstring>& args);

}  // namespace automation
