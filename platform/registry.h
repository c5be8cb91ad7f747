// The registry as the logic sees it: the A functions of advapi32, keys as handles.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_types.h"

using RegHandle = std::uintptr_t;

// The predefined roots, with the values of HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE and HKEY_USERS.
constexpr RegHandle kHkeyCurrentUser = 0x80000001u;
constexpr RegHandle kHkeyLocalMachine = 0x80000002u;
constexpr RegHandle kHkeyUsers = 0x80000003u;

enum class RegAccess { Read, ReadWrite };

class Registry {
 public:
  virtual ~Registry() = default;

  // RegOpenKeyExA. An empty subkey opens the parent again.
  virtual long Open(RegHandle parent, const std::string& subkey, RegAccess access, RegHandle* out) = 0;
  // RegCreateKeyA: opens an existing key or creates it with every missing level.
  virtual long Create(RegHandle parent, const std::string& subkey, RegHandle* out) = 0;
  // RegDeleteKeyA: fails for a key that has subkeys.
  virtual long Delete(RegHandle parent, const std::string& subkey) = 0;
  // RegQueryInfoKeyA, subkey count only.
  virtual long SubkeyCount(RegHandle key, uint32_t* count) = 0;
  // RegEnumKeyExA. *nameSize: in, the buffer size in bytes; out, the name's length without NUL.
  virtual long EnumSubkey(RegHandle key, uint32_t index, char* name, uint32_t* nameSize) = 0;
  // RegQueryValueExA. data may be null to ask for the size; *size: in, the buffer size;
  // out, the bytes written (or needed, with kErrMoreData).
  virtual long QueryValue(RegHandle key, const std::string& name, uint32_t* type, unsigned char* data,
                          uint32_t* size) = 0;
  // RegSetValueExA.
  virtual long SetValue(RegHandle key, const std::string& name, uint32_t type, const unsigned char* data,
                        uint32_t size) = 0;
  // RegCloseKey. Closing a predefined root does nothing.
  virtual void Close(RegHandle key) = 0;
  // RegDeleteValueA.
  virtual long DeleteValue(RegHandle key, const std::string& name) = 0;
  // RegLoadKeyA below HKEY_USERS: the hive file `file` mounted as HKEY_USERS\<mountName>, with the
  // backup and restore privileges enabled first. A file that is not there may be created by
  // Windows: check that it exists before.
  virtual long LoadHive(const std::string& mountName, const std::string& file) = 0;
  // RegUnLoadKeyA below HKEY_USERS: refused while a key of the hive is open.
  virtual long UnloadHive(const std::string& mountName) = 0;
  // RegQueryValueExW and RegSetValueExW, for values whose text the system code page cannot hold
  // (the session manager's list of paths): the bytes as stored, text in UTF-16LE. `name` is ASCII.
  // A text value written through the A functions reads as its UTF-16, and the other way round.
  virtual long GetWideBytes(RegHandle key, const std::string& name, uint32_t* type, std::string* data) = 0;
  virtual long SetWideValue(RegHandle key, const std::string& name, uint32_t type, const std::string& data) = 0;

  // REG_SZ with the terminating NUL counted in its size.
  long SetString(RegHandle key, const std::string& name, const std::string& value);
  long SetDword(RegHandle key, const std::string& name, uint32_t value);
  // A value's type and bytes as stored, whatever their size.
  long GetBytes(RegHandle key, const std::string& name, uint32_t* type, std::string* data);
};

// An open key that closes itself.
class RegKey {
 public:
  explicit RegKey(Registry& registry) : registry_(&registry) {}
  ~RegKey() { Close(); }
  RegKey(RegKey&& other) noexcept : registry_(other.registry_), handle_(other.handle_) { other.handle_ = 0; }
  RegKey& operator=(RegKey&& other) noexcept;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  long Open(RegHandle parent, const std::string& subkey, RegAccess access);
  long Create(RegHandle parent, const std::string& subkey);
  void Close();

  RegHandle Handle() const { return handle_; }

 private:
  Registry* registry_;
  RegHandle handle_ = 0;
};
