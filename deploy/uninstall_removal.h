// The two halves of RemoveRecordedInstall (uninstall_removal.cpp), which interleaves them: what
// the install put on the disk, and what it wrote into the registry.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "deploy/install_record.h"
#include "deploy/install_report.h"
#include "deploy/record_folder.h"
#include "platform/environment.h"
#include "platform/mb_string.h"
#include "platform/platform.h"

// Innermost first: deeper paths before the ones that hold them, otherwise last recorded first.
inline std::vector<std::string> InnermostFirst(const CodePage& cp, std::vector<std::string> paths) {
  const auto depth = [&](const std::string& path) {
    size_t n = 0;
    for (std::string rest = path; !rest.empty(); rest = FolderOfPath(cp, rest)) ++n;
    return n;
  };
  std::reverse(paths.begin(), paths.end());
  std::stable_sort(paths.begin(), paths.end(),
                   [&](const std::string& a, const std::string& b) { return depth(a) > depth(b); });
  return paths;
}

// The folders the uninstall deletes in, each opened as itself and held from its first use to
// the end, so that nobody can swap it for a link meanwhile (uninstall_folder_levels.cpp).
class FolderLevels {
 public:
  // `removable`: the folders that may be removed, opened with DELETE access.
  FolderLevels(const Platform& p, InstallReport& report, const std::vector<std::string>& removable);

  enum class Trust { Trusted, Missing, Refused };
  // Every level of `folder` below its drive's root, held from now on: Trusted when none is a
  // link or anyone else's, Missing when one is not there. A level that fails the check is named
  // in the report once, as a failure, and everything below it is left alone.
  Trust Check(const std::string& folder);
  // Removes a held, trusted folder through its handle; kErrDirNotEmpty while anything is in it.
  long Remove(const std::string& folder);

 private:
  std::string Key(const std::string& path) const { return p_.codePage.Upper(path); }
  Trust Hold(const std::string& level);

  const Platform& p_;
  InstallReport& report_;
  std::vector<std::string> removable_;  // by Key
  std::map<std::string, std::unique_ptr<HeldFolder>> held_;  // by Key
  std::map<std::string, Trust> known_;  // by Key: the checks done, held or not
};

// Files, backups and folders (uninstall_removal_files.cpp). What is already gone is no failure;
// what fails goes into `remains`, the record that a later run finishes with.
class FileRemoval {
 public:
  // `copyFolder`: the temporary copy's folder, where kept programs in use are set aside; empty
  // when this run is not that copy.
  FileRemoval(const Platform& p, const Environment& env, const InstallRecord& record, InstallRecord& remains,
              InstallReport& report, const std::string& copyFolder);

  void RemoveFiles();
  void PutBackBackups();
  void RemoveCreatedFolders(bool holdingRecordFolder);
  // What the record folder holds besides the record and the kept uninstaller.
  void RemoveRecordFolderContents();
  // The record rewritten with `remains` only: the uninstall can be run again for the rest.
  void KeepRemains();
  // The record, then the kept uninstaller and the folder.
  void RemoveRecordFolder();

 private:
  const CodePage& cp() const { return p_.codePage; }
  enum class Sameness { Unchanged, Changed, Unreadable };
  Sameness Compare(const RecordedFile& file);
  bool RemoveFile(const std::string& path);
  long PutBack(const RecordedBackup& backup);
  void PutBackOrDrop(const RecordedBackup& backup);
  bool HoldsRecordFolder(const std::string& folder) const;
  long RemoveFolder(const std::string& folder);
  void RemoveEmptyFolder(const std::string& folder);
  bool RemoveFileOrSetAside(const std::string& path, const std::string& away, bool own);
  long SetAside(const std::string& path, const std::string& folder, std::string* aside);

  const Platform& p_;
  const InstallRecord& record_;
  InstallRecord& remains_;
  InstallReport& report_;
  const std::string recordFolder_;
  const std::string copyFolder_;
  FolderLevels levels_;
};

// Keys, values and trusted-path entries (uninstall_removal_registry.cpp).
class RegistryRemoval {
 public:
  RegistryRemoval(const Platform& p, const Environment& env, const InstallRecord& record, InstallRecord& remains,
                  InstallReport& report)
      : p_(p), env_(env), record_(record), remains_(remains), report_(report) {}

  void RemoveCreatedKeys();
  void RemoveAddedValues();
  void TakeOutTrustedPath(const RecordedTrustedPath& change);
  // What TessaruneUser.exe did in each user's hive (user_trusted_paths.h), its record there and
  // Active Setup's copy of the component's version.
  void RemoveUserEntries();
  // A move: the keys the install made whose LOADER lies in one of `folders`. The keys removed
  // (or gone already).
  std::vector<std::string> RemoveLoadersIn(const std::vector<std::string>& folders);
  // False when the key is there still and not on purpose.
  bool RemoveKey(RegHandle root, const std::string& subkey, const std::string& path);

 private:
  void TakeOutTrustedPathAt(RegHandle root, const RecordedTrustedPath& change, const std::string& where);
  const CodePage& cp() const { return p_.codePage; }
  bool IsUninstallKey(const std::string& path) const;
  bool OpenForChange(RegKey& key, RegHandle root, const std::string& subkey, const std::string& where);
  void DeleteValue(RegHandle key, const std::string& name, const std::string& where);

  const Platform& p_;
  const Environment& env_;
  const InstallRecord& record_;
  InstallRecord& remains_;
  InstallReport& report_;
};
