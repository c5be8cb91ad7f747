// The registry as the install sees it: every write and every failed one goes into the report,
// and what was written into the record (the keys made, the values replaced with what they held,
// each profile's TRUSTEDPATHS change with the user's SID).
#pragma once

#include <map>
#include <string>

#include "deploy/install_record.h"
#include "deploy/install_report.h"
#include "platform/code_page.h"
#include "platform/environment.h"
#include "platform/registry.h"

class RecordingRegistry : public Registry {
 public:
  RecordingRegistry(Registry& inner, const CodePage& codePage, const Environment& env, InstallReport& report,
                    InstallRecord& record);

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
  // Passed on unrecorded: the install changes only the session manager's list this way, and an
  // uninstall has nothing to put back there.
  long GetWideBytes(RegHandle key, const std::string& name, uint32_t* type, std::string* data) override;
  long SetWideValue(RegHandle key, const std::string& name, uint32_t type, const std::string& data) override;

  // How a key is named: in the log as the install reached it, in the record from the machine's
  // roots, a user's keys below HKEY_USERS\<SID>.
  struct KeyName {
    std::string log;        // "HKEY_CURRENT_USER\Software\..."
    std::string record;     // "HKEY_USERS\S-1-5-21-...\Software\..."
    std::string sid;        // the user whose hive holds it; empty for the machine's keys
    std::string belowUser;  // with sid: the path below the user's root
  };

 private:
  KeyName Describe(RegHandle parent, const std::string& subkey) const;
  bool InCreatedKey(const std::string& recordPath) const;
  void RecordCreatedLevels(RegHandle parent, const std::string& subkey);

  Registry& inner_;
  const CodePage& codePage_;
  const Environment& env_;
  InstallReport& report_;
  InstallRecord& record_;
  std::map<RegHandle, KeyName> names_;
};
