// Win32FileSystem's opens that hold a file or folder as itself: the running program read through
// the handle it opened at start-up, and the uninstall's folders checked and removed through theirs.
#include <windows.h>

#include <memory>

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_handles.h"

namespace {

class Win32HeldFile : public HeldFile {
 public:
  explicit Win32HeldFile(HANDLE handle) : handle_(handle) {}

  long Read(std::string* bytes) override {
    bytes->clear();
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(handle_.get(), start, nullptr, FILE_BEGIN)) return static_cast<long>(GetLastError());
    char buffer[1 << 16];
    for (;;) {
      DWORD read = 0;
      if (!::ReadFile(handle_.get(), buffer, sizeof buffer, &read, nullptr)) {
        bytes->clear();
        return static_cast<long>(GetLastError());
      }
      if (read == 0) return kOk;
      bytes->append(buffer, read);
    }
  }

 private:
  UniqueHandle handle_;
};

class Win32HeldFolder : public HeldFolder {
 public:
  Win32HeldFolder(HANDLE handle, bool forRemoval) : handle_(handle), forRemoval_(forRemoval) {}

  Ownership Owner() override { return handle_ ? OwnerOfHandle(handle_.get()) : Ownership::Other; }

  long Remove() override {
    if (!forRemoval_ || !handle_) return kErrAccessDenied;
    FILE_DISPOSITION_INFO disposition = {TRUE};
    if (!SetFileInformationByHandle(handle_.get(), FileDispositionInfo, &disposition, sizeof disposition)) {
      return static_cast<long>(GetLastError());
    }
    // The folder goes when its last handle closes: its parent may be removed next.
    handle_.reset();
    return kOk;
  }

 private:
  UniqueHandle handle_;
  bool forRemoval_;
};

// Whether what the handle names is a folder; false also when that cannot be told.
bool IsFolder(HANDLE handle) {
  FILE_ATTRIBUTE_TAG_INFO info = {};
  return GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info) &&
         (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

UniqueHandle OpenFolderItself(const std::string& path, DWORD access, long* error) {
  const DWORD pathAttributes = GetFileAttributesA(path.c_str());
  UniqueHandle handle(OpenItself(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE));
  if (handle.get() == INVALID_HANDLE_VALUE) {
    handle.release();
    *error = static_cast<long>(GetLastError());
    return nullptr;
  }
  if (HandleIsRedirection(handle.get(), pathAttributes)) {
    *error = kErrReparsePointEncountered;
    return nullptr;
  }
  if (!IsFolder(handle.get())) {
    *error = kErrDirectory;
    return nullptr;
  }
  *error = kOk;
  return handle;
}

std::unique_ptr<HeldFile> Win32FileSystem::HoldFile(const std::string& path, long* error) {
  const DWORD pathAttributes = GetFileAttributesA(path.c_str());
  // Without FILE_FLAG_BACKUP_SEMANTICS a folder does not open.
  UniqueHandle handle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (handle.get() == INVALID_HANDLE_VALUE) {
    handle.release();
    *error = static_cast<long>(GetLastError());
    return nullptr;
  }
  if (HandleIsRedirection(handle.get(), pathAttributes)) {
    *error = kErrReparsePointEncountered;
    return nullptr;
  }
  *error = kOk;
  return std::make_unique<Win32HeldFile>(handle.release());
}

std::unique_ptr<HeldFolder> Win32FileSystem::HoldFolder(const std::string& path, bool forRemoval, long* error) {
  UniqueHandle handle = OpenFolderItself(path, READ_CONTROL | FILE_READ_ATTRIBUTES | (forRemoval ? DELETE : 0), error);
  if (!handle) return nullptr;
  return std::make_unique<Win32HeldFolder>(handle.release(), forRemoval);
}
