// The registry through advapi32's A functions, in the process's own (64-bit) view.
#pragma once

#include "platform/keep_alive.h"
#include "platform/registry.h"

class Win32Registry : public Registry {
 public:
  long Open(RegHandle parent, const std::string& subkey, RegAccess access, RegHandle* out) override;
  long Create(RegHandle parent, const std::string& subkey, RegHandle* out) override;
  long Delete(RegHandle parent, const std::string& subkey) override;
  long SubkeyCount(RegHandle key, uint32_t* count) override;
  long EnumSubkey(RegHandle key, uint32_t index, char* name, uint32_t* nameSize) override;
  long QueryValue(RegHandle key, const std::string& name, uint32_t* type, unsigned char* data,
                  uint32_t* size) override;
  long SetValue(RegHandle key, const std::string& name, uint32_t type, const unsigned char* data,
                uint32_t size) override;
  void Close(RegHandle key) override;
  long DeleteValue(RegHandle key, const std::string& name) override;
  long LoadHive(const std::string& mountName, const std::string& file) override;
  long UnloadHive(const std::string& mountName) override;
  long GetWideBytes(RegHandle key, const std::string& name, uint32_t* type, std::string* data) override;
  long SetWideValue(RegHandle key, const std::string& name, uint32_t type, const std::string& data) override;

  // Beaten while a hive loads or unloads, when set (the dialog's install); borrowed.
  KeepAlive* keepAlive = nullptr;
};
