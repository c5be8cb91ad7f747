// The calls of Win32FileSystem that read and write a file's bytes.
#include <windows.h>

#include <algorithm>

#include "platform/win32/win32_file_system.h"

namespace {

long LastError() { return static_cast<long>(GetLastError()); }

}  // namespace

long Win32FileSystem::ReadFile(const std::string& path, std::string* bytes) {
  bytes->clear();
  // No writer may change the file while it is read.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  long rc = kOk;
  char buffer[1 << 16];
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file, buffer, sizeof buffer, &read, nullptr)) {
      rc = LastError();
      break;
    }
    if (read == 0) break;
    bytes->append(buffer, read);
  }
  CloseHandle(file);
  if (rc != kOk) bytes->clear();
  return rc;
}

long Win32FileSystem::WriteNewFile(const std::string& path, const std::string& bytes) {
  // CREATE_NEW fails for anything already there; with the flag a link counts as there, even
  // one that leads nowhere.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  long rc = kOk;
  for (size_t done = 0; done < bytes.size() && rc == kOk;) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) {
      rc = LastError();
    } else if (written == 0) {
      rc = ERROR_WRITE_FAULT;
    }
    done += written;
  }
  if (!CloseHandle(file) && rc == kOk) rc = LastError();
  // Half a file is no file.
  if (rc != kOk) DeleteFileA(path.c_str());
  return rc;
}

long Win32FileSystem::Stamp(const std::string& path, FileStamp* stamp) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return LastError();
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_ACCESS_DENIED;
  stamp->size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  stamp->lastWrite = (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
  return kOk;
}
