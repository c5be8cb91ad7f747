#include "platform/win32/win32_log_files.h"

#include <windows.h>

#include <vector>

namespace {

class Handle {
 public:
  explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~Handle() {
    if (Valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE Get() const { return handle_; }
  HANDLE Release() {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return handle;
  }

 private:
  HANDLE handle_;
};

class Win32LogFile : public LogFile {
 public:
  Win32LogFile(HANDLE folder, HANDLE file) : folder_(folder), file_(file) {}
  long Append(const std::string& bytes) override {
    DWORD written = 0;
    if (!WriteFile(file_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
      return static_cast<long>(GetLastError());
    }
    return written == bytes.size() ? 0 : ERROR_WRITE_FAULT;
  }

 private:
  Handle folder_;  // held: nobody renames or replaces the folder while the log is written
  Handle file_;
};

std::wstring Wide(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(length, L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

// The new file goes again through its own handle: nothing is deleted by name.
void DeleteThrough(HANDLE file) {
  FILE_DISPOSITION_INFO disposition = {TRUE};
  SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

// `name` in the folder `folder`, through the file's handle: the rename names no path above it.
bool RenameThrough(HANDLE file, HANDLE folder, const std::string& name) {
  const std::wstring wide = Wide(name);
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + wide.size() * sizeof(wchar_t));
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = folder;
  info->FileNameLength = static_cast<DWORD>(wide.size() * sizeof(wchar_t));
  wide.copy(info->FileName, wide.size());
  if (SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(buffer.size()))) return true;
  if (GetLastError() != ERROR_INVALID_PARAMETER) return false;
  // Wine's kernelbase takes no name relative to a folder's handle; its ntdll, like Windows', does.
  // FILE_RENAME_INFO has the layout of the native FILE_RENAME_INFORMATION.
  struct IoStatus {
    void* status;
    ULONG_PTR information;
  } io = {};
  using SetInformation = LONG(NTAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
  using ToDosError = ULONG(NTAPI*)(LONG);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  auto set = reinterpret_cast<SetInformation>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtSetInformationFile")));
  auto dosError = reinterpret_cast<ToDosError>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlNtStatusToDosError")));
  if (!set || !dosError) return false;
  constexpr int kFileRenameInformation = 10;
  const LONG status = set(file, &io, info, static_cast<ULONG>(buffer.size()), kFileRenameInformation);
  SetLastError(dosError(status));
  return status >= 0;
}

}  // namespace

std::unique_ptr<LogFile> Win32LogFiles::Create(const std::string& folder, const std::string& temporary,
                                               const std::string& name, long* error) {
  // No delete sharing: while the log is open its folder stays the one checked.
  Handle dir(CreateFileA(folder.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!dir.Valid()) {
    *error = static_cast<long>(GetLastError());
    return nullptr;
  }
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!GetFileInformationByHandle(dir.Get(), &info)) {
    *error = static_cast<long>(GetLastError());
    return nullptr;
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    *error = kErrReparsePointEncountered;
    return nullptr;
  }
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    *error = ERROR_DIRECTORY;
    return nullptr;
  }

  // CREATE_NEW fails on anything already there, a link included.
  Handle file(CreateFileA((folder + "\\" + temporary).c_str(), GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES,
                          FILE_SHARE_READ, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.Valid()) {
    *error = static_cast<long>(GetLastError());
    return nullptr;
  }
  // A hard link made to it meanwhile would let its other name be read or kept.
  if (!GetFileInformationByHandle(file.Get(), &info) || info.nNumberOfLinks != 1 ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    *error = ERROR_ACCESS_DENIED;
    DeleteThrough(file.Get());
    return nullptr;
  }
  if (!RenameThrough(file.Get(), dir.Get(), name)) {
    *error = static_cast<long>(GetLastError());
    DeleteThrough(file.Get());
    return nullptr;
  }
  HANDLE folderHandle = dir.Release();
  return std::make_unique<Win32LogFile>(folderHandle, file.Release());
}
