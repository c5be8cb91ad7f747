// RemoveRecordedInstall's registry: the keys the install made, the values it added and its
// entries in the users' trusted paths.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "acad/user_hives.h"
#include "deploy/record_folder.h"
#include "deploy/uninstall_removal.h"
#include "deploy/user_trusted_paths.h"
#include "platform/mb_string.h"

namespace {

constexpr char kTrustedPathsValue[] = "TRUSTEDPATHS";

// A recorded key path as a root and the path below it: HKEY_LOCAL_MACHINE\..., HKEY_CURRENT_USER\...,
// or HKEY_USERS\<SID>\... (that user's hive, loaded for the call when it is not).
bool WithKeyRoot(const Platform& p, const Environment& env, const std::string& path,
                 const std::function<void(RegHandle root, const std::string& subkey)>& visit) {
  const size_t slash = path.find('\\');
  if (slash == std::string::npos) return false;
  const std::string root = path.substr(0, slash);
  const std::string rest = path.substr(slash + 1);
  if (root == "HKEY_LOCAL_MACHINE") {
    visit(kHkeyLocalMachine, rest);
    return true;
  }
  if (root == "HKEY_CURRENT_USER") {
    visit(kHkeyCurrentUser, rest);
    return true;
  }
  if (root != "HKEY_USERS") return false;
  const size_t end = rest.find('\\');
  if (end == std::string::npos) return false;
  const std::string below = rest.substr(end + 1);
  return WithUserHive(p, env, rest.substr(0, end), [&](RegHandle user) { visit(user, below); });
}

// The setting's text without its terminating NUL.
std::string TextOf(const std::string& data) { return data.substr(0, data.find('\0')); }

// The setting without the entry the install added: the last entry that is the same without
// regard to case. False when no entry is.
bool WithoutEntry(const CodePage& cp, const std::string& setting, const std::string& entry, std::string* rest) {
  // ';' is never the trail byte of a double-byte character.
  std::vector<std::string> entries;
  for (size_t start = 0;;) {
    const size_t semicolon = setting.find(';', start);
    entries.push_back(setting.substr(start, semicolon == std::string::npos ? std::string::npos : semicolon - start));
    if (semicolon == std::string::npos) break;
    start = semicolon + 1;
  }
  for (size_t i = entries.size(); i-- > 0;) {
    if (!SameFileName(cp, entries[i], entry)) continue;
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
    rest->clear();
    for (size_t j = 0; j < entries.size(); ++j) *rest += (j ? ";" : "") + entries[j];
    return true;
  }
  return false;
}

}  // namespace

bool RegistryRemoval::IsUninstallKey(const std::string& path) const {
  return SameFileName(cp(), path, std::string("HKEY_LOCAL_MACHINE\\") + kUninstallKey);
}

// Add/Remove Programs goes last: until then the uninstall can be started again.
void RegistryRemoval::RemoveCreatedKeys() {
  for (const std::string& path : InnermostFirst(cp(), record_.createdKeys)) {
    if (IsUninstallKey(path)) continue;
    bool gone = true;
    const bool reached = WithKeyRoot(p_, env_, path, [&](RegHandle root, const std::string& subkey) {
      gone = RemoveKey(root, subkey, path);
    });
    // Innermost first here, outermost first in the record.
    if (!gone) remains_.createdKeys.insert(remains_.createdKeys.begin(), path);
    if (!reached) report_.Warning("registry key of a user without a profile, left: " + path);
  }
}

std::vector<std::string> RegistryRemoval::RemoveLoadersIn(const std::vector<std::string>& folders) {
  std::vector<std::string> removed;
  for (const std::string& path : InnermostFirst(cp(), record_.createdKeys)) {
    WithKeyRoot(p_, env_, path, [&](RegHandle root, const std::string& subkey) {
      RegKey key(p_.registry);
      uint32_t type = 0;
      std::string data;
      if (key.Open(root, subkey, RegAccess::Read) != kOk || p_.registry.GetBytes(key.Handle(), "LOADER", &type, &data) != kOk) {
        return;
      }
      key.Close();
      const std::string loader = cp().Upper(TextOf(data));
      const bool left = std::any_of(folders.begin(), folders.end(), [&](const std::string& folder) {
        return loader.rfind(cp().Upper(folder + "\\"), 0) == 0;
      });
      if (left && RemoveKey(root, subkey, path)) removed.push_back(path);
    });
  }
  return removed;
}

// A key that others have added keys to stays.
bool RegistryRemoval::RemoveKey(RegHandle root, const std::string& subkey, const std::string& path) {
  const long rc = p_.registry.Delete(root, subkey);
  if (rc == kOk) {
    report_.Done("registry key removed: " + path);
    return true;
  }
  if (IsNotFound(rc)) return true;
  RegKey key(p_.registry);
  uint32_t subkeys = 0;
  if (key.Open(root, subkey, RegAccess::Read) == kOk && key.Handle() != 0 &&
      p_.registry.SubkeyCount(key.Handle(), &subkeys) == kOk && subkeys > 0) {
    report_.Warning("registry key holds keys of others, kept: " + path);
    return true;
  }
  report_.Failure("registry key not removed: " + path + ErrorText(rc));
  return false;
}

