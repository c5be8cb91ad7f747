// Win32FileSystem's folders made or held for administrators only, and who owns a file or folder.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <vector>

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_security.h"

namespace {

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

}  // namespace

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

PSECURITY_DESCRIPTOR FromSddl(const std::string& sddl, LocalMemory* holder) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
    return nullptr;
  }
  holder->reset(descriptor);
  return descriptor;
}

long ApplyDescriptor(HANDLE handle, const std::string& sddl) {
  LocalMemory holder;
  PSECURITY_DESCRIPTOR descriptor = FromSddl(sddl, &holder);
  PSID owner = nullptr;
  PACL dacl = nullptr;
  BOOL defaulted = FALSE, present = FALSE;
  if (!descriptor || !GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) ||
      !GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted)) {
    return static_cast<long>(GetLastError());
  }
  // Inheritable entries reach what is already inside: files the setup wrote earlier lose the
  // rights they inherited from the old folder.
  return static_cast<long>(SetSecurityInfo(handle, SE_FILE_OBJECT,
                                           OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                               PROTECTED_DACL_SECURITY_INFORMATION,
                                           owner, nullptr, dacl, nullptr));
}

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
  const long result = ApplyDescriptor(handle, sddl);
  if (result != kOk) {
    *error = result;
    return nullptr;
  }
  *error = kOk;
  return hold;
}

Ownership Win32FileSystem::Owner(const std::string& path) {
  UniqueHandle handle(OpenItself(path, READ_CONTROL, kShareAll));
  if (handle.get() == INVALID_HANDLE_VALUE) {
    handle.release();
    return Ownership::Other;
  }
  return OwnerOfHandle(handle.get());
}

Ownership OwnerOfHandle(HANDLE handle) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                      &descriptor) != ERROR_SUCCESS) {
    return Ownership::Other;
  }
  LocalMemory holder(descriptor);
  return owner != nullptr && IsAdministration(owner) ? Ownership::Administration : Ownership::Other;
}
