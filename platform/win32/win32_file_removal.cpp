// Win32FileSystem's removals of folders and of files in use.
#include "platform/win32/win32_file_system.h"

#include <windows.h>

#undef RemoveDirectory  // windows.h's macro: the seam's call is defined here

long Win32FileSystem::RemoveDirectory(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) ? kOk : static_cast<long>(GetLastError());
}

long Win32FileSystem::RemoveAtRestart(const std::string& path) {
  return MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) ? kOk : static_cast<long>(GetLastError());
}
