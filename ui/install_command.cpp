// The Install button: the running-AutoCAD warning, the install folder, the install sequence in
// the dialog's progress view, and the completion messages.
#include <memory>

#include "deploy/logged_message_boxes.h"
#include "deploy/recorded_install.h"
#include "fw/framework.h"
#include "ui/dlg_setup.h"
#include "setup/install_steps.h"
#include "ui/progress_bar_sink.h"

// The bar's range: the copies step it once per entry and wrap past the end; it is set full last.
constexpr short kProgressEnd = 50;

void Dlg_Setup::OnInstall() {
  if (installing_) return;
  const WindowRef owner = reinterpret_cast<WindowRef>(m_hWnd);
  if (StopForRunningAcad(platform, owner, warnIfHostRunning)) return;

  UpdateData(true);
  // What the install writes goes into its record and its log; nothing of that is shown.
  InstallReport report;
  if (log) report.StreamTo(log);
  ShownMessageBoxes boxes(platform.boxes, report);
  std::unique_ptr<RecordedInstall> recorded;
  if (environment != nullptr) {
    recorded = std::make_unique<RecordedInstall>(platform, *environment, boxes, report, releaseTable, releaseSelected, self);
  }
  const Platform& p = recorded ? recorded->platform() : platform;
  // Held until the installation is over: nobody can swap a level for a link meanwhile.
  FolderHolds holds;
  switch (PrepareInstallFolder(p, owner, installPath, holds)) {
    case InstallFolderResult::EmptyPath:
      AfxThrowInvalidArgException();
    case InstallFolderResult::Invalid:
    case InstallFolderResult::TooLong:
    case InstallFolderResult::Untrusted:
      return;
    case InstallFolderResult::Created:
      break;
  }
  if (recorded) recorded->Begin(log);

  installing_ = true;
  const bool completed = RunInstallSequence(p);
  if (recorded) recorded->Finish(installPath, completed);
  installing_ = false;
  if (!completed) return;
  ShowCompletionMessages(p, owner);
  OnOK();
}

void Dlg_Setup::OnCancel() {
  if (!installing_) CDialog::OnCancel();
}

bool Dlg_Setup::RunInstallSequence(const Platform& p) {
  // The progress view: the bar takes the path row's place for the rest of the dialog's life.
  GetDlgItem(IDC_PATH_LABEL)->ShowWindow(SW_HIDE);
  GetDlgItem(IDC_INSTALL_PATH)->ShowWindow(SW_HIDE);
  GetDlgItem(IDC_BROWSE)->ShowWindow(SW_HIDE);
  progressBar.ShowWindow(SW_SHOW);

  progressBar.SetRange(0, kProgressEnd);
  progressBar.SetStep(1);
  progressBar.SetPos(0);

  ProgressBarSink progress(progressBar, 0, kProgressEnd);
  TrustedPathUsers users;
  users.allUsers = allUsers;
  if (!RunInstallSteps(p, reinterpret_cast<WindowRef>(m_hWnd), releaseTable, releaseSelected, installPath, progress,
                       users)) {
    CDialog::OnCancel();
    return false;
  }
  progressBar.SetPos(kProgressEnd);
  return true;
}