// Values the install added to keys it did not make go when they still hold what it wrote.
// A value it replaced stays as it is now.
void RegistryRemoval::RemoveAddedValues() {
  for (const RecordedValue& value : record_.values) {
    if (value.existed) continue;
    const int failures = report_.Failures();
    const std::string where = value.key + " : " + value.name;
    const bool reached = WithKeyRoot(p_, env_, value.key, [&](RegHandle root, const std::string& subkey) {
      RegKey key(p_.registry);
      if (!OpenForChange(key, root, subkey, where)) return;
      uint32_t type = 0;
      std::string data;
      if (p_.registry.GetBytes(key.Handle(), value.name, &type, &data) != kOk) return;
      if (type != value.type || data != value.data) {
        report_.Warning("registry value changed since the install, kept: " + where);
        return;
      }
      DeleteValue(key.Handle(), value.name, where);
    });
    if (!reached) report_.Warning("registry value of a user without a profile, left: " + where);
    if (report_.Failures() > failures) remains_.values.push_back(value);
  }
}

// A key removed since (AutoCAD or the profile gone) leaves nothing to change.
bool RegistryRemoval::OpenForChange(RegKey& key, RegHandle root, const std::string& subkey, const std::string& where) {
  const long rc = key.Open(root, subkey, RegAccess::ReadWrite);
  if (rc != kOk && !IsNotFound(rc)) report_.Failure("registry key cannot be opened, kept: " + where + ErrorText(rc));
  return rc == kOk;
}

void RegistryRemoval::DeleteValue(RegHandle key, const std::string& name, const std::string& where) {
  const long rc = p_.registry.DeleteValue(key, name);
  if (rc == kOk) report_.Done("registry value removed: " + where);
  else if (!IsNotFound(rc)) report_.Failure("registry value not removed: " + where + ErrorText(rc));
}

// A setting still as the install wrote it gets back what it was (goes, if the install made it);
// one changed since keeps the change and loses only the entries. A setting that the install
// made and that holds nothing else goes.
void RegistryRemoval::TakeOutTrustedPath(const RecordedTrustedPath& change) {
  const std::string where = change.sid + "\\" + change.variablesKey + " : " + kTrustedPathsValue;
  const int failures = report_.Failures();
  const bool reached = WithUserHive(p_, env_, change.sid, [&](RegHandle root) { TakeOutTrustedPathAt(root, change, where); });
  if (!reached) report_.Warning("trusted path of a user without a profile, left: " + where);
  if (report_.Failures() > failures) remains_.trustedPaths.push_back(change);
}

void RegistryRemoval::TakeOutTrustedPathAt(RegHandle root, const RecordedTrustedPath& change, const std::string& where) {
  RegKey key(p_.registry);
  if (!OpenForChange(key, root, change.variablesKey, where)) return;
  uint32_t type = 0;
  std::string data;
  if (p_.registry.GetBytes(key.Handle(), kTrustedPathsValue, &type, &data) != kOk) return;
  const std::string now = TextOf(data);
  const bool asWritten = !change.after.empty() && now == change.after;
  if (asWritten && change.valueCreated) {
    DeleteValue(key.Handle(), kTrustedPathsValue, where);
    return;
  }
  std::string rest = asWritten ? change.before : now;
  for (const std::string& entry : change.entries) {
    std::string without;
    if (WithoutEntry(cp(), rest, entry, &without)) rest = without;
  }
  if (rest == now) return;
  if (rest.empty() && change.valueCreated) {
    DeleteValue(key.Handle(), kTrustedPathsValue, where);
    return;
  }
  const long rc = p_.registry.SetString(key.Handle(), kTrustedPathsValue, rest);
  if (rc == kOk) report_.Done(std::string(asWritten ? "trusted path put back: " : "trusted path taken out: ") + where + " = " + rest);
  else report_.Failure("trusted path not taken out: " + where + ErrorText(rc));
}

// The user's record is the user's to write: only its trusted-path changes are taken, each in that
// user's own AutoCAD profiles, and only the keys it made there.
void RegistryRemoval::RemoveUserEntries() {
  ForEachUserHive(p_, [&](const std::string& sid, RegHandle root) {
    const std::string acad = cp().Upper("SOFTWARE\\Autodesk\\AutoCAD\\");
    const auto inAcad = [&](const std::string& path) { return cp().Upper(path).rfind(acad, 0) == 0; };
    InstallRecord record;
    if (ReadUserRecord(p_, root, &record)) {
      for (RecordedTrustedPath change : record.trustedPaths) {
        if (!inAcad(change.variablesKey)) continue;
        change.sid = sid;
        TakeOutTrustedPathAt(root, change, sid + "\\" + change.variablesKey + " : " + kTrustedPathsValue);
      }
      const std::string user = "HKEY_USERS\\" + sid + "\\";
      for (const std::string& path : InnermostFirst(cp(), record.createdKeys)) {
        if (cp().Upper(path).rfind(cp().Upper(user), 0) != 0 || !inAcad(path.substr(user.size()))) continue;
        RemoveKey(root, path.substr(user.size()), path);
      }
    }
    for (const std::string& subkey : {std::string(kUserRecordKey), std::string("Software\\Quilox"), std::string(kActiveSetupKey)}) {
      RegKey key(p_.registry);
      if (key.Open(root, subkey, RegAccess::Read) != kOk) continue;
      uint32_t subkeys = 0;
      const bool empty = p_.registry.SubkeyCount(key.Handle(), &subkeys) == kOk && subkeys == 0;
      key.Close();
      // The maker's key stays while it holds another product's.
      if (empty || subkey == kUserRecordKey) RemoveKey(root, subkey, "HKEY_USERS\\" + sid + "\\" + subkey);
    }
  });
}
