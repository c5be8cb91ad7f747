#include "setup/silent_install.h"

#include "deploy/logged_message_boxes.h"
#include "deploy/recorded_install.h"
#include "install/install.h"
#include "setup/install_steps.h"

namespace {

constexpr char kDefaultPath[] = "C:\\Quilox";

class NoProgress : public ProgressSink {
 public:
  void Step() override {}
};

}  // namespace

int RunSilentInstall(const Platform& p, const Environment& env, const AcadReleaseTable& table,
                     const SetupOptions& options, InstallReport& report) {
  int selected[kYearCount] = {};
  for (int year : options.releases) {
    if (!table.IsFound(year)) {
      report.Failure("AutoCAD " + std::to_string(year) + " is not installed");
      return kExitBadArguments;
    }
    selected[year - kFirstYear] = 1;
  }
  bool any = false;
  for (int year = kFirstYear; year <= kLastYear; ++year) {
    if (options.releases.empty() && table.IsFound(year)) selected[year - kFirstYear] = 1;
    if (selected[year - kFirstYear]) {
      report.Done("release selected: " + std::to_string(year));
      any = true;
    }
  }
  if (!any) {
    report.Failure("no AutoCAD found: nothing to install into");
    return kExitFailed;
  }
  if (IsAcadRunning(p)) {
    report.Failure("AutoCAD is running: nothing changed; close it and run the setup again");
    return kExitAcadRunning;
  }

  LoggedMessageBoxes boxes(report);
  RecordedInstall recorded(p, env, boxes, report, table, selected);
  const Platform& reporting = recorded.platform();
  constexpr WindowRef kNoWindow = 0;

  std::string installPath = options.hasInstallPath ? options.installPath : kDefaultPath;
  // Held until the installation is over, as in the dialog.
  FolderHolds holds;
  const InstallFolderResult folder = PrepareInstallFolder(reporting, kNoWindow, installPath, holds);
  if (folder == InstallFolderResult::EmptyPath || folder == InstallFolderResult::Invalid ||
      folder == InstallFolderResult::TooLong) {
    report.Failure("install path refused: " + installPath);
    return kExitBadArguments;
  }
  if (folder != InstallFolderResult::Created) {
    // The message logged just before names the level and why.
    report.Failure("install folder refused: " + installPath);
    return kExitFailed;
  }
  report.Done("install folder: " + installPath);

  NoProgress progress;
  TrustedPathUsers users;
  users.allUsers = options.allUsers;
  users.skipped = [&report](const std::string& sid, const std::string& why) {
    report.Warning("user hive left out: " + sid + ": " + why);
  };
  const bool completed = RunInstallSteps(reporting, kNoWindow, table, selected, installPath, progress, users);
  if (!completed) report.Failure("the copy of the program files stopped");
  recorded.Finish(installPath, completed);
  if (!completed) return kExitFailed;
  ShowCompletionMessages(reporting, kNoWindow);
  return report.Failures() == 0 ? kExitDone : kExitFailed;
}
