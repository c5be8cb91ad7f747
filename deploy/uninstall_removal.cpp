// The removal of what an install record names.
#include <algorithm>
#include <vector>

#include "acad/user_hives.h"
#include "deploy/record_folder.h"
#include "deploy/run_log.h"
#include "deploy/uninstall.h"
#include "platform/mb_string.h"

namespace {

constexpr char kTrustedPathsValue[] = "TRUSTEDPATHS";

// Whether `path` lies below `folder`, without regard to case.
bool IsBelow(const CodePage& cp, const std::string& path, const std::string& folder) {
  if (folder.empty() || path.size() <= folder.size() + 1) return false;
  return cp.Upper(path.substr(0, folder.size() + 1)) == cp.Upper(folder + "\\");
}

size_t Depth(const CodePage& cp, const std::string& path) {
  size_t depth = 0;
  for (std::string rest = path; !rest.empty(); rest = FolderOfPath(cp, rest)) ++depth;
  return depth;
}

// Innermost first: deeper paths before the ones that hold them, otherwise last recorded first.
std::vector<std::string> InnermostFirst(const CodePage& cp, std::vector<std::string> paths) {
  std::reverse(paths.begin(), paths.end());
  std::stable_sort(paths.begin(), paths.end(),
                   [&](const std::string& a, const std::string& b) { return Depth(cp, a) > Depth(cp, b); });
  return paths;
}

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

class Removal {
 public:
  Removal(const Platform& p, const Environment& env, const InstallRecord& record, InstallReport& report)
      : p_(p), env_(env), record_(record), report_(report), recordFolder_(RecordFolder(env)) {}

  void Run() {
    RemoveFiles();
    PutBackBackups();
    RemoveCreatedKeys();
    RemoveAddedValues();
    for (const RecordedTrustedPath& change : record_.trustedPaths) TakeOutTrustedPath(change);
    RemoveCreatedFolders(false);
    RemoveRecordFolder();
    RemoveCreatedFolders(true);
    RemoveKey(kHkeyLocalMachine, kUninstallKey, std::string("HKEY_LOCAL_MACHINE\\") + kUninstallKey);
  }

 private:
  const CodePage& cp() const { return p_.codePage; }

  enum class Sameness { Unchanged, Changed, Unreadable };

  // By the hash where the install took one, else by size and last-write time.
  Sameness Compare(const RecordedFile& file) {
    if (!file.sha256.empty()) {
      const std::string sha256 = p_.files.Sha256(file.path);
      if (sha256.empty()) return Sameness::Unreadable;
      return sha256 == file.sha256 ? Sameness::Unchanged : Sameness::Changed;
    }
    FileStamp now;
    if (p_.files.Stamp(file.path, &now) != kOk) return Sameness::Unreadable;
    const bool same = file.lastWrite != 0 && now.size == file.size && now.lastWrite == file.lastWrite;
    return same ? Sameness::Unchanged : Sameness::Changed;
  }

  // Files outside the install folder (fonts, the plotter driver) stay.
  void RemoveFiles() {
    for (const RecordedFile& file : record_.files) {
      if (!IsBelow(cp(), file.path, record_.installFolder)) continue;
      if (!p_.files.Exists(file.path)) continue;
      const Sameness sameness = Compare(file);
      if (sameness == Sameness::Unreadable) {
        report_.Failure("file cannot be read, kept: " + file.path);
        continue;
      }
      if (sameness == Sameness::Changed) {
        report_.Warning("file changed since the install, kept: " + file.path);
        continue;
      }
      RemoveFile(file.path);
    }
  }

  void RemoveFile(const std::string& path) {
    const long rc = p_.files.Remove(path);
    if (rc == kOk) report_.Done("file removed: " + path);
    else if (!IsNotFound(rc)) report_.Failure("file not removed: " + path + ErrorText(rc));
  }

