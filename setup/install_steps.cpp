#include "setup/install_steps.h"

#include "acad/demand_load_modules.h"
#include "install/install_texts.h"
#include "picker/folder_validation.h"
#include "platform/folder_security.h"
#include "platform/mb_string.h"
#include "setup/install_command_texts.h"

namespace {

// Unlike an AutoCAD folder, a chosen path that is a lone backslash loses it too.
std::string WithoutTrailingBackslash(const CodePage& cp, std::string path) {
  RemoveTrailingBackslash(cp, path, LoneBackslash::Remove);
  return path;
}

// The level a path names for the checks: "D:" alone would be the drive's current folder.
std::string LevelPath(const std::string& path) { return path.size() == 2 ? path + "\\" : path; }

// The folder the payload would come from. Only a Data folder redirects: a flat distribution's
// files lie beside SetUp.exe, in the folder the administrator started it from.
std::string DataFolder(const Platform& p) {
  return FolderOfPath(p.codePage, p.files.ModulePath()) + "\\Data";
}

// The setup runs elevated and makes what it installs trusted by AutoCAD for every user: a folder
// that leads elsewhere or that a user owns would let that user choose what is installed or loaded.
// Returns the first such folder, or "".
std::string UntrustedFolder(const Platform& p, const std::string& chosen, const std::string& installFolder) {
  for (const std::string& level : {LevelPath(chosen), installFolder}) {
    if (p.files.IsRedirection(level) || (p.files.Exists(level) && p.files.Owner(level) != Ownership::Administration)) {
      return level;
    }
  }
  const std::string data = DataFolder(p);
  return p.files.IsRedirection(data) ? data : std::string();
}

// Whether the folder holds nothing but, at most, the install folder. A listing that cannot be
// read says no.
bool HoldsOnlyTheInstallFolder(const Platform& p, const std::string& folder) {
  FindEntry entry;
  std::unique_ptr<DirListing> listing = p.files.FindFirst(folder + "\\*", &entry);
  if (!listing) return false;
  do {
    if (entry.name != "." && entry.name != ".." && !SameFileName(p.codePage, entry.name, kProductFolderName)) {
      return false;
    }
  } while (listing->Next(&entry));
  return listing->Error() == kErrNoMoreFiles;
}

bool SecureAndHold(const Platform& p, const std::string& folder, FolderHolds& holds) {
  long error = kOk;
  std::unique_ptr<FolderHold> hold = p.files.Secure(folder, kProtectedFolderSddl, &error);
  if (!hold) return false;
  holds.push_back(std::move(hold));
  return true;
}

// An install folder from an earlier installation inherited what its parent allowed (on C:\, any
// user may change it): it is given the protected descriptor and held until the installation is
// over. So is the chosen folder above it when it holds nothing else (the default C:\Quilox); a
// drive's root never. Returns the folder that could not be secured, or "".
std::string SecureExisting(const Platform& p, const std::string& chosen, const std::string& installFolder,
                           FolderHolds& holds) {
  const std::string level = LevelPath(chosen);
  const bool chosenToo = level.size() > 3 && p.files.Exists(level) && HoldsOnlyTheInstallFolder(p, level);
  if (p.files.Exists(installFolder) && !SecureAndHold(p, installFolder, holds)) return installFolder;
  if (chosenToo && !SecureAndHold(p, level, holds)) return level;
  return "";
}

}  // namespace

bool StopForRunningAcad(const Platform& p, WindowRef owner, bool& warnIfHostRunning) {
  if (!warnIfHostRunning || !IsAcadRunning(p)) return false;
  p.boxes.Show(owner, kCloseAcadText, kSetupCaption, kMbOk);
  warnIfHostRunning = false;
  return true;
}

InstallFolderResult PrepareInstallFolder(const Platform& p, WindowRef owner, std::string& installPath,
                                         FolderHolds& holds) {
  if (installPath.empty()) return InstallFolderResult::EmptyPath;
  // The text goes on into folder names and AutoCAD's trusted paths: a relative path, a share or a
  // character no name may hold would install somewhere else or add foreign entries.
  if (!IsTypedInstallPath(p.codePage, installPath)) {
    ShowInvalidPath(p, owner, installPath);
    return InstallFolderResult::Invalid;
  }

  const std::string chosen = WithoutTrailingBackslash(p.codePage, installPath);
  const std::string installFolder = chosen + "\\" + kProductFolderName;
  // Registration would leave out every entry whose text does not fit, and AutoCAD would never
  // load the add-in: refuse now, while the user can still choose a shorter path.
  if (installFolder.size() > LongestInstallFolder()) {
    p.boxes.Show(owner, kPathTooLongText, kSetupCaption, kMbOk | kMbIconExclamation);
    return InstallFolderResult::TooLong;
  }
  std::string refused = UntrustedFolder(p, chosen, installFolder);
  if (refused.empty()) refused = SecureExisting(p, chosen, installFolder, holds);
  if (!refused.empty()) {
    holds.clear();
    p.boxes.Show(owner, kUntrustedFolderHead + refused + kUntrustedFolderTail, kSetupCaption,
                 kMbOk | kMbIconExclamation);
    return InstallFolderResult::Untrusted;
  }

  // One level each: a missing parent or an existing folder shows later, in the payload copy.
  p.files.MakeSecuredDirectory(chosen, kProtectedFolderSddl);
  p.files.MakeSecuredDirectory(installFolder, kProtectedFolderSddl);
  installPath = installFolder;
  return InstallFolderResult::Created;
}

bool RunInstallSteps(const Platform& p, WindowRef owner, const AcadReleaseTable& table, const int selected[kYearCount],
                     const std::string& installPath, ProgressSink& progress, const TrustedPathUsers& users) {
  // With a manifest, only what was verified and put in place is registered.
  StringList installed;
  const PayloadManifest* manifest = BuiltInManifest();
  const InstallJob job{WithoutTrailingBackslash(p.codePage, installPath), &progress, manifest, &installed};
  if (!CopyPayload(p, owner, job)) return false;
  CopyDrawingLibrary(p, owner, job);
  progress.Step();

  table.RegisterSelectedReleases(p, selected, job.folder, targetBitness, manifest ? &installed : nullptr, users);
  progress.Step();

  InstallSupportFiles(p, owner, table, selected, manifest);
  progress.Step();
  return true;
}

void ShowCompletionMessages(const Platform& p, WindowRef owner) {
  p.boxes.Show(owner, kInstalledText, kCompletionCaption, kMbOk);
  p.boxes.Show(owner, kImportSettingsText, kCompletionCaption, kMbOk);
}
