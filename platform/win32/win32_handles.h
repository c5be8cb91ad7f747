// Small helpers the Win32FileSystem files share: a file or folder opened as itself, its handle
// closed on leaving, and whether it leads elsewhere.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/file_system.h"

inline long Result(BOOL ok) { return ok ? kOk : static_cast<long>(GetLastError()); }

// The file or folder itself: a junction or symbolic link is opened, not followed.
inline HANDLE OpenItself(const std::string& path, DWORD access, DWORD share) {
  return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// `pathAttributes`: what GetFileAttributesA says of the path itself.
inline bool HandleIsRedirection(HANDLE handle, DWORD pathAttributes) {
  FILE_ATTRIBUTE_TAG_INFO info = {};
  // Without the tag, any reparse point counts: the folder might lead elsewhere.
  if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info)) return true;
  if (IsRedirection(info.FileAttributes, info.ReparseTag)) return true;
  // The path is a reparse point but the handle is not: the open followed it after all (Wine
  // does, for a symbolic link), so the path leads elsewhere.
  return pathAttributes != INVALID_FILE_ATTRIBUTES && (pathAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// The owner of what the handle (opened with READ_CONTROL) names (win32_folder_security.cpp).
Ownership OwnerOfHandle(HANDLE handle);

// The folder itself, opened without delete sharing so that nobody renames or removes it while the
// handle lives (win32_held_files.cpp). Null, with the code in *error, for a junction or symbolic
// link (kErrReparsePointEncountered), a file (kErrDirectory) or what cannot be opened.
UniqueHandle OpenFolderItself(const std::string& path, DWORD access, long* error);
