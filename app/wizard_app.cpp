#include "app/wizard_app.h"

#include <windows.h>

#include "deploy/uninstall.h"
#include "deploy/uninstall_texts.h"
#include "install/install_texts.h"
#include "platform/mb_string.h"
#include "resource.h"
#include "setup/code_page_requirement.h"
#include "setup/silent_install.h"
#include "tessa_version.h"
#include "ui/dlg_setup.h"

CWizardApp theApp;

void CWizardApp::InitInstance() {
  environment.userProgramResource = IDR_USER_PROGRAM;
  SetupOptions options;
  const bool parsed = ParseCommandLine(codePage, commandLine, &options);
  RunLog log(logFiles, files, codePage, environment, options.uninstall ? "uninstall" : "install", commandLine);
  InstallReport report;
  report.StreamTo(&log);
  bool dialog = false;
  exitCode = Run(parsed, options, log, report, &dialog);
  // Every run but a dialog that installed nothing leaves a log.
  if (!log.IsOpen() && !dialog && !temporaryCopyStarted_) log.OpenInSystemTemp();
  log.Close(exitCode);
}

int CWizardApp::Run(bool parsed, const SetupOptions& options, RunLog& log, InstallReport& report, bool* dialog) {
  if (!parsed) {
    report.Failure("command line refused");
    return RefuseCommandLine(boxes, options, environment.DesktopVisible());
  }
  if (options.uninstall) return Uninstall(options, log, report);
  // A log that cannot be made where asked: as before, a bad argument.
  if (!options.logPath.empty() && !log.OpenAt(options.logPath)) return RefuseLog(options, report);

  if (!InstallCodePageSupported(environment, report)) {
    if (!options.silent) MessageBoxW(nullptr, kCodePageRefusedText, kCodePageCaption, MB_OK | MB_ICONSTOP);
    return kExitFailed;
  }
  // Held until the end, without write or delete sharing: the uninstaller the install keeps is
  // read through this handle, whatever is put under the program's name meanwhile. An uninstall
  // does not hold its own file.
  long heldRc = kOk;
  const std::unique_ptr<HeldFile> self = files.HoldFile(files.ModulePath(), &heldRc);

  // Before any window exists: the dialog only reads what discovery leaves.
  releaseTable.DiscoverReleases(platform);
  if (options.silent) return RunSilentInstall(platform, environment, releaseTable, options, self.get(), report, &log);

  *dialog = true;
  Dlg_Setup setup(platform, releaseTable);
  setup.environment = &environment;
  setup.log = &log;
  setup.self = self.get();
  if (options.hasInstallPath) setup.installPath = options.installPath;
  setup.allUsers = options.allUsers;
  // While the install runs, Windows sees the program alive in its long steps too.
  files.keepAlive = registry.keepAlive = &keepAlive;
  setup.DoModal();
  files.keepAlive = registry.keepAlive = nullptr;
  return kExitDone;
}

int CWizardApp::RefuseLog(const SetupOptions& options, InstallReport& report) {
  // Said in the log that goes to the system's Temp folder instead.
  report.Failure("the log cannot be made there (a link, a file that is not a log, or no such folder): " +
                 options.logPath);
  return kExitBadArguments;
}

int CWizardApp::Uninstall(const SetupOptions& options, RunLog& log, InstallReport& report) {
  std::unique_ptr<FolderHold> copyFolder;
  const bool temporaryCopy = options.temporaryCopy && IsTemporaryCopy(platform, environment, &copyFolder);
  if (!temporaryCopy && RunsFromRecordFolder(platform, environment)) {
    // The copy writes the log and shows the boxes; this one only waits for it, and logs only
    // when the copy could not be started.
    const int code = RunTemporaryCopy(platform, environment, commandLine, report);
    temporaryCopyStarted_ = report.Failures() == 0;
    if (temporaryCopyStarted_) return code;
    if (!options.logPath.empty()) log.OpenAt(options.logPath);
    if (!options.silent) boxes.Show(0, kUninstallerNotStartedText, kSetupCaption, kMbOk);
    return code;
  }

  // From the start: an uninstall that is stopped leaves what it removed.
  if (!options.logPath.empty() && !log.OpenAt(options.logPath)) return RefuseLog(options, report);
  if (options.logPath.empty()) log.OpenInSystemTemp();

  // The kept programs in use are set aside in the copy's folder, which goes at the restart.
  const std::string setAsideIn = temporaryCopy ? FolderOfPath(platform.codePage, platform.files.ModulePath()) : "";
  const int code = RunUninstall(platform, environment, options.silent, report, setAsideIn);
  if (temporaryCopy) RemoveTemporaryCopyAtRestart(platform, report);
  return code;
}
