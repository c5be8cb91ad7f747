// RemoveRecordedInstall's files, backups and folders: the files inside the install folder only
// while unchanged, the backups put back, the folders once empty, the record folder last.
#include <algorithm>
#include <string>
#include <vector>

#include "deploy/record_folder.h"
#include "deploy/run_log.h"
#include "deploy/uninstall_removal.h"
#include "deploy/user_trusted_paths.h"
#include "platform/mb_string.h"

namespace {

// The folders the uninstall may remove: those the install made, and the record folder's.
std::vector<std::string> RemovableFolders(const CodePage& cp, const InstallRecord& record,
                                          const std::string& recordFolder) {
  std::vector<std::string> folders = record.createdFolders;
  folders.push_back(recordFolder);
  folders.push_back(recordFolder + "\\" + kBackupFolderName);
  folders.push_back(recordFolder + "\\" + kLogsFolderName);
  folders.push_back(FolderOfPath(cp, recordFolder));
  return folders;
}

// Inside one of the folders the product was installed into.
bool IsInstalledFile(const CodePage& cp, const InstallRecord& record, const std::string& path) {
  if (IsBelowFolder(cp, path, record.installFolder)) return true;
  return std::any_of(record.earlierInstallFolders.begin(), record.earlierInstallFolders.end(),
                     [&](const std::string& folder) { return IsBelowFolder(cp, path, folder); });
}

}  // namespace

FileRemoval::FileRemoval(const Platform& p, const Environment& env, const InstallRecord& record,
                         InstallRecord& remains, InstallReport& report, const std::string& copyFolder)
    : p_(p),
      record_(record),
      remains_(remains),
      report_(report),
      recordFolder_(RecordFolder(env)),
      copyFolder_(copyFolder),
      levels_(p, report, RemovableFolders(p.codePage, record, recordFolder_)) {}

