#include "app/wizard_app.h"

#include <windows.h>

#include <ctime>

#include "app/install_log_file.h"
#include "deploy/uninstall.h"
#include "deploy/uninstall_texts.h"
#include "install/install_texts.h"
#include "tessa_version.h"
#include "ui/dlg_setup.h"
#include "setup/silent_install.h"

CWizardApp theApp;

void CWizardApp::InitInstance() {
  SetupOptions options;
  if (!ParseCommandLine(codePage, commandLine, &options)) {
    // A deployment tool reads the exit code; nobody would press OK.
    if (!options.silent) boxes.Show(0, kUsageText, kSetupCaption, kMbOk | MB_ICONINFORMATION);
    exitCode = kExitBadArguments;
    return;
  }

  if (options.uninstall) {
    exitCode = Uninstall(options);
    return;
  }

  // Held until the end, without write or delete sharing: the uninstaller the install keeps is
  // read through this handle, whatever is put under the program's name meanwhile. An uninstall
  // does not hold its own file.
  long heldRc = kOk;
  const std::unique_ptr<HeldFile> self = files.HoldFile(files.ModulePath(), &heldRc);

  // Before any window exists: the dialog only reads what discovery leaves.
  releaseTable.DiscoverReleases(platform);
  if (options.silent) {
    exitCode = RunSilent(options, self.get());
    return;
  }

  Dlg_Setup dialog(platform, releaseTable);
  dialog.environment = &environment;
  dialog.self = self.get();
  if (options.hasInstallPath) dialog.installPath = options.installPath;
  dialog.allUsers = options.allUsers;
  dialog.DoModal();
}

int CWizardApp::RunSilent(const SetupOptions& options, HeldFile* self) {
  InstallLogFile logFile;
  if (!options.logPath.empty() && !logFile.Open(options.logPath)) return kExitBadArguments;

  char started[32] = "";
  const std::time_t now = std::time(nullptr);
  std::strftime(started, sizeof started, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
  InstallReport report;
  report.Done(std::string("Tessarune Setup ") + TESSA_VERSION_TEXT + ", silent install, " + started);
  report.Done("command line: " + commandLine);
  const int code = RunSilentInstall(platform, environment, releaseTable, options, self, report);
  report.Done("exit code: " + std::to_string(code));
  logFile.Write(report.Lines());
  return code;
}

int CWizardApp::Uninstall(const SetupOptions& options) {
  InstallReport report;
  std::unique_ptr<FolderHold> copyFolder;
  const bool temporaryCopy = options.temporaryCopy && IsTemporaryCopy(platform, environment, &copyFolder);
  if (!temporaryCopy && RunsFromRecordFolder(platform, environment)) {
    // The copy writes the log and shows the boxes; this one only waits for it.
    const int code = RunTemporaryCopy(platform, environment, commandLine, report);
    if (report.Failures() == 0) return code;
    if (!options.silent) boxes.Show(0, kUninstallerNotStartedText, kSetupCaption, kMbOk);
    InstallLogFile logFile;
    if (!options.logPath.empty() && logFile.Open(options.logPath)) logFile.Write(report.Lines());
    return code;
  }

  InstallLogFile logFile;
  if (!options.logPath.empty() && !logFile.Open(options.logPath)) return kExitBadArguments;
  report.Done(std::string("Tessarune Setup ") + TESSA_VERSION_TEXT + ", uninstall, " + environment.LocalTime());
  report.Done("command line: " + commandLine);
  const int code = RunUninstall(platform, environment, options.silent, report);
  if (temporaryCopy) RemoveTemporaryCopyAtRestart(platform, report);
  report.Done("exit code: " + std::to_string(code));
  logFile.Write(report.Lines());
  return code;
}