  void PutBackBackups() {
    for (const RecordedBackup& backup : record_.backups) {
      const long rc = p_.files.Copy(backup.backup, backup.original, false);
      if (rc != kOk) {
        // Kept where it is, so that it can still be put back by hand.
        report_.Failure("file not put back: " + backup.original + " from " + backup.backup + ErrorText(rc));
        continue;
      }
      report_.Done("file put back: " + backup.original);
      RemoveFile(backup.backup);
    }
  }

  bool IsUninstallKey(const std::string& path) const {
    return SameFileName(cp(), path, std::string("HKEY_LOCAL_MACHINE\\") + kUninstallKey);
  }

  // Add/Remove Programs goes last: until then the uninstall can be started again.
  void RemoveCreatedKeys() {
    for (const std::string& path : InnermostFirst(cp(), record_.createdKeys)) {
      if (IsUninstallKey(path)) continue;
      const bool reached = WithKeyRoot(p_, env_, path, [&](RegHandle root, const std::string& subkey) {
        RemoveKey(root, subkey, path);
      });
      if (!reached) report_.Warning("registry key of a user without a profile, left: " + path);
    }
  }

  // A key that others have added keys to stays.
  void RemoveKey(RegHandle root, const std::string& subkey, const std::string& path) {
    const long rc = p_.registry.Delete(root, subkey);
    if (rc == kOk) {
      report_.Done("registry key removed: " + path);
      return;
    }
    if (IsNotFound(rc)) return;
    RegKey key(p_.registry);
    uint32_t subkeys = 0;
    if (key.Open(root, subkey, RegAccess::Read) == kOk && key.Handle() != 0 &&
        p_.registry.SubkeyCount(key.Handle(), &subkeys) == kOk && subkeys > 0) {
      report_.Warning("registry key holds keys of others, kept: " + path);
    } else {
      report_.Failure("registry key not removed: " + path + ErrorText(rc));
    }
  }

  // Values the install added to keys it did not make go when they still hold what it wrote.
  // A value it replaced stays as it is now.
  void RemoveAddedValues() {
    for (const RecordedValue& value : record_.values) {
      if (value.existed) continue;
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
    }
  }

  // A key removed since (AutoCAD or the profile gone) leaves nothing to change.
  bool OpenForChange(RegKey& key, RegHandle root, const std::string& subkey, const std::string& where) {
    const long rc = key.Open(root, subkey, RegAccess::ReadWrite);
    if (rc != kOk && !IsNotFound(rc)) report_.Failure("registry key cannot be opened, kept: " + where + ErrorText(rc));
    return rc == kOk;
  }

  void DeleteValue(RegHandle key, const std::string& name, const std::string& where) {
    const long rc = p_.registry.DeleteValue(key, name);
    if (rc == kOk) report_.Done("registry value removed: " + where);
    else if (!IsNotFound(rc)) report_.Failure("registry value not removed: " + where + ErrorText(rc));
  }

  // The entry comes out of the setting as it is now; a setting that the install made and that
  // holds nothing else goes. One it replaced whole or only upper-cased stays as it is.
  void TakeOutTrustedPath(const RecordedTrustedPath& change) {
    if (change.appended.empty()) return;
    const std::string where = change.sid + "\\" + change.variablesKey + " : " + kTrustedPathsValue;
    const bool reached = WithUserHive(p_, env_, change.sid, [&](RegHandle root) {
      RegKey key(p_.registry);
      if (!OpenForChange(key, root, change.variablesKey, where)) return;
      uint32_t type = 0;
      std::string data;
      if (p_.registry.GetBytes(key.Handle(), kTrustedPathsValue, &type, &data) != kOk) return;
      std::string rest;
      if (!WithoutEntry(cp(), TextOf(data), change.appended, &rest)) return;
      if (rest.empty() && change.valueCreated) {
        DeleteValue(key.Handle(), kTrustedPathsValue, where);
        return;
      }
      const long rc = p_.registry.SetString(key.Handle(), kTrustedPathsValue, rest);
      if (rc == kOk) report_.Done("trusted path taken out: " + where + " = " + rest);
      else report_.Failure("trusted path not taken out: " + where + ErrorText(rc));
    });
    if (!reached) report_.Warning("trusted path of a user without a profile, left: " + where);
  }

