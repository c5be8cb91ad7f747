// Win32FileSystem's holds of the folders the install trusts, what their owner and entries allow,
// and the take-over of what an existing install folder holds.
#include <windows.h>

#include <aclapi.h>

#include <memory>

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_security.h"

namespace {

// The access of every open here: no FILE_SHARE_DELETE, so that nobody renames or removes it.
constexpr DWORD kShareNoDelete = FILE_SHARE_READ | FILE_SHARE_WRITE;

// What the entries of `dacl` that apply to the object itself grant anyone but the administration.
// No DACL at all lets everyone do everything.
ACCESS_MASK OthersRights(PACL dacl) {
  if (dacl == nullptr) return FILE_ALL_ACCESS;
  GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
  ACCESS_MASK rights = 0;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* entry = nullptr;
    if (!GetAce(dacl, i, &entry)) return FILE_ALL_ACCESS;
    const ACE_HEADER* header = static_cast<const ACE_HEADER*>(entry);
    // A callback entry grants under a condition: counted as granting.
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE) continue;
    if (header->AceFlags & INHERIT_ONLY_ACE) continue;
    // Both entry types have the mask and the SID at the same place.
    ACCESS_ALLOWED_ACE* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    if (IsAdministration(&allowed->SidStart)) continue;
    ACCESS_MASK mask = allowed->Mask;
    MapGenericMask(&mask, &mapping);
    rights |= mask;
  }
  return rights;
}

// When the volume cannot be told, its folder's entries still are: a volume without permissions
// shows no DACL, which the entries' check refuses.
bool KeepsPermissions(HANDLE handle) {
  DWORD flags = 0;
  if (!GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) return true;
  return (flags & FILE_PERSISTENT_ACLS) != 0;
}

long LastError() { return static_cast<long>(GetLastError()); }

}  // namespace

std::unique_ptr<FolderHold> Win32FileSystem::HoldLevel(const std::string& path, FolderTrust* trust, long* error) {
  UniqueHandle opened = OpenFolderItself(path, READ_CONTROL | FILE_READ_ATTRIBUTES, error);
  if (!opened) return nullptr;
  HANDLE handle = opened.get();
  auto hold = std::make_unique<Win32FolderHold>(opened.release());
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD rc = GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                   &owner, nullptr, &dacl, nullptr, &descriptor);
  if (rc != ERROR_SUCCESS) {
    *error = static_cast<long>(rc);
    return nullptr;
  }
  LocalMemory holder(descriptor);
  const ACCESS_MASK others = OthersRights(dacl);
  trust->owner = owner != nullptr && IsAdministration(owner) ? Ownership::Administration : Ownership::Other;
  trust->othersMayChange = (others & (DELETE | WRITE_DAC | WRITE_OWNER)) != 0;
  trust->othersMayDeleteChildren = (others & FILE_DELETE_CHILD) != 0;
  trust->persistentAcls = KeepsPermissions(handle);
  *error = kOk;
  return hold;
}

std::unique_ptr<FolderHold> Win32FileSystem::TakeOver(const std::string& path, const std::string& sddl,
                                                      Ownership* previous, long* error) {
  const DWORD pathAttributes = GetFileAttributesA(path.c_str());
  HANDLE handle = OpenItself(path, READ_CONTROL | WRITE_DAC | WRITE_OWNER | FILE_READ_ATTRIBUTES, kShareNoDelete);
  if (handle == INVALID_HANDLE_VALUE) {
    *error = LastError();
    return nullptr;
  }
  auto hold = std::make_unique<Win32FolderHold>(handle);
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!GetFileInformationByHandle(handle, &info)) {
    *error = LastError();
    return nullptr;
  }
  // Any reparse point, not only a link: a placeholder's security is its provider's. Wine follows
  // a symbolic link on open, so the path's own attributes count too.
  const DWORD reparse = FILE_ATTRIBUTE_REPARSE_POINT;
  if ((info.dwFileAttributes & reparse) ||
      (pathAttributes != INVALID_FILE_ATTRIBUTES && (pathAttributes & reparse))) {
    *error = kErrReparsePointEncountered;
    return nullptr;
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && info.nNumberOfLinks > 1) {
    *error = kErrTooManyLinks;
    return nullptr;
  }
  *previous = OwnerOfHandle(handle);
  *error = ApplyDescriptor(handle, sddl);
  if (*error != kOk) return nullptr;
  return hold;
}