// By the hash where the install took one, else by size and last-write time.
FileRemoval::Sameness FileRemoval::Compare(const RecordedFile& file) {
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

// Files outside the install folders (fonts, the plotter driver) stay. A changed file is kept on
// purpose and forgotten; one that failed stays in the record.
void FileRemoval::RemoveFiles() {
  for (const RecordedFile& file : record_.files) {
    if (!IsInstalledFile(cp(), record_, file.path)) continue;
    // Its folders held first: nobody can swap one for a link while the file is compared and deleted.
    const FolderLevels::Trust trust = levels_.Check(FolderOfPath(cp(), file.path));
    if (trust == FolderLevels::Trust::Refused) remains_.files.push_back(file);
    if (trust != FolderLevels::Trust::Trusted || !p_.files.Exists(file.path)) continue;
    const Sameness sameness = Compare(file);
    if (sameness == Sameness::Unreadable) {
      report_.Failure("file cannot be read, kept: " + file.path);
      remains_.files.push_back(file);
      continue;
    }
    if (sameness == Sameness::Changed) {
      report_.Warning("file changed since the install, kept: " + file.path);
      continue;
    }
    if (!RemoveFileOrSetAside(file.path, "", false)) remains_.files.push_back(file);
  }
}

bool FileRemoval::RemoveFile(const std::string& path) {
  const long rc = p_.files.Remove(path);
  if (rc == kOk) report_.Done("file removed: " + path);
  else if (!IsNotFound(rc)) report_.Failure("file not removed: " + path + ErrorText(rc));
  return rc == kOk || IsNotFound(rc);
}

// Written fresh beside the original and renamed over it, in folders checked and held: never
// through a link that stands there now.
long FileRemoval::PutBack(const RecordedBackup& backup) {
  for (const std::string& file : {backup.backup, backup.original}) {
    const FolderLevels::Trust trust = levels_.Check(FolderOfPath(cp(), file));
    if (trust == FolderLevels::Trust::Missing) return kErrPathNotFound;
    if (trust == FolderLevels::Trust::Refused) return kErrAccessDenied;
  }
  long rc = kOk;
  std::unique_ptr<HeldFile> saved = p_.files.HoldFile(backup.backup, &rc);
  std::string bytes;
  if (saved) rc = saved->Read(&bytes);
  if (rc != kOk) return rc;
  const std::string fresh = backup.original + ".new";
  // Left by a run that stopped, or put there by anyone: a link goes, never what it leads to.
  p_.files.Remove(fresh);
  rc = p_.files.WriteNewFile(fresh, bytes);
  if (rc == kOk) rc = p_.files.Replace(fresh, backup.original);
  if (rc != kOk) p_.files.Remove(fresh);
  return rc;
}

void FileRemoval::PutBackBackups() {
  for (const RecordedBackup& backup : record_.backups) PutBackOrDrop(backup);
}

// A backup whose original's folder is gone (that AutoCAD removed) has nowhere to go back to.
void FileRemoval::PutBackOrDrop(const RecordedBackup& backup) {
  const FolderLevels::Trust kept = levels_.Check(FolderOfPath(cp(), backup.backup));
  if (kept == FolderLevels::Trust::Missing || (kept == FolderLevels::Trust::Trusted && !p_.files.Exists(backup.backup))) {
    report_.Warning("backup gone, not put back: " + backup.original + " from " + backup.backup);
    return;
  }
  if (kept == FolderLevels::Trust::Trusted &&
      levels_.Check(FolderOfPath(cp(), backup.original)) == FolderLevels::Trust::Missing) {
    report_.Done("backup dropped, the folder it came from is gone: " + backup.original);
    if (!RemoveFile(backup.backup)) remains_.backups.push_back(backup);
    return;
  }
  const long rc = PutBack(backup);
  if (rc != kOk) {
    // Kept where it is, so that it can still be put back by hand.
    report_.Failure("file not put back: " + backup.original + " from " + backup.backup + ErrorText(rc));
    remains_.backups.push_back(backup);
    return;
  }
  report_.Done("file put back: " + backup.original);
  if (!RemoveFile(backup.backup)) remains_.backups.push_back(backup);
}

bool FileRemoval::HoldsRecordFolder(const std::string& folder) const {
  return SameFileName(cp(), folder, recordFolder_) || IsBelowFolder(cp(), recordFolder_, folder);
}

// The folders that hold the record folder go after it. Its parent (the maker's folder in
// Program Files) goes too once nothing else is in it, whoever made it.
void FileRemoval::RemoveCreatedFolders(bool holdingRecordFolder) {
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
    const long rc = RemoveFolder(folder);
    // Kept in the record while it is there: what keeps it may go in a later run.
    if (rc != kOk && !holdingRecordFolder && p_.files.Exists(folder)) {
      remains_.createdFolders.insert(remains_.createdFolders.begin(), folder);
    }
    if (rc == kOk) report_.Done("folder removed: " + folder);
    else if (rc == kErrDirNotEmpty && ours) report_.Warning("folder not empty, kept: " + folder);
    else if (!IsNotFound(rc) && rc != kErrDirNotEmpty && ours) report_.Failure("folder not removed: " + folder + ErrorText(rc));
  }
}

void FileRemoval::RemoveRecordFolderContents() {
  if (levels_.Check(recordFolder_) != FolderLevels::Trust::Trusted) return;
  // Run at a logon, it may be running now.
  RemoveFileOrSetAside(recordFolder_ + "\\" + kUserProgramName, copyFolder_, true);
  // Emptied by the backups put back, unless one failed.
  if (remains_.backups.empty()) RemoveEmptyFolder(recordFolder_ + "\\" + kBackupFolderName);
  // The installs' logs go with it; this run's own lies elsewhere.
  const std::string logs = recordFolder_ + "\\" + kLogsFolderName;
  for (const std::string& log : OldLogs(p_.files, logs, 0)) RemoveFile(log);
  RemoveEmptyFolder(logs);
}

