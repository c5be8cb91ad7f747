#include "setup/install_steps.h"

#include "acad/demand_load_modules.h"
#include "install/install_texts.h"
#include "platform/mb_string.h"
#include "setup/install_command_texts.h"

bool StopForRunningAcad(const Platform& p, WindowRef owner, bool& warnIfHostRunning) {
  if (!warnIfHostRunning || !IsAcadRunning(p)) return false;
  p.boxes.Show(owner, kCloseAcadText, kSetupCaption, kMbOk);
  warnIfHostRunning = false;
  return true;
}

bool RunInstallSteps(const Platform& p, WindowRef owner, const AcadReleaseTable& table, const int selected[kYearCount],
                     const std::string& installPath, ProgressSink& progress, const TrustedPathUsers& users) {
  // With a manifest, only what was verified and put in place is registered.
  StringList installed;
  const PayloadManifest* manifest = BuiltInManifest();
  std::string folder = installPath;
  RemoveTrailingBackslash(p.codePage, folder, LoneBackslash::Remove);
  // The folders made inside the install folder are held until the installation is over.
  FolderHolds holds;
  const InstallJob job{folder, &progress, manifest, &installed, &holds};
  if (!CopyPayload(p, owner, job)) return false;
  if (!CopyDrawingLibrary(p, owner, job)) return false;
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