  bool HoldsRecordFolder(const std::string& folder) const {
    return SameFileName(cp(), folder, recordFolder_) || IsBelow(cp(), recordFolder_, folder);
  }

  // The folders that hold the record folder go after it. Its parent (the maker's folder in
  // Program Files) goes too once nothing else is in it, whoever made it.
  void RemoveCreatedFolders(bool holdingRecordFolder) {
    std::vector<std::string> folders;
    for (const std::string& folder : record_.createdFolders) {
      if (HoldsRecordFolder(folder) != holdingRecordFolder) continue;
      if (holdingRecordFolder && SameFileName(cp(), folder, recordFolder_)) continue;
      folders.push_back(folder);
    }
    const std::string parent = FolderOfPath(cp(), recordFolder_);
    const bool parentRecorded = std::any_of(folders.begin(), folders.end(),
                                            [&](const std::string& folder) { return SameFileName(cp(), folder, parent); });
    if (holdingRecordFolder && !parentRecorded) folders.push_back(parent);
    for (const std::string& folder : InnermostFirst(cp(), folders)) {
      const bool ours = parentRecorded || !SameFileName(cp(), folder, parent) || !holdingRecordFolder;
      const long rc = p_.files.RemoveDirectory(folder);
      if (rc == kOk) report_.Done("folder removed: " + folder);
      else if (rc == kErrDirNotEmpty && holdingRecordFolder && recordFolderLater_) RemoveLater(folder, rc);
      else if (rc == kErrDirNotEmpty && ours) report_.Warning("folder not empty, kept: " + folder);
      else if (!IsNotFound(rc) && rc != kErrDirNotEmpty && ours) report_.Failure("folder not removed: " + folder + ErrorText(rc));
    }
  }


  // The kept uninstaller cannot go while it runs (it started this copy and waits for it): it
  // goes at the next restart, and the folder with it.
  void RemoveRecordFolder() {
    RemoveFile(recordFolder_ + "\\" + kRecordFileName);
    RemoveEmptyFolder(recordFolder_ + "\\" + kBackupFolderName);
    // The installs' logs go with it; this run's own lies elsewhere.
    const std::string logs = recordFolder_ + "\\" + kLogsFolderName;
    for (const std::string& log : OldLogs(p_.files, logs, 0)) RemoveFile(log);
    RemoveEmptyFolder(logs);
    const std::string uninstaller = recordFolder_ + "\\" + kUninstallerName;
    const long rc = p_.files.Remove(uninstaller);
    bool later = false;
    if (rc == kOk) {
      report_.Done("file removed: " + uninstaller);
    } else if (!IsNotFound(rc)) {
      later = RemoveLater(uninstaller, rc);
    }
    const long folderRc = p_.files.RemoveDirectory(recordFolder_);
    if (folderRc == kOk) report_.Done("folder removed: " + recordFolder_);
    else if (later) recordFolderLater_ = RemoveLater(recordFolder_, folderRc);
    else if (!IsNotFound(folderRc)) report_.Failure("folder not removed: " + recordFolder_ + ErrorText(folderRc));
  }

  void RemoveEmptyFolder(const std::string& folder) {
    const long rc = p_.files.RemoveDirectory(folder);
    if (rc == kOk) report_.Done("folder removed: " + folder);
    else if (!IsNotFound(rc)) report_.Failure("folder not removed: " + folder + ErrorText(rc));
  }

  bool RemoveLater(const std::string& path, long nowRc) {
    const long rc = p_.files.RemoveAtRestart(path);
    if (rc == kOk) {
      report_.Done("removed at the next restart: " + path);
      return true;
    }
    report_.Failure("not removed: " + path + ErrorText(nowRc));
    return false;
  }

  const Platform& p_;
  const Environment& env_;
  const InstallRecord& record_;
  InstallReport& report_;
  const std::string recordFolder_;
  bool recordFolderLater_ = false;
};

}  // namespace

void RemoveRecordedInstall(const Platform& p, const Environment& env, const InstallRecord& record,
                           InstallReport& report) {
  Removal(p, env, record, report).Run();
}
