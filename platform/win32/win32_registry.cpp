#include "platform/win32/win32_registry.h"

#include "platform/win32/win32_keep_alive.h"

#include <windows.h>

namespace {

// The roots' values are kept as 32-bit numbers; HKEY_* are sign-extended on 64-bit Windows.
HKEY ToHkey(RegHandle h) {
  if (h == kHkeyCurrentUser) return HKEY_CURRENT_USER;
  if (h == kHkeyLocalMachine) return HKEY_LOCAL_MACHINE;
  if (h == kHkeyUsers) return HKEY_USERS;
  return reinterpret_cast<HKEY>(h);
}
RegHandle FromHkey(HKEY h) { return reinterpret_cast<RegHandle>(h); }

bool IsPredefined(RegHandle h) { return h == kHkeyCurrentUser || h == kHkeyLocalMachine || h == kHkeyUsers; }

// RegLoadKey and RegUnLoadKey need both privileges enabled on the process token; an administrator's
// token holds them disabled. Enabled only around the one call, then as they were: a process that
// may read and write any file past its rules is a process whose every bug reaches further.
class HivePrivileges {
  // TOKEN_PRIVILEGES with room for both.
  struct Two {
    DWORD count;
    LUID_AND_ATTRIBUTES privileges[2];
  };

 public:
  HivePrivileges() {
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token_)) {
      token_ = nullptr;
      return;
    }
    Two wanted = {2, {}};
    const char* const names[] = {"SeBackupPrivilege", "SeRestorePrivilege"};
    for (int i = 0; i < 2; ++i) {
      if (!LookupPrivilegeValueA(nullptr, names[i], &wanted.privileges[i].Luid)) return;
      wanted.privileges[i].Attributes = SE_PRIVILEGE_ENABLED;
    }
    DWORD size = sizeof previous_;
    // Succeeds without enabling a privilege the token does not hold: the hive call then fails.
    adjusted_ = AdjustTokenPrivileges(token_, FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(&wanted), sizeof previous_,
                                      reinterpret_cast<TOKEN_PRIVILEGES*>(&previous_), &size) != FALSE;
  }
  ~HivePrivileges() {
    // Only what this changed is in the previous state: those go back to disabled.
    if (adjusted_ && previous_.count > 0) {
      AdjustTokenPrivileges(token_, FALSE, reinterpret_cast<TOKEN_PRIVILEGES*>(&previous_), 0, nullptr, nullptr);
    }
    if (token_) CloseHandle(token_);
  }
  HivePrivileges(const HivePrivileges&) = delete;
  HivePrivileges& operator=(const HivePrivileges&) = delete;

 private:
  HANDLE token_ = nullptr;
  bool adjusted_ = false;
  Two previous_ = {0, {}};
};

}  // namespace

long Win32Registry::Open(RegHandle parent, const std::string& subkey, RegAccess access, RegHandle* out) {
  REGSAM sam = access == RegAccess::ReadWrite ? (KEY_READ | KEY_WRITE) : KEY_READ;
  HKEY key = nullptr;
  LONG rc = RegOpenKeyExA(ToHkey(parent), subkey.c_str(), 0, sam, &key);
  if (rc == ERROR_SUCCESS) *out = FromHkey(key);
  return rc;
}

long Win32Registry::Create(RegHandle parent, const std::string& subkey, RegHandle* out) {
  HKEY key = nullptr;
  LONG rc = RegCreateKeyA(ToHkey(parent), subkey.c_str(), &key);
  if (rc == ERROR_SUCCESS) *out = FromHkey(key);
  return rc;
}

long Win32Registry::Delete(RegHandle parent, const std::string& subkey) {
  return RegDeleteKeyA(ToHkey(parent), subkey.c_str());
}

long Win32Registry::SubkeyCount(RegHandle key, uint32_t* count) {
  DWORD subkeys = 0;
  LONG rc = RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr);
  if (rc == ERROR_SUCCESS && count) *count = subkeys;
  return rc;
}

long Win32Registry::EnumSubkey(RegHandle key, uint32_t index, char* name, uint32_t* nameSize) {
  if (nameSize == nullptr) return ERROR_INVALID_PARAMETER;
  DWORD size = *nameSize;
  LONG rc = RegEnumKeyExA(ToHkey(key), index, name, &size, nullptr, nullptr, nullptr, nullptr);
  if (rc == ERROR_SUCCESS) *nameSize = size;
  return rc;
}

long Win32Registry::QueryValue(RegHandle key, const std::string& name, uint32_t* type, unsigned char* data,
                               uint32_t* size) {
  DWORD valueType = 0;
  DWORD bytes = size ? *size : 0;
  LONG rc = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &valueType, data, size ? &bytes : nullptr);
  if (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
    if (type) *type = valueType;
    if (size) *size = bytes;
  }
  return rc;
}

long Win32Registry::SetValue(RegHandle key, const std::string& name, uint32_t type, const unsigned char* data,
                             uint32_t size) {
  return RegSetValueExA(ToHkey(key), name.c_str(), 0, type, data, size);
}

void Win32Registry::Close(RegHandle key) {
  if (key == 0 || IsPredefined(key)) return;
  RegCloseKey(ToHkey(key));
}

long Win32Registry::DeleteValue(RegHandle key, const std::string& name) {
  return RegDeleteValueA(ToHkey(key), name.c_str());
}

long Win32Registry::LoadHive(const std::string& mountName, const std::string& file) {
  HivePrivileges privileges;
  // A large hive takes seconds to load.
  return RunBeating(keepAlive, [&] { return static_cast<long>(RegLoadKeyA(HKEY_USERS, mountName.c_str(), file.c_str())); });
}

long Win32Registry::UnloadHive(const std::string& mountName) {
  HivePrivileges privileges;
  return RunBeating(keepAlive, [&] { return static_cast<long>(RegUnLoadKeyA(HKEY_USERS, mountName.c_str())); });
}

long Win32Registry::GetWideBytes(RegHandle key, const std::string& name, uint32_t* type, std::string* data) {
  const std::wstring wide(name.begin(), name.end());
  DWORD valueType = 0;
  DWORD size = 0;
  LONG rc = RegQueryValueExW(ToHkey(key), wide.c_str(), nullptr, &valueType, nullptr, &size);
  // The value may grow between the calls: asked again with the size it has then.
  for (int attempt = 0; rc == ERROR_SUCCESS && attempt < 4; ++attempt) {
    std::string bytes(size, '\0');
    rc = RegQueryValueExW(ToHkey(key), wide.c_str(), nullptr, &valueType, reinterpret_cast<BYTE*>(&bytes[0]), &size);
    if (rc == ERROR_SUCCESS) {
      bytes.resize(size);
      *type = valueType;
      *data = bytes;
      return kOk;
    }
    if (rc == ERROR_MORE_DATA) rc = ERROR_SUCCESS;
  }
  return rc == ERROR_SUCCESS ? ERROR_MORE_DATA : rc;
}

long Win32Registry::SetWideValue(RegHandle key, const std::string& name, uint32_t type, const std::string& data) {
  const std::wstring wide(name.begin(), name.end());
  return RegSetValueExW(ToHkey(key), wide.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                        static_cast<DWORD>(data.size()));
}
