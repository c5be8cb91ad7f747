#include "app/install_log_file.h"

#include <windows.h>

namespace {

std::wstring Wide(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(length, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(length, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], length, nullptr, nullptr);
  return text;
}

// An existing file that is a link of any kind: writing it would write somewhere else.
bool IsLinked(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) return true;
  HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return true;
  BY_HANDLE_FILE_INFORMATION info = {};
  const bool linked = !GetFileInformationByHandle(file, &info) || info.nNumberOfLinks > 1 ||
                      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  CloseHandle(file);
  return linked;
}

}  // namespace

InstallLogFile::~InstallLogFile() {
  if (handle_) CloseHandle(handle_);
}

bool InstallLogFile::Open(const std::string& path) {
  const std::wstring wide = Wide(path);
  if (wide.empty() || IsLinked(wide)) return false;
  // Should a link appear after the check, the flag opens the link itself, never its target.
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = file;
  return true;
}

void InstallLogFile::Write(const std::vector<std::string>& lines) {
  if (!handle_) return;
  std::string text;
  for (const std::string& line : lines) text += Utf8(Wide(line)) + "\r\n";
  DWORD written = 0;
  WriteFile(handle_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
