// The setup dialog (template 141): which AutoCAD releases to install into, and where.
#pragma once

#include <string>

#include "fw/framework.h"
#include "res/resource.h"
#include "ui/setup_globals.h"

// While set, Install first checks for a running AutoCAD; cleared the first time it finds one.
extern bool warnIfHostRunning;

class Dlg_Setup : public CDialog {
 public:
  enum { IDD = IDD_SETUP };

  // Reads the releases that discovery left in `table` (the process's table in the program).
  explicit Dlg_Setup(CWnd* parent = nullptr, AcadReleaseTable& table = theReleaseTable);

  CBrush backgroundBrush;                 // dialog and control background, made at initialisation
  CButton releaseCheckBoxes[kYearCount];  // [0] is the box of 2027, [20] the box of 2007
  int releaseSelected[kYearCount];        // 1 ticked, 0 not; index year - 2007
  std::string versionText;                // label 1013
  std::string bitnessText;                // label 1021
  CProgressCtrl progressBar;              // 1014, hidden until the installation runs
  std::string installPath;                // path box 1000

  // Reads the controls; Install is enabled exactly when a release box is ticked.
  void UpdateInstallButton();

  static const MessageMap* GetThisMessageMap();
  const MessageMap* GetMessageMap() const override;

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  bool OnInitDialog() override;

  void OnBrowse();
  void OnInstall();
  // The progress view and the installation; false when the payload copy stopped, the dialog
  // then ending with IDCANCEL.
  bool RunInstallSequence();
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlColorType);

  AcadReleaseTable& releaseTable;
  // Held for the dialog's life: a font must stay valid while a label's context uses it.
  CFont versionFont;
  CFont bitnessFont;
};
