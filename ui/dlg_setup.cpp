#include "ui/dlg_setup.h"

#include "acad/build_constants.h"
#include "tessa_version.h"
#include "ui/dialog_labels.h"
#include "ui/release_boxes.h"

static const COLORREF kBackground = RGB(160, 180, 220);
static const COLORREF kLabelInk = RGB(10, 70, 40);

Dlg_Setup::Dlg_Setup(const Platform& platform, AcadReleaseTable& table, CWnd* parent)
    : CDialog(IDD, parent), installPath("C:\\Quilox"), platform(platform), releaseTable(table) {
  for (int& selected : releaseSelected) selected = 1;
}

const MessageMap* Dlg_Setup::GetThisMessageMap() {
  static const MessageMapEntry entries[] = {
      MapCtlColor(&Dlg_Setup::OnCtlColor),
      MapControlRange(BN_CLICKED, IDC_RELEASE_2007, IDC_RELEASE_2009, &Dlg_Setup::UpdateInstallButton),
      // 1026..1043: 2011, 2010, then 2012 to 2027.
      MapControlRange(BN_CLICKED, IDC_RELEASE_2011, IDC_RELEASE_2027, &Dlg_Setup::UpdateInstallButton),
      MapControl(BN_CLICKED, IDC_BROWSE, &Dlg_Setup::OnBrowse),
      MapControl(BN_CLICKED, IDC_INSTALL, &Dlg_Setup::OnInstall),
  };
  static const MessageMap map = {CDialog::GetThisMessageMap(), entries, sizeof entries / sizeof entries[0]};
  return &map;
}

const MessageMap* Dlg_Setup::GetMessageMap() const { return GetThisMessageMap(); }

void Dlg_Setup::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  // The boxes from 2027 down to 2007: ids 1043..1028, then 1026, 1027, 1020, 1019, 1018.
  for (int i = 0; i < kYearCount; ++i) DDX_Control(dx, ReleaseCheckBoxId(kLastYear - i), releaseCheckBoxes[i]);
  for (int year = kFirstYear; year <= kLastYear; ++year) {
    DDX_Check(dx, ReleaseCheckBoxId(year), releaseSelected[year - kFirstYear]);
  }
  DDX_Text(dx, IDC_VERSION_LABEL, versionText);
  DDX_Text(dx, IDC_BITNESS_LABEL, bitnessText);
  DDX_Control(dx, IDC_PROGRESS, progressBar);
  DDX_Text(dx, IDC_INSTALL_PATH, installPath);
}

bool Dlg_Setup::OnInitDialog() {
  CDialog::OnInitDialog();

  backgroundBrush.CreateSolidBrush(kBackground);
  versionFont.CreateFont(14, 0, 0, 0, 600, FALSE, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                         DEFAULT_QUALITY, DEFAULT_PITCH, "宋体");
  bitnessFont.CreateFont(13, 0, 0, 0, 400, FALSE, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                         DEFAULT_QUALITY, DEFAULT_PITCH, "宋体");

  versionText = VersionLabelText(productVersion);
  bitnessText = BitnessLabelText(targetBitness);

  HICON icon = LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDI_SETUP));
  if (icon) SetIcon(icon, false);

  // Only releases that discovery found can be chosen; they start ticked.
  for (int year = kFirstYear; year <= kLastYear; ++year) {
    int index = year - kFirstYear;
    CButton& box = releaseCheckBoxes[kLastYear - year];
    ReleaseBoxStart start = InitialReleaseBox(year, releaseTable.IsFound(year), targetBitness);
    if (!start.enabled) box.EnableWindow(false);
    if (!start.visible) box.ShowWindow(SW_HIDE);
    if (!start.selected) releaseSelected[index] = 0;
  }

  UpdateData(false);
  UpdateInstallButton();
  return true;
}

void Dlg_Setup::UpdateInstallButton() {
  UpdateData(true);
  GetDlgItem(IDC_INSTALL)->EnableWindow(AnyReleaseSelected(releaseSelected));
}

// OnBrowse: ui/browse_command.cpp.

// OnInstall and RunInstallSequence: ui/install_command.cpp.

HBRUSH Dlg_Setup::OnCtlColor(HDC dc, HWND control, UINT ctlColorType) {
  CDialog::OnCtlColor(dc, control, ctlColorType);  // the default colours first; its brush is not used
  SetTextColor(dc, RGB(0, 0, 0));
  int id = ::GetDlgCtrlID(control);
  // The path box stays opaque: its text is drawn on the context's own background colour.
  if (id != IDC_INSTALL_PATH) SetBkMode(dc, TRANSPARENT);
  if (id == IDC_VERSION_LABEL) {
    SelectObject(dc, versionFont);
    SetTextColor(dc, kLabelInk);
  } else if (id == IDC_BITNESS_LABEL) {
    SelectObject(dc, bitnessFont);
    SetTextColor(dc, kLabelInk);
  }
  return backgroundBrush;
}
