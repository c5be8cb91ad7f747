#include "setup/silent_install.h"

#include <algorithm>

#include "deploy/logged_message_boxes.h"
#include "deploy/recorded_install.h"
#include "deploy/product_version.h"
#include "install/install.h"
#include "platform/mb_string.h"
#include "setup/install_steps.h"
#include "tessa_version.h"

namespace {

constexpr char kDefaultPath[] = "C:\\Quilox";

class NoProgress : public ProgressSink {
 public:
  void Step() override {}
};

// Without /D=, where the product is: the recorded install folder less its "\Tessarune".
std::string PathWithoutD(const CodePage& cp, const InstallRecord* installed) {
  if (!installed) return kDefaultPath;
  const std::string& folder = installed->installFolder;
  const size_t slash = FindLastBackslash(cp, folder);
  if (slash == std::string::npos || !SameFileName(cp, folder.substr(slash + 1), kProductFolderName)) return kDefaultPath;
  const std::string path = folder.substr(0, slash);
  return path.size() == 2 ? path + "\\" : path;  // "D:" alone would be the drive's current folder
}

}  // namespace

int RunSilentInstall(const Platform& p, const Environment& env, const AcadReleaseTable& table,
                     const SetupOptions& options, HeldFile* self, InstallReport& report, RunLog* log) {
  // No AutoCAD at all is judged first: a release list changes nothing about it.
  bool found = false;
  for (int year = kFirstYear; year <= kLastYear; ++year) found = found || table.IsFound(year);
  if (!found) {
    report.Failure("no AutoCAD found: nothing to install into");
    return kExitFailed;
  }
  int selected[kYearCount] = {};
  bool any = false;
  for (int year = kFirstYear; year <= kLastYear; ++year) {
    const bool listed = options.releases.empty() ||
                        std::find(options.releases.begin(), options.releases.end(), year) != options.releases.end();
    if (!listed) continue;
    // One list for a whole fleet: a release that a machine does not have is left out there.
    if (!table.IsFound(year)) {
      if (!options.releases.empty()) report.Warning("AutoCAD " + std::to_string(year) + " is not installed");
      continue;
    }
    selected[year - kFirstYear] = 1;
    report.Done("release selected: " + std::to_string(year));
    any = true;
  }
  if (!any) {
    report.Failure("none of the releases listed is installed");
    return kExitBadArguments;
  }
  // Reads the record of an earlier install; writes nothing yet.
  LoggedMessageBoxes boxes(report);
  RecordedInstall recorded(p, env, boxes, report, table, selected, self);
  const InstallRecord* installed = recorded.Installed();
  if (installed && CompareVersions(installed->version, TESSA_VERSION_TEXT) > 0 && !options.allowDowngrade) {
    report.Failure("a newer version is installed (" + installed->version + "): nothing changed; /ALLOWDOWNGRADE installs " +
                   TESSA_VERSION_TEXT + " over it");
    return kExitNewerInstalled;
  }
  if (IsAcadRunning(p)) {
    report.Failure("AutoCAD is running: nothing changed; close it and run the setup again");
    return kExitAcadRunning;
  }
  const Platform& reporting = recorded.platform();
  constexpr WindowRef kNoWindow = 0;

  std::string installPath = options.hasInstallPath ? options.installPath : PathWithoutD(p.codePage, installed);
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
  recorded.Begin(log);
  recorded.Announce(installPath);

  NoProgress progress;
  TrustedPathUsers users;
  users.allUsers = options.allUsers;
  // A deployment tool's SYSTEM has no profile anybody uses: its own would be the only one reached.
  if (!users.allUsers && env.UserSid() == "S-1-5-18") {
    users.allUsers = true;
    report.Done("running as LocalSystem: /ALLUSERS implied");
  }
  users.skipped = [&report](const std::string& sid, const std::string& why) {
    report.Warning("user hive left out: " + sid + ": " + why);
  };
  const bool completed = RunInstallSteps(reporting, kNoWindow, table, selected, installPath, progress, users);
  if (!completed) report.Failure("the copy of the program files stopped");
  recorded.Finish(installPath, completed);
  if (!completed) return kExitFailed;
  const int code = FinishedExitCode(report);
  // The log says what a user would have read; after a failure that is not "installed".
  if (code != kExitFailed) ShowCompletionMessages(reporting, kNoWindow);
  return code;
}
