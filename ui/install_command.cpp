// The Install button: the running-AutoCAD warning, the install folder, the install sequence in
// the dialog's progress view, and the completion messages.
#include "fw/framework.h"
#include "ui/dlg_setup.h"
#include "ui/install_steps.h"
#include "ui/progress_bar_sink.h"

// The bar's range: the copies step it once per entry and wrap past the end; it is set full last.
constexpr short kProgressEnd = 50;

void Dlg_Setup::OnInstall() {
  const WindowRef owner = reinterpret_cast<WindowRef>(m_hWnd);
  if (StopForRunningAcad(platform, owner, warnIfHostRunning)) return;

  UpdateData(true);
  // Held until the installation is over: nobody can swap a level for a link meanwhile.
  FolderHolds holds;
  switch (PrepareInstallFolder(platform, owner, installPath, holds)) {
    case InstallFolderResult::EmptyPath:
      AfxThrowInvalidArgException();
    case InstallFolderResult::Invalid:
    case InstallFolderResult::TooLong:
    case InstallFolderResult::Untrusted:
      return;
    case InstallFolderResult::Created:
      break;
  }

  if (!RunInstallSequence()) return;
  ShowCompletionMessages(platform, owner);
  OnOK();
}

bool Dlg_Setup::RunInstallSequence() {
  // The progress view: the bar takes the path row's place for the rest of the dialog's life.
  GetDlgItem(IDC_PATH_LABEL)->ShowWindow(SW_HIDE);
  GetDlgItem(IDC_INSTALL_PATH)->ShowWindow(SW_HIDE);
  GetDlgItem(IDC_BROWSE)->ShowWindow(SW_HIDE);
  progressBar.ShowWindow(SW_SHOW);

  progressBar.SetRange(0, kProgressEnd);
  progressBar.SetStep(1);
  progressBar.SetPos(0);

  ProgressBarSink progress(progressBar, 0, kProgressEnd);
  if (!RunInstallSteps(platform, reinterpret_cast<WindowRef>(m_hWnd), releaseTable, releaseSelected, installPath,
                       progress)) {
    OnCancel();
    return false;
  }
  progressBar.SetPos(kProgressEnd);
  return true;
}