// Written fresh and renamed over the record, in the record folder held: never through a link.
void FileRemoval::KeepRemains() {
  const std::string file = recordFolder_ + "\\" + kRecordFileName;
  if (levels_.Check(recordFolder_) != FolderLevels::Trust::Trusted || !p_.files.Exists(file)) return;
  const std::string fresh = file + ".new";
  p_.files.Remove(fresh);
  long rc = p_.files.WriteNewFile(fresh, SerializeInstallRecord(cp(), remains_));
  if (rc == kOk) rc = p_.files.Replace(fresh, file);
  if (rc != kOk) p_.files.Remove(fresh);
  if (rc == kOk) report_.Done("install record kept with what remains, for the uninstall to be run again: " + file);
  else report_.Failure("install record not rewritten with what remains: " + file + ErrorText(rc));
}

// The kept uninstaller cannot go while it runs (it started this copy and waits for it): it
// goes at the next restart, and the folder with it.
void FileRemoval::RemoveRecordFolder() {
  if (levels_.Check(recordFolder_) != FolderLevels::Trust::Trusted) return;
  if (!RemoveFile(recordFolder_ + "\\" + kRecordFileName)) return;
  RemoveFileOrSetAside(recordFolder_ + "\\" + kUninstallerName, copyFolder_, true);
  // Holding a kept program set aside (the temporary folder on another volume), it stays: a
  // restart never removes a folder that a later install uses.
  const long folderRc = RemoveFolder(recordFolder_);
  if (folderRc == kOk) report_.Done("folder removed: " + recordFolder_);
  else if (folderRc == kErrDirNotEmpty) report_.Warning("folder not empty, kept: " + recordFolder_);
  else if (!IsNotFound(folderRc)) report_.Failure("folder not removed: " + recordFolder_ + ErrorText(folderRc));
}

// A folder refused by its check has been named already; one that is not there is no failure.
long FileRemoval::RemoveFolder(const std::string& folder) {
  const FolderLevels::Trust trust = levels_.Check(folder);
  if (trust == FolderLevels::Trust::Refused) return kErrFileNotFound;
  return levels_.Remove(folder);
}

void FileRemoval::RemoveEmptyFolder(const std::string& folder) {
  const long rc = RemoveFolder(folder);
  if (rc == kOk) report_.Done("folder removed: " + folder);
  else if (!IsNotFound(rc)) report_.Failure("folder not removed: " + folder + ErrorText(rc));
}

// A file in use (the kept uninstaller waits for this copy; a program may hold a module) cannot
// go now, and its path is one that a later install writes again: it is renamed into `away`, or
// beside itself when `away` is on another volume or none, under a name no install uses, and
// that name goes at the next restart. `own`: the setup's own program, which never asks for the
// restart. False when it stays where it is.
bool FileRemoval::RemoveFileOrSetAside(const std::string& path, const std::string& away, bool own) {
  const long rc = p_.files.Remove(path);
  if (rc == kOk) report_.Done("file removed: " + path);
  if (rc == kOk || IsNotFound(rc)) return true;
  const bool inUse = rc == kErrSharingViolation || (rc == kErrAccessDenied && !(p_.files.Attributes(path) & kAttrReadOnly));
  std::string aside;
  long moved = kErrAccessDenied;
  if (inUse && !away.empty()) moved = SetAside(path, away, &aside);
  if (inUse && (away.empty() || moved == kErrNotSameDevice)) moved = SetAside(path, FolderOfPath(cp(), path), &aside);
  if (moved != kOk) {
    report_.Failure("file not removed: " + path + ErrorText(rc));
    return false;
  }
  const long later = p_.files.RemoveAtRestart(aside);
  const std::string what = path + " as " + aside;
  if (later != kOk) report_.Warning("in use, set aside and not removed at the next restart: " + what + ErrorText(later));
  else if (own) report_.Done("in use, removed at the next restart: " + what);
  else report_.WaitsForRestart(what);
  return true;
}

long FileRemoval::SetAside(const std::string& path, const std::string& folder, std::string* aside) {
  const std::string name = path.substr(FindLastBackslash(cp(), path) + 1);
  for (int i = 1; i <= 100; ++i) {
    *aside = folder + "\\" + name + "." + std::to_string(i) + ".removed";
    // In a folder held and the administrators' only: nobody puts a link there meanwhile.
    if (!p_.files.Exists(*aside)) return p_.files.Replace(path, *aside);
  }
  return kErrAlreadyExists;
}
