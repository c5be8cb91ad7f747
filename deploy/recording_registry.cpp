#include "deploy/recording_registry.h"

#include <algorithm>
#include <vector>

#include "platform/mb_string.h"

namespace {

// HKEY_USERS, where the hives of other users are reached.
constexpr RegHandle kUsersRoot = 0x80000003u;

// The user whose hive is mounted below HKEY_USERS under `name`: a SID names itself, a hive the setup
// loaded is "Tessarune_<SID>", and "<SID>_Classes" is no user's root ("").
std::string SidOfUsersSubkey(const std::string& name) {
  const std::string prefix = "Tessarune_", classes = "_Classes";
  std::string sid = name.rfind(prefix, 0) == 0 ? name.substr(prefix.size()) : name;
  if (sid.size() >= classes.size() && sid.compare(sid.size() - classes.size(), classes.size(), classes) == 0) return "";
  return sid;
}

// The names of a key path, empty ones (doubled or trailing backslashes) left out.
std::vector<std::string> Levels(const CodePage& cp, const std::string& path) {
  std::vector<std::string> levels;
  std::string level;
  for (size_t i = 0; i < path.size(); ++i) {
    if (cp.IsLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      level += path.substr(i++, 2);
    } else if (path[i] == '\\') {
      if (!level.empty()) levels.push_back(level);
      level.clear();
    } else {
      level += path[i];
    }
  }
  if (!level.empty()) levels.push_back(level);
  return levels;
}

std::string Joined(const std::vector<std::string>& levels, size_t count) {
  std::string path;
  for (size_t i = 0; i < count && i < levels.size(); ++i) path += (i ? "\\" : "") + levels[i];
  return path;
}

std::string Below(const std::string& parent, const std::string& child) {
  if (child.empty()) return parent;
  return parent.empty() ? child : parent + "\\" + child;
}

// Text as AutoCAD stores it: up to the first NUL.
std::string Text(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

}  // namespace

RecordingRegistry::RecordingRegistry(Registry& inner, const CodePage& codePage, const Environment& env,
                                     InstallReport& report, InstallRecord& record)
    : inner_(inner), codePage_(codePage), env_(env), report_(report), record_(record) {}

RecordingRegistry::KeyName RecordingRegistry::Describe(RegHandle parent, const std::string& subkey) const {
  KeyName base;
  if (parent == kHkeyLocalMachine) {
    base = {"HKEY_LOCAL_MACHINE", "HKEY_LOCAL_MACHINE", "", ""};
  } else if (parent == kHkeyCurrentUser) {
    base = {"HKEY_CURRENT_USER", "HKEY_USERS\\" + env_.UserSid(), env_.UserSid(), ""};
  } else if (parent == kUsersRoot) {
    base = {"HKEY_USERS", "HKEY_USERS", "", ""};
  } else if (names_.count(parent)) {
    base = names_.at(parent);
  } else {
    base = {"?", "?", "", ""};
  }
  KeyName name = base;
  name.log = subkey.empty() ? base.log : base.log + "\\" + subkey;
  const std::vector<std::string> levels = Levels(codePage_, subkey);
  if (parent == kUsersRoot && !levels.empty()) {
    // A user's keys are named by the SID, whatever name the hive is mounted under.
    const std::string sid = SidOfUsersSubkey(levels[0]);
    const std::vector<std::string> rest(levels.begin() + 1, levels.end());
    name.sid = sid;
    name.record = "HKEY_USERS\\" + (sid.empty() ? levels[0] : sid);
    name.record = Below(name.record, Joined(rest, rest.size()));
    name.belowUser = sid.empty() ? "" : Joined(rest, rest.size());
  } else {
    name.record = Below(base.record, Joined(levels, levels.size()));
    if (!base.sid.empty()) name.belowUser = Below(base.belowUser, Joined(levels, levels.size()));
  }
  return name;
}

bool RecordingRegistry::InCreatedKey(const std::string& recordPath) const {
  const std::string upper = codePage_.Upper(recordPath);
  return std::any_of(record_.createdKeys.begin(), record_.createdKeys.end(), [&](const std::string& key) {
    const std::string created = codePage_.Upper(key);
    return upper == created || upper.rfind(created + "\\", 0) == 0;
  });
}

long RecordingRegistry::Open(RegHandle parent, const std::string& subkey, RegAccess access, RegHandle* out) {
  const long rc = inner_.Open(parent, subkey, access, out);
  if (rc == kOk) {
    KeyName name = Describe(parent, subkey);
    // Product keys are kept with a trailing backslash: the log shows no doubled one.
    RemoveTrailingBackslash(codePage_, name.log, LoneBackslash::Keep);
    names_[*out] = name;
  } else if (access == RegAccess::ReadWrite) {
    const std::string where = Describe(parent, subkey).log;
    // A product key that went away since discovery: nothing to write into.
    if (IsNotFound(rc)) {
      report_.Warning("registry key not found: " + where);
    } else {
      report_.Failure("registry key cannot be opened for writing: " + where + ErrorText(rc));
    }
  }
  return rc;
}

// The levels of `subkey` that are not there yet, found before Create makes them: each is the
// setup's, to be deleted by the uninstall.
void RecordingRegistry::RecordCreatedLevels(RegHandle parent, const std::string& subkey) {
  const std::vector<std::string> levels = Levels(codePage_, subkey);
  RegHandle probe = 0;
  if (inner_.Open(parent, subkey, RegAccess::Read, &probe) == kOk) {
    inner_.Close(probe);
    return;
  }
  size_t firstMissing = levels.size();
  for (size_t count = 1; count <= levels.size(); ++count) {
    const long rc = inner_.Open(parent, Joined(levels, count), RegAccess::Read, &probe);
    if (rc == kOk) inner_.Close(probe);
    if (IsNotFound(rc)) {
      firstMissing = count;
      break;
    }
  }
  for (size_t count = firstMissing; count <= levels.size() && count > 0; ++count) {
    const std::string key = Describe(parent, Joined(levels, count)).record;
    const bool known = std::any_of(record_.createdKeys.begin(), record_.createdKeys.end(),
                                   [&](const std::string& k) { return codePage_.Upper(k) == codePage_.Upper(key); });
    if (!known) record_.createdKeys.push_back(key);
  }
}

long RecordingRegistry::Create(RegHandle parent, const std::string& subkey, RegHandle* out) {
  const size_t keysBefore = record_.createdKeys.size();
  RecordCreatedLevels(parent, subkey);
  const long rc = inner_.Create(parent, subkey, out);
  if (rc == kOk) {
    KeyName name = Describe(parent, subkey);
    RemoveTrailingBackslash(codePage_, name.log, LoneBackslash::Keep);
    names_[*out] = name;
  } else {
    record_.createdKeys.resize(keysBefore);  // nothing was made
    report_.Failure("registry key cannot be created: " + Describe(parent, subkey).log + ErrorText(rc));
  }
  return rc;
}

long RecordingRegistry::Delete(RegHandle parent, const std::string& subkey) {
  const long rc = inner_.Delete(parent, subkey);
  const std::string where = Describe(parent, subkey).log;
  // The entry is rewritten right after: a key that stays only keeps values of others.
  if (rc == kOk) report_.Done("registry key removed: " + where);
  else if (!IsNotFound(rc)) report_.Warning("registry key not removed: " + where + ErrorText(rc));
  return rc;
}

long RecordingRegistry::SubkeyCount(RegHandle key, uint32_t* count) { return inner_.SubkeyCount(key, count); }

long RecordingRegistry::EnumSubkey(RegHandle key, uint32_t index, char* name, uint32_t* nameSize) {
  return inner_.EnumSubkey(key, index, name, nameSize);
}

long RecordingRegistry::QueryValue(RegHandle key, const std::string& name, uint32_t* type, unsigned char* data,
                                   uint32_t* size) {
  return inner_.QueryValue(key, name, type, data, size);
}

long RecordingRegistry::SetValue(RegHandle key, const std::string& name, uint32_t type, const unsigned char* data,
                                 uint32_t size) {
  // What the value held, read before it is replaced.
  uint32_t oldType = 0;
  std::string oldData;
  const bool existed = inner_.GetBytes(key, name, &oldType, &oldData) == kOk;

  const long rc = inner_.SetValue(key, name, type, data, size);
  const KeyName keyName = names_.count(key) ? names_.at(key) : KeyName{"?", "?", "", ""};
  const std::string where = keyName.log + " : " + name;
  const std::string written(reinterpret_cast<const char*>(data), size);
  if (rc != kOk) {
    report_.Failure("registry value not written: " + where + ErrorText(rc));
    return rc;
  }
  if (type == kRegDword && size == 4) {
    const uint32_t value = uint32_t{data[0]} | uint32_t{data[1]} << 8 | uint32_t{data[2]} << 16 |
                           uint32_t{data[3]} << 24;
    report_.Done("registry value written: " + where + " = " + std::to_string(value));
  } else {
    report_.Done("registry value written: " + where + " = " + Text(written));
  }

  if (codePage_.Upper(name) == "TRUSTEDPATHS" && !keyName.sid.empty()) {
    RecordedTrustedPath change;
    change.sid = keyName.sid;
    change.variablesKey = keyName.belowUser;
    change.valueCreated = !existed;
    change.before = existed ? Text(oldData) : "";
    change.after = Text(written);
    // Appended when the old setting (upper-cased) is still its start; the whole setting when it
    // replaced what was there; nothing when it only upper-cased a setting that held the folder.
    const std::string start = change.before + ";";
    if (change.after.size() > start.size() && codePage_.Upper(change.after.substr(0, start.size())) == codePage_.Upper(start)) {
      change.entries.push_back(change.after.substr(start.size()));
    } else if (!existed || codePage_.Upper(change.after) != codePage_.Upper(change.before)) {
      change.entries.push_back(change.after);
    }
    for (RecordedTrustedPath& known : record_.trustedPaths) {
      if (codePage_.Upper(known.sid) == codePage_.Upper(change.sid) &&
          codePage_.Upper(known.variablesKey) == codePage_.Upper(change.variablesKey)) {
        known.after = change.after;
        for (const std::string& entry : change.entries) {
          if (std::none_of(known.entries.begin(), known.entries.end(),
                           [&](const std::string& e) { return codePage_.Upper(e) == codePage_.Upper(entry); })) {
            known.entries.push_back(entry);
          }
        }
        return rc;
      }
    }
    record_.trustedPaths.push_back(change);
    return rc;
  }

  // A key the setup made goes as a whole.
  if (InCreatedKey(keyName.record)) return rc;
  for (RecordedValue& known : record_.values) {
    if (codePage_.Upper(known.key) == codePage_.Upper(keyName.record) &&
        codePage_.Upper(known.name) == codePage_.Upper(name)) {
      known.type = type;
      known.data = written;
      return rc;
    }
  }
  record_.values.push_back({keyName.record, name, existed, oldType, oldData, type, written});
  return rc;
}

void RecordingRegistry::Close(RegHandle key) {
  names_.erase(key);
  inner_.Close(key);
}

long RecordingRegistry::DeleteValue(RegHandle key, const std::string& name) {
  const long rc = inner_.DeleteValue(key, name);
  const std::string where = Describe(key, "").log + " : " + name;
  if (rc == kOk) report_.Done("registry value removed: " + where);
  else if (!IsNotFound(rc)) report_.Failure("registry value not removed: " + where + ErrorText(rc));
  return rc;
}

// A hive that does not load is left out (user_hives.cpp reports it); one that stays loaded is a failure.
long RecordingRegistry::LoadHive(const std::string& mountName, const std::string& file) {
  const long rc = inner_.LoadHive(mountName, file);
  if (rc == kOk) report_.Done("user hive loaded: HKEY_USERS\\" + mountName + " from " + file);
  return rc;
}

long RecordingRegistry::UnloadHive(const std::string& mountName) {
  const long rc = inner_.UnloadHive(mountName);
  if (rc == kOk) report_.Done("user hive unloaded: HKEY_USERS\\" + mountName);
  else report_.Failure("user hive not unloaded: HKEY_USERS\\" + mountName + ErrorText(rc));
  return rc;
}

long RecordingRegistry::GetWideBytes(RegHandle key, const std::string& name, uint32_t* type, std::string* data) {
  return inner_.GetWideBytes(key, name, type, data);
}

long RecordingRegistry::SetWideValue(RegHandle key, const std::string& name, uint32_t type, const std::string& data) {
  return inner_.SetWideValue(key, name, type, data);
}
