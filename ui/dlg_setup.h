// The setup dialog (template 141): which AutoCAD releases to install into, and where.
#pragma once

#include <string>

#include "fw/framework.h"
#include "acad/acad_release_table.h"
#include "deploy/run_log.h"
#include "platform/environment.h"
#include "platform/platform.h"
#include "res/resource.h"

class Dlg_Setup : public CDialog {
 public:
  enum { IDD = IDD_SETUP };

  // Works on the system through `platform` and reads the releases that discovery left in `table`;
  // both must outlive the dialog.
  Dlg_Setup(const Platform& platform, AcadReleaseTable& table, CWnd* parent = nullptr);

  CBrush backgroundBrush;                 // dialog and control background, made at initialisation
  CButton releaseCheckBoxes[kYearCount];  // [0] is the box of 2027, [20] the box of 2007
  int releaseSelected[kYearCount];        // 1 ticked, 0 not; index year - 2007
  std::string versionText;                // label 1013
  std::string bitnessText;                // label 1021
  CProgressCtrl progressBar;              // 1014, hidden until the installation runs
  std::string installPath;                // path box 1000
  // While set, Install first checks for a running AutoCAD; cleared the first time it finds one.
  // One dialog per process: the warning is shown at most once.
  bool warnIfHostRunning = true;
  // /ALLUSERS: the trusted path goes into every user's AutoCAD profiles.
  bool allUsers = false;
  // With it, an install keeps its record, the uninstaller and the Add/Remove Programs entry.
  const Environment* environment = nullptr;
  // With it, an install that starts writes its log there, the messages shown included.
  RunLog* log = nullptr;
  // The running SetUp.exe, held since start-up: the uninstaller is kept from it.
  HeldFile* self = nullptr;

  // Reads the controls; Install is enabled exactly when a release box is ticked.
  void UpdateInstallButton();

  static const MessageMap* GetThisMessageMap();
  const MessageMap* GetMessageMap() const override;

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  bool OnInitDialog() override;

  void OnBrowse();
  void OnInstall();
  // Not while the install runs: the keep-alive peeks deliver messages sent from other threads,
  // and a second Install or a Cancel must not be acted on then.
  void OnCancel() override;
  // The progress view and the installation on `p`; false when the payload copy stopped, the
  // dialog then ending with IDCANCEL.
  bool RunInstallSequence(const Platform& p);
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlColorType);

  const Platform& platform;
  AcadReleaseTable& releaseTable;
  // Held for the dialog's life: a font must stay valid while a label's context uses it.
  CFont versionFont;
  CFont bitnessFont;
  bool installing_ = false;
};
