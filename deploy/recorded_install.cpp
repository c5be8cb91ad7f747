#include "deploy/recorded_install.h"

#include <algorithm>

#include "deploy/move_cleanup.h"
#include "deploy/pending_deletions.h"
#include "deploy/product_version.h"
#include "deploy/record_folder.h"
#include "deploy/user_trusted_paths.h"
#include "install/install.h"
#include "platform/folder_security.h"
#include "platform/mb_string.h"
#include "tessa_version.h"

namespace {

bool HasBackupOf(const CodePage& cp, const InstallRecord& record, const std::string& original) {
  return std::any_of(record.backups.begin(), record.backups.end(),
                     [&](const RecordedBackup& b) { return SameFileName(cp, b.original, original); });
}

}  // namespace

RecordedInstall::RecordedInstall(const Platform& p, const Environment& env, MessageBoxes& boxes,
                                 InstallReport& report, const AcadReleaseTable& table, const int selected[kYearCount],
                                 HeldFile* self)
    : p_(p),
      env_(env),
      report_(report),
      self_(self),
      home_(p.files, p.codePage, env),
      registry_(p.registry, p.codePage, env, report, record_),
      files_(p.files, p.codePage, report, record_),
      recording_{registry_, files_, p.processes, boxes, p.codePage} {
  hasEarlier_ = home_.ReadRecord(&earlier_);
  if (!selected[kPlotDriverYear - kFirstYear]) return;
  std::vector<std::string> drivers;
  for (const std::string& folder : table.acadFolders[kPlotDriverYear - kFirstYear]) {
    drivers.push_back(PlotDriverPath(folder));
  }
  files_.KeepBeforeReplacing(drivers, [this](const std::string& original, const std::string& productDriverSha256) {
    KeepDriver(original, productDriverSha256);
  });
}

bool RecordedInstall::PrepareHome(std::string* why) {
  if (!pendingCancelled_) {
    pendingCancelled_ = true;
    CancelPendingOperationsIn(p_.registry, p_.codePage, home_.Path(), report_);
  }
  return home_.Prepare(why);
}

// Once per original: a later install finds the product's driver there, or the backup kept. Read
// through opens that follow no link: its folder held as itself, the driver opened as itself.
void RecordedInstall::KeepDriver(const std::string& original, const std::string& productDriverSha256) {
  const CodePage& cp = p_.codePage;
  if (HasBackupOf(cp, earlier_, original) || HasBackupOf(cp, record_, original)) return;
  long rc = kOk;
  std::unique_ptr<HeldFolder> folder = p_.files.HoldFolder(FolderOfPath(cp, original), false, &rc);
  std::unique_ptr<HeldFile> driver = folder ? p_.files.HoldFile(original, &rc) : nullptr;
  std::string bytes, why;
  if (driver) rc = driver->Read(&bytes);
  if (rc != kOk) {
    report_.Failure("driver not saved, it cannot be read: " + original + ErrorText(rc));
    return;
  }
  if (!PrepareHome(&why)) {
    report_.Failure(why);
    return;
  }
  // Several AutoCAD 2008 installations: one name each.
  std::string relative;
  for (int n = 1; relative.empty() || p_.files.Exists(home_.Path() + "\\" + relative); ++n) {
    relative = std::string(kBackupFolderName) + "\\pdfplot9" + (n == 1 ? "" : " (" + std::to_string(n) + ")") + ".hdi";
  }
  const std::string backup = home_.Path() + "\\" + relative;
  std::string written;
  rc = home_.Write(relative, bytes);
  if (rc == kOk) rc = p_.files.ReadFile(backup, &written);
  if (rc == kOk && written != bytes) rc = kErrAccessDenied;
  if (rc != kOk) {
    report_.Failure("driver not saved: " + original + ErrorText(rc));
    return;
  }
  // The product's own driver is no original to put back.
  if (p_.files.Sha256(backup) == productDriverSha256) {
    p_.files.Remove(backup);
    return;
  }
  record_.backups.push_back({original, backup});
  report_.Done("driver saved: " + original + " as " + backup);
}

// The bytes of the program that runs, through the handle held since start-up: by now its path
// may name another file.
void RecordedInstall::KeepUninstaller() {
  const CodePage& cp = p_.codePage;
  // Started from the kept copy: it is the uninstaller already.
  if (SameFileName(cp, FolderOfPath(cp, p_.files.ModulePath()), home_.Path())) return;
  const std::string kept = home_.Path() + "\\" + kUninstallerName;
  if (self_ == nullptr) {
    report_.Failure("uninstaller not kept, the running program was not held: " + kept);
    return;
  }
  std::string bytes, written;
  long rc = self_->Read(&bytes);
  if (rc == kOk) rc = home_.Write(kUninstallerName, bytes);
  if (rc == kOk) rc = p_.files.ReadFile(kept, &written);
  if (rc != kOk) {
    report_.Failure("uninstaller not kept: " + kept + ErrorText(rc));
  } else if (written != bytes) {
    p_.files.Remove(kept);
    report_.Failure("uninstaller not kept, the copy is not the running program: " + kept);
  } else {
    report_.Done("uninstaller kept: " + kept);
  }
}

bool RecordedInstall::KeepUserProgram() {
  const std::string bytes = env_.UserProgram();
  if (bytes.empty()) return false;
  const std::string kept = home_.Path() + "\\" + kUserProgramName;
  long rc = home_.Write(kUserProgramName, bytes);
  std::string written;
  if (rc == kOk) rc = p_.files.ReadFile(kept, &written);
  if (rc == kOk && written != bytes) rc = kErrAccessDenied;
  if (rc != kOk) {
    report_.Failure("per-user program not kept: " + kept + ErrorText(rc));
    return false;
  }
  report_.Done("per-user program kept: " + kept);
  return true;
}

