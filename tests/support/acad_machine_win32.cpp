#include <windows.h>

#include "tests/support/acad_machine_sinks.h"

namespace acadmachine {

bool Win32FileSink::Folder(const std::string& path) {
  // One level at a time, as CreateDirectoryA makes them; the drive root is there already.
  for (size_t end = path.find('\\', 3); ; end = path.find('\\', end + 1)) {
    const std::string level = path.substr(0, end);
    if (!CreateDirectoryA(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    if (end == std::string::npos) return true;
  }
}

bool Win32FileSink::File(const std::string& path, const std::string& content) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                  written == content.size();
  return CloseHandle(file) && ok;
}

}  // namespace acadmachine
