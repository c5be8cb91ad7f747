// What the Win32FileSystem files that read and write security share: who counts as the
// administration, descriptors from SDDL text, and the hold of an open file or folder.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/file_system.h"

struct LocalFreer {
  void operator()(void* memory) const { LocalFree(memory); }
};
using LocalMemory = std::unique_ptr<void, LocalFreer>;

// Administrators, SYSTEM, TrustedInstaller, or the administrator running the setup.
bool IsAdministration(PSID sid);

// A descriptor from SDDL text; LocalFree'd with the holder. Null on failure (GetLastError tells).
PSECURITY_DESCRIPTOR FromSddl(const std::string& sddl, LocalMemory* holder);

// Gives the open file or folder the owner and the protected DACL of `sddl`.
long ApplyDescriptor(HANDLE handle, const std::string& sddl);

class Win32FolderHold : public FolderHold {
 public:
  explicit Win32FolderHold(HANDLE handle) : handle_(handle) {}
  ~Win32FolderHold() override { CloseHandle(handle_); }
  Win32FolderHold(const Win32FolderHold&) = delete;
  Win32FolderHold& operator=(const Win32FolderHold&) = delete;
  HANDLE Handle() const { return handle_; }

 private:
  HANDLE handle_;
};