// Windows runs the stub once for each user at their next logon, as that user, and again when the
// version grows; written through the recording registry, so the uninstall removes the key.
void RecordedInstall::RegisterActiveSetup() {
  Registry& registry = registry_;
  RegKey key(registry);
  if (key.Create(kHkeyLocalMachine, kActiveSetupKey) != kOk) return;
  uint32_t type = 0;
  std::string existing;
  if (registry.GetBytes(key.Handle(), "Version", &type, &existing) != kOk) existing.clear();
  registry.SetString(key.Handle(), "", "Tessarune");
  registry.SetString(key.Handle(), "StubPath", "\"" + home_.Path() + "\\" + kUserProgramName + "\"");
  registry.SetString(key.Handle(), "Version", ActiveSetupVersion(env_.LocalTime(), existing.substr(0, existing.find('\0'))));
  registry.SetDword(key.Handle(), "IsInstalled", 1);
}

void RecordedInstall::ListInAddRemovePrograms(const std::string& installFolder) {
  // The entry is the setup's like any other key it writes: through the recording registry.
  Registry& registry = registry_;
  RegKey key(registry);
  if (key.Create(kHkeyLocalMachine, kUninstallKey) != kOk) return;
  uint64_t bytes = 0;
  for (const RecordedFile& file : Merged().files) bytes += file.size;
  const std::string uninstaller = "\"" + home_.Path() + "\\" + kUninstallerName + "\"";
  registry.SetString(key.Handle(), "DisplayName", "Tessarune");
  registry.SetString(key.Handle(), "DisplayVersion", TESSA_VERSION_TEXT);
  registry.SetString(key.Handle(), "Publisher", "Quilox");
  registry.SetString(key.Handle(), "InstallLocation", installFolder);
  registry.SetString(key.Handle(), "DisplayIcon", home_.Path() + "\\" + kUninstallerName + ",0");
  registry.SetDword(key.Handle(), "EstimatedSize", static_cast<uint32_t>((bytes + 1023) / 1024));
  registry.SetDword(key.Handle(), "NoModify", 1);
  registry.SetDword(key.Handle(), "NoRepair", 1);
  registry.SetString(key.Handle(), "UninstallString", uninstaller + " /UNINSTALL");
  registry.SetString(key.Handle(), "QuietUninstallString", uninstaller + " /UNINSTALL /S");
}

InstallRecord RecordedInstall::Merged() const {
  if (!hasEarlier_) return record_;
  InstallRecord merged = earlier_;
  MergeInstallRecord(p_.codePage, merged, record_);
  return merged;
}

void RecordedInstall::Begin(RunLog* log) {
  std::string why;
  // A folder that cannot be used now is reported when the record is written.
  if (!PrepareHome(&why) || !log || log->IsOpen()) return;
  if (!home_.MakeFolder(kLogsFolderName)) return;
  log->OpenIn(home_.Path() + "\\" + kLogsFolderName, kLogsKept);
}

void RecordedInstall::Announce(const std::string& installFolder) {
  if (announced_) return;
  announced_ = true;
  const std::string installed = hasEarlier_ ? earlier_.version : "";
  std::string what = VersionChange(installed, TESSA_VERSION_TEXT);
  report_.Done(what);
  if (hasEarlier_ && !earlier_.installFolder.empty() && !SameFileName(p_.codePage, earlier_.installFolder, installFolder)) {
    const std::string move = "moving from " + earlier_.installFolder + " to " + installFolder;
    report_.Done(move);
    what += ", " + move;
  }
  record_.history.push_back(env_.LocalTime() + " " + env_.UserName() + ": " + what);
}

void RecordedInstall::Finish(const std::string& installFolder, bool completed) {
  Announce(installFolder);
  files_.Finish();
  record_.version = TESSA_VERSION_TEXT;
  record_.time = env_.LocalTime();
  record_.account = env_.UserName();
  record_.installFolder = installFolder;

  std::string why;
  if (!PrepareHome(&why)) {
    report_.Failure(why);
    return;
  }
  KeepUninstaller();
  const bool userProgramKept = KeepUserProgram();
  // Only a complete install is listed: an entry for half an install would say it is there.
  if (completed && report_.Failures() == 0) {
    if (userProgramKept) RegisterActiveSetup();
    ListInAddRemovePrograms(installFolder);
  }
  const std::string arpKey = std::string("HKEY_LOCAL_MACHINE\\") + kUninstallKey;
  const bool arpMadeNow = std::any_of(record_.createdKeys.begin(), record_.createdKeys.end(),
                                      [&](const std::string& key) { return SameFileName(p_.codePage, key, arpKey); });

  InstallRecord merged = Merged();
  // A move: the folder left is cleared only once the new one is complete.
  if (completed && report_.Failures() == 0) CleanUpEarlierFolders(p_, env_, merged, report_);
  merged.failures = report_.FailureTexts();
  const long rc = home_.Write(kRecordFileName, SerializeInstallRecord(p_.codePage, merged));
  if (rc != kOk) {
    // Without its record an entry would offer an uninstall that finds nothing to remove.
    if (arpMadeNow) p_.registry.Delete(kHkeyLocalMachine, kUninstallKey);
    report_.Failure("install record not written: " + home_.Path() + "\\" + kRecordFileName + " (error " +
                    std::to_string(rc) + ")");
  } else {
    report_.Done("install record written: " + home_.Path() + "\\" + kRecordFileName);
  }
}
