#include "platform/win32/win32_processes.h"

#include "platform/win_types.h"

// windows.h first: tlhelp32.h relies on its types.
#include <windows.h>
#include <tlhelp32.h>

// Tool Help defines the 8-bit names as macros for the W functions under UNICODE.
#undef PROCESSENTRY32
#undef Process32First
#undef Process32Next

namespace {

class Win32Snapshot : public ProcessSnapshot {
 public:
  explicit Win32Snapshot(HANDLE snapshot) : snapshot_(snapshot) {}
  ~Win32Snapshot() override { CloseHandle(snapshot_); }
  Win32Snapshot(const Win32Snapshot&) = delete;
  Win32Snapshot& operator=(const Win32Snapshot&) = delete;

  bool First(std::string* exeName) override { return Read(Process32First, exeName); }
  bool Next(std::string* exeName) override { return Read(Process32Next, exeName); }

 private:
  bool Read(BOOL(WINAPI* step)(HANDLE, PROCESSENTRY32*), std::string* exeName) {
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    if (!step(snapshot_, &entry)) return false;
    *exeName = entry.szExeFile;
    return true;
  }

  HANDLE snapshot_;
};

}  // namespace

std::unique_ptr<ProcessSnapshot> Win32ProcessList::Take() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32Snapshot>(snapshot);
}

long Win32ProcessList::Run(const std::string& commandLine, int* exitCode) {
  std::string line = commandLine;  // CreateProcessA may write into it
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return static_cast<long>(GetLastError());
  }
  CloseHandle(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  const BOOL read = GetExitCodeProcess(process.hProcess, &code);
  const long result = read ? kOk : static_cast<long>(GetLastError());
  CloseHandle(process.hProcess);
  *exitCode = static_cast<int>(code);
  return result;
}
