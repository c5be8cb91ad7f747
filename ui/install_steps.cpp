#include "ui/install_steps.h"

#include "acad/demand_load_modules.h"
#include "install/install_texts.h"
#include "platform/mb_string.h"
#include "ui/install_command_texts.h"

namespace {

// Unlike an AutoCAD folder, a chosen path that is a lone backslash loses it too.
std::string WithoutTrailingBackslash(const CodePage& cp, std::string path) {
  RemoveTrailingBackslash(cp, path, LoneBackslash::Remove);
  return path;
}

}  // namespace

bool StopForRunningAcad(const Platform& p, WindowRef owner, bool& warnIfHostRunning) {
  if (!warnIfHostRunning || !IsAcadRunning(p)) return false;
  p.boxes.Show(owner, kCloseAcadText, kSetupCaption, kMbOk);
  warnIfHostRunning = false;
  return true;
}

InstallFolderResult PrepareInstallFolder(const Platform& p, WindowRef owner, std::string& installPath) {
  if (installPath.empty()) return InstallFolderResult::EmptyPath;

  const std::string chosen = WithoutTrailingBackslash(p.codePage, installPath);
  const std::string installFolder = chosen + "\\" + kProductFolderName;
  // Registration would leave out every entry whose text does not fit, and AutoCAD would never
  // load the add-in: refuse now, while the user can still choose a shorter path.
  if (installFolder.size() > LongestInstallFolder()) {
    p.boxes.Show(owner, kPathTooLongText, kSetupCaption, kMbOk | kMbIconExclamation);
    return InstallFolderResult::TooLong;
  }

  // One level each: a missing parent or an existing folder shows later, in the payload copy.
  p.files.MakeDirectory(chosen);
  p.files.MakeDirectory(installFolder);
  installPath = installFolder;
  return InstallFolderResult::Created;
}

bool RunInstallSteps(const Platform& p, WindowRef owner, const AcadReleaseTable& table, const int selected[kYearCount],
                     const std::string& installPath, ProgressSink& progress) {
  // With a manifest, only what was verified and put in place is registered.
  StringList installed;
  const PayloadManifest* manifest = BuiltInManifest();
  const InstallJob job{WithoutTrailingBackslash(p.codePage, installPath), &progress, manifest, &installed};
  if (!CopyPayload(p, owner, job)) return false;
  CopyDrawingLibrary(p, owner, job);
  progress.Step();

  table.RegisterSelectedReleases(p, selected, job.folder, targetBitness, manifest ? &installed : nullptr);
  progress.Step();

  InstallSupportFiles(p, owner, table, selected, manifest);
  progress.Step();
  return true;
}

void ShowCompletionMessages(const Platform& p, WindowRef owner) {
  p.boxes.Show(owner, kInstalledText, kCompletionCaption, kMbOk);
  p.boxes.Show(owner, kImportSettingsText, kCompletionCaption, kMbOk);
}
