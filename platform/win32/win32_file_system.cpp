#include "platform/win32/win32_file_system.h"

#include <windows.h>
#include <wincrypt.h>

#include <vector>

#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <vector>

namespace {

long Result(BOOL ok) { return ok ? kOk : static_cast<long>(GetLastError()); }

FindEntry ToEntry(const WIN32_FIND_DATAA& data) {
  FindEntry entry;
  entry.name = data.cFileName;
  entry.attributes = data.dwFileAttributes;
  return entry;
}

class Win32Listing : public DirListing {
 public:
  explicit Win32Listing(HANDLE find) : find_(find) {}
  ~Win32Listing() override { FindClose(find_); }
  Win32Listing(const Win32Listing&) = delete;
  Win32Listing& operator=(const Win32Listing&) = delete;

  bool Next(FindEntry* entry) override {
    WIN32_FIND_DATAA data;
    if (!FindNextFileA(find_, &data)) {
      error_ = static_cast<long>(GetLastError());
      return false;
    }
    *entry = ToEntry(data);
    return true;
  }
  long Error() const override { return error_; }

 private:
  HANDLE find_;
  long error_ = kOk;
};

// The file or folder itself: a junction or symbolic link is opened, not followed.
HANDLE OpenItself(const std::string& path, DWORD access, DWORD share) {
  return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct LocalFreer {
  void operator()(void* memory) const { LocalFree(memory); }
};
using LocalMemory = std::unique_ptr<void, LocalFreer>;

// `pathAttributes`: what GetFileAttributesA says of the path itself.
bool HandleIsRedirection(HANDLE handle, DWORD pathAttributes) {
  FILE_ATTRIBUTE_TAG_INFO info = {};
  // Without the tag, any reparse point counts: the folder might lead elsewhere.
  if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info)) return true;
  if (IsRedirection(info.FileAttributes, info.ReparseTag)) return true;
  // The path is a reparse point but the handle is not: the open followed it after all (Wine
  // does, for a symbolic link), so the path leads elsewhere.
  return pathAttributes != INVALID_FILE_ATTRIBUTES && (pathAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// The account this process runs as, when its token is a member of the local Administrators.
bool IsRunningAdministrator(PSID owner) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  UniqueHandle tokenHolder(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size == 0) return false;
  std::vector<unsigned char> buffer(size);
  if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return false;
  if (!EqualSid(owner, reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid)) return false;

  BYTE admins[SECURITY_MAX_SID_SIZE];
  DWORD adminsSize = sizeof admins;
  BOOL member = FALSE;
  return CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &adminsSize) &&
         CheckTokenMembership(nullptr, admins, &member) && member;
}

bool IsAdministration(PSID owner) {
  if (!IsValidSid(owner)) return false;
  if (IsWellKnownSid(owner, WinBuiltinAdministratorsSid) || IsWellKnownSid(owner, WinLocalSystemSid)) return true;
  PSID trustedInstaller = nullptr;
  if (ConvertStringSidToSidA("S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", &trustedInstaller)) {
    LocalMemory holder(trustedInstaller);
    if (EqualSid(owner, trustedInstaller)) return true;
  }
  return IsRunningAdministrator(owner);
}

// A descriptor from SDDL text; LocalFree'd with the holder.
PSECURITY_DESCRIPTOR FromSddl(const std::string& sddl, LocalMemory* holder) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
    return nullptr;
  }
  holder->reset(descriptor);
  return descriptor;
}

class Win32FolderHold : public FolderHold {
 public:
  explicit Win32FolderHold(HANDLE handle) : handle_(handle) {}
  ~Win32FolderHold() override { CloseHandle(handle_); }
  Win32FolderHold(const Win32FolderHold&) = delete;
  Win32FolderHold& operator=(const Win32FolderHold&) = delete;

 private:
  HANDLE handle_;
};

}  // namespace

long Win32FileSystem::MakeSecuredDirectory(const std::string& path, const std::string& sddl) {
  LocalMemory holder;
  PSECURITY_DESCRIPTOR descriptor = FromSddl(sddl, &holder);
  if (!descriptor) return static_cast<long>(GetLastError());
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
  return Result(CreateDirectoryA(path.c_str(), &attributes));
}

std::unique_ptr<FolderHold> Win32FileSystem::Secure(const std::string& path, const std::string& sddl, long* error) {
  const DWORD pathAttributes = GetFileAttributesA(path.c_str());
  // No FILE_SHARE_DELETE: while the handle is open the folder cannot be renamed or removed.
  HANDLE handle = OpenItself(path, READ_CONTROL | WRITE_DAC | WRITE_OWNER | FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE);
  if (handle == INVALID_HANDLE_VALUE) {
    *error = static_cast<long>(GetLastError());
    return nullptr;
  }
  auto hold = std::make_unique<Win32FolderHold>(handle);
  if (HandleIsRedirection(handle, pathAttributes)) {
    *error = kErrReparsePointEncountered;
    return nullptr;
  }
  LocalMemory holder;
  PSECURITY_DESCRIPTOR descriptor = FromSddl(sddl, &holder);
  PSID owner = nullptr;
  PACL dacl = nullptr;
  BOOL defaulted = FALSE, present = FALSE;
  if (!descriptor || !GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) ||
      !GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted)) {
    *error = static_cast<long>(GetLastError());
    return nullptr;
  }
  // Inheritable entries reach what is already inside: files the setup wrote earlier lose the
  // rights they inherited from the old folder.
  const DWORD result = SetSecurityInfo(handle, SE_FILE_OBJECT,
                                       OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                           PROTECTED_DACL_SECURITY_INFORMATION,
                                       owner, nullptr, dacl, nullptr);
  if (result != ERROR_SUCCESS) {
    *error = static_cast<long>(result);
    return nullptr;
  }
  *error = kOk;
  return hold;
}

bool Win32FileSystem::IsRedirection(const std::string& path) {
  const DWORD pathAttributes = GetFileAttributesA(path.c_str());
  // The attributes are those of the last name itself, a link's included (Wine's symbolic links
  // too): without the reparse point there is nothing to follow, and opening it costs three calls
  // more a file.
  if (pathAttributes != INVALID_FILE_ATTRIBUTES && (pathAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return false;
  UniqueHandle handle(OpenItself(path, FILE_READ_ATTRIBUTES, kShareAll));
  if (handle.get() == INVALID_HANDLE_VALUE) {
    handle.release();
    // Nothing there leads anywhere; something that cannot be opened might.
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
  }
  return HandleIsRedirection(handle.get(), pathAttributes);
}

Ownership Win32FileSystem::Owner(const std::string& path) {
  UniqueHandle handle(OpenItself(path, READ_CONTROL, kShareAll));
  if (handle.get() == INVALID_HANDLE_VALUE) {
    handle.release();
    return Ownership::Other;
  }
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(handle.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                      &descriptor) != ERROR_SUCCESS) {
    return Ownership::Other;
  }
  LocalMemory holder(descriptor);
  return owner != nullptr && IsAdministration(owner) ? Ownership::Administration : Ownership::Other;
}

std::unique_ptr<DirListing> Win32FileSystem::FindFirst(const std::string& pattern, FindEntry* first) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return nullptr;
  *first = ToEntry(data);
  return std::make_unique<Win32Listing>(find);
}

namespace {

// Called by CopyFileEx for every chunk it copies: a big file keeps the dialog alive too.
DWORD CALLBACK CopyBeat(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE,
                        LPVOID keepAlive) {
  static_cast<KeepAlive*>(keepAlive)->Beat();
  return PROGRESS_CONTINUE;
}

}  // namespace

long Win32FileSystem::Copy(const std::string& from, const std::string& to, bool failIfExists) {
  if (!keepAlive) return Result(CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE));
  return Result(CopyFileExA(from.c_str(), to.c_str(), CopyBeat, keepAlive, nullptr,
                            failIfExists ? COPY_FILE_FAIL_IF_EXISTS : 0));
}

long Win32FileSystem::MakeDirectory(const std::string& path) {
  return Result(CreateDirectoryA(path.c_str(), nullptr));
}

uint32_t Win32FileSystem::Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

long Win32FileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  return Result(SetFileAttributesA(path.c_str(), attributes));
}

bool Win32FileSystem::VolumeHasStreams(const std::string& path) {
  // The folder is what is cached: the payload's files all lie in one.
  const char* name = path.c_str();
  for (const char* at = name; *at != '\0'; at = CharNextA(at)) {
    if (*at == '\\') name = at + 1;
  }
  const std::string folder = path.substr(0, static_cast<size_t>(name - path.c_str()));
  if (folder.empty() || folder != streamsFolder_) {
    char root[MAX_PATH];
    DWORD flags = 0;
    // When the volume cannot be told, a stream may be there.
    streamsFolderHas_ = !GetVolumePathNameA(path.c_str(), root, MAX_PATH) ||
                        !GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) ||
                        (flags & FILE_NAMED_STREAMS) != 0;
    streamsFolder_ = folder;
  }
  return streamsFolderHas_;
}

long Win32FileSystem::Remove(const std::string& path) {
  // A volume without named streams (FAT, Wine's drives) holds none to delete, and asking for one
  // there searches the whole folder for the name. ':' is never a trail byte in code page 936.
  const size_t colon = path.rfind(':');
  const bool stream = colon != std::string::npos && colon > 2 && path.compare(0, 4, "\\\\?\\") != 0;
  if (stream && !VolumeHasStreams(path.substr(0, colon))) return ERROR_FILE_NOT_FOUND;
  return Result(DeleteFileA(path.c_str()));
}

long Win32FileSystem::Replace(const std::string& from, const std::string& to) {
  return Result(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING));
}

std::string ReadModulePath(size_t initialSize) {
  // The result does not say how long the path is: grow the buffer until the path fits.
  std::string buffer(initialSize > 0 ? initialSize : 1, '\0');
  for (;;) {
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD length = GetModuleFileNameA(nullptr, &buffer[0], size);
    if (length == 0) return "";
    if (length < size) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string Win32FileSystem::ModulePath() { return ReadModulePath(MAX_PATH); }
