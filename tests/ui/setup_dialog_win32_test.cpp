// The setup dialog against the real window system: its template, which releases it offers,
// the Install-button rule, its labels, colours and fonts.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "acad/build_constants.h"
#include "tests/ui/win32_test_support.h"
#include "ui/dialog_labels.h"
#include "ui/dlg_setup.h"
#include "ui/release_boxes.h"

namespace {

using SetupDialog = Scripted<Dlg_Setup>;

int Index(int year) { return year - kFirstYear; }

struct ControlState {
  bool enabled;
  bool visible;
  LRESULT check;
};

// Visible: the control's own state. The dialog itself is shown only once its modal loop first
// runs out of messages, which the steps never let happen.
ControlState StateOf(CWnd& dialog, int id) {
  CWnd* control = dialog.GetDlgItem(id);
  bool visible = (GetWindowLongA(control->m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
  return {control->IsWindowEnabled(), visible, control->SendMessage(BM_GETCHECK)};
}

std::string TextOf(CWnd& dialog, int id) {
  std::string text;
  dialog.GetDlgItem(id)->GetWindowText(text);
  return text;
}

void Click(CWnd& dialog, int id) { dialog.GetDlgItem(id)->SendMessage(BM_CLICK); }

// Runs the dialog on `table`; `inspect` sees it initialised, then it is cancelled.
int RunAndInspect(AcadReleaseTable& table, std::function<void(SetupDialog&)> inspect) {
  SetupDialog dialog(nullptr, table);
  dialog.steps = {[&](SetupDialog& d) {
    inspect(d);
    d.EndDialog(IDCANCEL);
  }};
  return static_cast<int>(dialog.DoModal());
}

}  // namespace

TEST(SetupDialog, WithNoReleaseFoundEveryBoxAndInstallAreDisabled) {
  AcadReleaseTable table;
  std::vector<ControlState> boxes;
  ControlState install{}, browse{}, cancel{}, path{}, pathLabel{}, progress{}, ok{}, done{}, picture{};
  int selectedAfterInit = -1;
  int result = RunAndInspect(table, [&](SetupDialog& d) {
    for (int year = kFirstYear; year <= kLastYear; ++year) boxes.push_back(StateOf(d, ReleaseCheckBoxId(year)));
    install = StateOf(d, IDC_INSTALL);
    browse = StateOf(d, IDC_BROWSE);
    cancel = StateOf(d, IDCANCEL);
    path = StateOf(d, IDC_INSTALL_PATH);
    pathLabel = StateOf(d, IDC_PATH_LABEL);
    progress = StateOf(d, IDC_PROGRESS);
    ok = StateOf(d, IDOK);
    done = StateOf(d, IDC_DONE_LABEL);
    picture = StateOf(d, IDC_SUBMENUS_PICTURE);
    selectedAfterInit = 0;
    for (int flag : d.releaseSelected) selectedAfterInit += flag;
  });
  EXPECT_EQ(result, IDCANCEL);
  for (int i = 0; i < kYearCount; ++i) {
    EXPECT_FALSE(boxes[i].enabled) << kFirstYear + i;
    EXPECT_TRUE(boxes[i].visible) << kFirstYear + i;
    EXPECT_EQ(boxes[i].check, BST_UNCHECKED) << kFirstYear + i;
  }
  EXPECT_EQ(selectedAfterInit, 0);
  EXPECT_FALSE(install.enabled);
  EXPECT_TRUE(install.visible);
  EXPECT_TRUE(browse.enabled && browse.visible);
  EXPECT_TRUE(cancel.enabled && cancel.visible);
  EXPECT_TRUE(path.visible && pathLabel.visible);
  EXPECT_FALSE(progress.visible);
  EXPECT_FALSE(ok.visible);
  EXPECT_FALSE(done.visible);
  EXPECT_FALSE(picture.visible);
}

TEST(SetupDialog, FoundReleasesAreOfferedTickedAndTheRestAreNot) {
  AcadReleaseTable table;
  table.acadFolders[Index(2010)] = {"C:\\Program Files\\AutoCAD 2010"};
  // Two installations of one year still give one box.
  table.acadFolders[Index(2021)] = {"C:\\Program Files\\Autodesk\\AutoCAD 2021",
                                    "D:\\Autodesk\\AutoCAD Mechanical 2021"};
  std::vector<ControlState> boxes;
  bool installEnabled = false;
  std::vector<int> selected;
  RunAndInspect(table, [&](SetupDialog& d) {
    for (int year = kFirstYear; year <= kLastYear; ++year) boxes.push_back(StateOf(d, ReleaseCheckBoxId(year)));
    installEnabled = d.GetDlgItem(IDC_INSTALL)->IsWindowEnabled();
    selected.assign(d.releaseSelected, d.releaseSelected + kYearCount);
  });
  for (int year = kFirstYear; year <= kLastYear; ++year) {
    bool found = year == 2010 || year == 2021;
    EXPECT_EQ(boxes[Index(year)].enabled, found) << year;
    EXPECT_EQ(boxes[Index(year)].check, found ? BST_CHECKED : BST_UNCHECKED) << year;
    EXPECT_EQ(selected[Index(year)], found ? 1 : 0) << year;
  }
  EXPECT_TRUE(installEnabled);
}

TEST(SetupDialog, InstallIsEnabledExactlyWhileSomeBoxIsTicked) {
  AcadReleaseTable table;
  // One year from each click range: 2009 (1018..1020), 2010 and 2011 (the swapped ids), 2027.
  for (int year : {2009, 2010, 2011, 2027}) table.acadFolders[Index(year)] = {"C:\\AutoCAD"};
  std::vector<bool> installAfterClicks;
  std::vector<int> flagsAfterClicks;
  RunAndInspect(table, [&](SetupDialog& d) {
    for (int year : {2027, 2011, 2009, 2010}) {
      Click(d, ReleaseCheckBoxId(year));
      installAfterClicks.push_back(d.GetDlgItem(IDC_INSTALL)->IsWindowEnabled());
    }
    flagsAfterClicks.assign(d.releaseSelected, d.releaseSelected + kYearCount);
    Click(d, ReleaseCheckBoxId(2011));
    installAfterClicks.push_back(d.GetDlgItem(IDC_INSTALL)->IsWindowEnabled());
  });
  EXPECT_EQ(installAfterClicks, (std::vector<bool>{true, true, true, false, true}));
  EXPECT_EQ(flagsAfterClicks, std::vector<int>(kYearCount, 0));
}

TEST(SetupDialog, EnterEndsWithIdokAndTheFieldsHoldWhatTheControlsShow) {
  AcadReleaseTable table;
  table.acadFolders[Index(2018)] = {"C:\\AutoCAD 2018"};
  SetupDialog dialog(nullptr, table);
  dialog.steps = {[](SetupDialog& d) {
    CWnd* path = d.GetDlgItem(IDC_INSTALL_PATH);
    path->SetWindowText("D:\\Tools\\");
    path->SetFocus();
    path->PostMessage(WM_KEYDOWN, VK_RETURN, 1);
  }};
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.installPath, "D:\\Tools\\");
  EXPECT_EQ(dialog.releaseSelected[Index(2018)], 1);
  EXPECT_EQ(dialog.releaseSelected[Index(2017)], 0);
}

TEST(SetupDialog, ShowsTheVersionTheBitnessThePathAndTheSmallIcon) {
  AcadReleaseTable table;
  std::string version, bitness, path;
  LRESULT smallIcon = 0, bigIcon = 1;
  RunAndInspect(table, [&](SetupDialog& d) {
    version = TextOf(d, IDC_VERSION_LABEL);
    bitness = TextOf(d, IDC_BITNESS_LABEL);
    path = TextOf(d, IDC_INSTALL_PATH);
    smallIcon = d.SendMessage(WM_GETICON, ICON_SMALL);
    bigIcon = d.SendMessage(WM_GETICON, ICON_BIG);
  });
  EXPECT_EQ(version, VersionLabelText(productVersion));
  EXPECT_EQ(bitness, BitnessLabelText(targetBitness));
  EXPECT_EQ(path, "C:\\Quilox");
  EXPECT_NE(smallIcon, 0);
  EXPECT_EQ(bigIcon, 0);
}

TEST(SetupDialog, BindsTheBoxesFrom2027DownAndTheProgressBar) {
  AcadReleaseTable table;
  std::vector<HWND> bound, expected;
  HWND progress = nullptr, progressExpected = nullptr;
  LRESULT range = 0;
  int position = -1;
  RunAndInspect(table, [&](SetupDialog& d) {
    for (int i = 0; i < kYearCount; ++i) {
      bound.push_back(d.releaseCheckBoxes[i].m_hWnd);
      expected.push_back(::GetDlgItem(d.m_hWnd, ReleaseCheckBoxId(kLastYear - i)));
    }
    progress = d.progressBar.m_hWnd;
    progressExpected = ::GetDlgItem(d.m_hWnd, IDC_PROGRESS);
    d.progressBar.SetRange(0, 50);
    d.progressBar.SetStep(1);
    d.progressBar.SetPos(0);
    d.progressBar.StepIt();
    d.progressBar.StepIt();
    position = d.progressBar.GetPos();
    range = d.progressBar.SendMessage(PBM_GETRANGE, FALSE);
  });
  EXPECT_EQ(bound, expected);
  EXPECT_EQ(bound[0], expected[0]);
  EXPECT_NE(progress, nullptr);
  EXPECT_EQ(progress, progressExpected);
  EXPECT_EQ(position, 2);
  EXPECT_EQ(range, 50);
}

namespace {

// What the dialog answers to one colour request, read while the dialog and its objects live.
struct ColourAnswer {
  HBRUSH brush;
  COLORREF brushColour;
  int backgroundMode;
  COLORREF textColour;
  HFONT font;
  LOGFONTA logFont;
};

ColourAnswer AskColours(CWnd& dialog, UINT message, HWND control) {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT before = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
  SetBkMode(dc, OPAQUE);
  SetTextColor(dc, RGB(1, 2, 3));
  ColourAnswer answer = {};
  answer.brush = reinterpret_cast<HBRUSH>(dialog.SendMessage(message, reinterpret_cast<WPARAM>(dc),
                                                             reinterpret_cast<LPARAM>(control)));
  LOGBRUSH logBrush = {};
  if (answer.brush) GetObjectA(answer.brush, sizeof logBrush, &logBrush);
  answer.brushColour = logBrush.lbColor;
  answer.backgroundMode = GetBkMode(dc);
  answer.textColour = GetTextColor(dc);
  answer.font = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
  GetObjectA(answer.font, sizeof answer.logFont, &answer.logFont);
  SelectObject(dc, before);
  DeleteDC(dc);
  return answer;
}

}  // namespace

TEST(SetupDialog, PaintsEveryControlOnItsBlueAndTheLabelsInTheirFonts) {
  AcadReleaseTable table;
  ColourAnswer version{}, versionAgain{}, bitness{}, heading{}, box{}, path{}, dialogItself{}, button{};
  RunAndInspect(table, [&](SetupDialog& d) {
    auto control = [&](int id) { return ::GetDlgItem(d.m_hWnd, id); };
    version = AskColours(d, WM_CTLCOLORSTATIC, control(IDC_VERSION_LABEL));
    versionAgain = AskColours(d, WM_CTLCOLORSTATIC, control(IDC_VERSION_LABEL));
    bitness = AskColours(d, WM_CTLCOLORSTATIC, control(IDC_BITNESS_LABEL));
    heading = AskColours(d, WM_CTLCOLORSTATIC, control(IDC_COMPONENTS_LABEL));
    box = AskColours(d, WM_CTLCOLORSTATIC, control(ReleaseCheckBoxId(2015)));
    path = AskColours(d, WM_CTLCOLOREDIT, control(IDC_INSTALL_PATH));
    button = AskColours(d, WM_CTLCOLORBTN, control(IDC_INSTALL));
    dialogItself = AskColours(d, WM_CTLCOLORDLG, d.m_hWnd);
  });
  const COLORREF blue = RGB(160, 180, 220);
  const COLORREF ink = RGB(10, 70, 40);
  for (const ColourAnswer* answer : {&version, &bitness, &heading, &box, &path, &button, &dialogItself}) {
    ASSERT_NE(answer->brush, nullptr);
    EXPECT_EQ(answer->brush, version.brush);  // one brush for all
    EXPECT_EQ(answer->brushColour, blue);
  }
  for (const ColourAnswer* answer : {&version, &bitness, &heading, &box, &button, &dialogItself}) {
    EXPECT_EQ(answer->backgroundMode, TRANSPARENT);
  }
  EXPECT_EQ(path.backgroundMode, OPAQUE);
  EXPECT_EQ(version.textColour, ink);
  EXPECT_EQ(bitness.textColour, ink);
  EXPECT_EQ(heading.textColour, RGB(0, 0, 0));
  EXPECT_EQ(box.textColour, RGB(0, 0, 0));
  EXPECT_EQ(path.textColour, RGB(0, 0, 0));

  const LOGFONTA& versionFont = version.logFont;
  EXPECT_EQ(versionFont.lfHeight, 14);
  EXPECT_EQ(versionFont.lfWeight, 600);
  EXPECT_STREQ(versionFont.lfFaceName, "宋体");
  const LOGFONTA& bitnessFont = bitness.logFont;
  EXPECT_EQ(bitnessFont.lfHeight, 13);
  EXPECT_EQ(bitnessFont.lfWeight, 400);
  EXPECT_STREQ(bitnessFont.lfFaceName, "宋体");
  // Made once and held, not made again for every request.
  EXPECT_EQ(versionAgain.font, version.font);
  // Other controls keep the font of their context.
  EXPECT_NE(heading.font, version.font);
  EXPECT_NE(heading.font, bitness.font);
}

namespace {

enum Check { Exact, Origin };  // Origin: the control sizes itself (bitmaps, etched lines)

struct TemplateControl {
  int id;  // -1: no id
  const char* className;
  const char* text;  // null: not compared
  int x, y, width, height;
  Check check;
  LONG kind;  // the button's or static's type (BS_TYPEMASK, SS_TYPEMASK); edit boxes and bars: 0
};

// The template, in tab order.
const TemplateControl kTemplate[] = {
    {1018, "Button", "For AutoCAD2007", 18, 80, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1019, "Button", "For AutoCAD2008", 18, 98, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1020, "Button", "For AutoCAD2009", 18, 116, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1027, "Button", "For AutoCAD2010", 18, 134, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1026, "Button", "For AutoCAD2011", 18, 152, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1028, "Button", "For AutoCAD2012", 18, 170, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1029, "Button", "For AutoCAD2013", 18, 188, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1030, "Button", "For AutoCAD2014", 104, 80, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1031, "Button", "For AutoCAD2015", 104, 98, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1032, "Button", "For AutoCAD2016", 104, 116, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1033, "Button", "For AutoCAD2017", 104, 134, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1034, "Button", "For AutoCAD2018", 104, 152, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1035, "Button", "For AutoCAD2019", 104, 170, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1036, "Button", "For AutoCAD2020", 104, 188, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1037, "Button", "For AutoCAD2021", 190, 80, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1038, "Button", "For AutoCAD2022", 190, 98, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1039, "Button", "For AutoCAD2023", 190, 116, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1040, "Button", "For AutoCAD2024", 190, 134, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1041, "Button", "For AutoCAD2025", 190, 152, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1042, "Button", "For AutoCAD2026", 190, 170, 74, 10, Exact, BS_AUTOCHECKBOX},
    {1043, "Button", "For AutoCAD2027", 190, 188, 74, 10, Exact, BS_AUTOCHECKBOX},
    {IDOK, "Button", "安装完成", 110, 214, 63, 14, Exact, BS_PUSHBUTTON},
    {IDCANCEL, "Button", "取  消", 173, 262, 50, 14, Exact, BS_PUSHBUTTON},
    {1013, "Static", nullptr, 86, 13, 146, 14, Exact, SS_CENTER},
    {-1, "Static", "", 0, 206, 286, 1, Origin, SS_ETCHEDHORZ},
    {1016, "Static", "请选择安装组件：", 14, 62, 69, 10, Exact, 0},
    {-1, "Static", "", 0, 51, 286, 1, Origin, SS_ETCHEDHORZ},
    {-1, "Static", nullptr, 32, 5, 43, 43, Origin, SS_BITMAP},  // the logo: the control takes the bitmap's size
    {1000, "Edit", "C:\\Quilox", 13, 233, 202, 12, Exact, 0},
    {1015, "Button", "浏览...", 221, 231, 51, 13, Exact, BS_PUSHBUTTON},
    {1014, "msctls_progress32", nullptr, 13, 236, 256, 6, Exact, 0},
    {1017, "Static", "请选择安装路径：", 14, 215, 71, 9, Exact, 0},
    {-1, "Static", "", 0, 255, 286, 1, Origin, SS_ETCHEDHORZ},
    {1022, "Button", "安  装", 60, 263, 50, 13, Exact, BS_PUSHBUTTON},
    {1023, "Static", "安装完成！重启CAD，CAD菜单尾会有以下子菜单：", 47, 62, 190, 10, Exact, SS_CENTER},
    {1021, "Static", nullptr, 86, 33, 146, 14, Exact, SS_CENTER},
    {1024, "Static", nullptr, 39, 78, 205, 117, Origin, SS_BITMAP},
};

struct FoundControl {
  int id;
  std::string className;
  std::string text;
  RECT rect;  // in the dialog's client coordinates
  LONG style;
  LONG exStyle;
};

}  // namespace

TEST(SetupDialog, TemplateHoldsTheControlsInTabOrderWhereTheyBelong) {
  if (GetACP() != 936) GTEST_SKIP() << "the texts are code page 936";
  AcadReleaseTable table;
  std::vector<FoundControl> found;
  std::vector<RECT> expectedRects;
  std::string caption;
  LONG style = 0, exStyle = 0;
  LOGFONTA dialogFont = {};
  RunAndInspect(table, [&](SetupDialog& d) {
    d.GetWindowText(caption);
    style = GetWindowLongA(d.m_hWnd, GWL_STYLE);
    exStyle = GetWindowLongA(d.m_hWnd, GWL_EXSTYLE);
    GetObjectA(reinterpret_cast<HFONT>(d.SendMessage(WM_GETFONT)), sizeof dialogFont, &dialogFont);
    for (HWND child = GetWindow(d.m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      FoundControl control;
      int id = GetDlgCtrlID(child);
      control.id = (id == 0xFFFF) ? -1 : id;
      char className[64] = "";
      GetClassNameA(child, className, sizeof className);
      control.className = className;
      CWnd wrapper;
      wrapper.Attach(child);
      wrapper.GetWindowText(control.text);
      wrapper.Detach();
      GetWindowRect(child, &control.rect);
      MapWindowPoints(nullptr, d.m_hWnd, reinterpret_cast<POINT*>(&control.rect), 2);
      control.style = GetWindowLongA(child, GWL_STYLE);
      control.exStyle = GetWindowLongA(child, GWL_EXSTYLE);
      found.push_back(control);
    }
    // As the dialog manager does: position and size are converted each on its own.
    for (const TemplateControl& expected : kTemplate) {
      RECT units = {expected.x, expected.y, expected.width, expected.height};
      MapDialogRect(d.m_hWnd, &units);
      expectedRects.push_back({units.left, units.top, units.left + units.right, units.top + units.bottom});
    }
  });

  EXPECT_EQ(caption, "Tessarune安装");
  EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME),
            WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME);
  EXPECT_EQ(style & WS_MAXIMIZEBOX, 0);
  EXPECT_TRUE(exStyle & WS_EX_CLIENTEDGE);
  EXPECT_STREQ(dialogFont.lfFaceName, "宋体");

  ASSERT_EQ(found.size(), sizeof kTemplate / sizeof kTemplate[0]);
  EXPECT_TRUE(found[25].style & SS_CENTERIMAGE);  // 1016 is centred vertically
  EXPECT_TRUE(found[28].style & ES_AUTOHSCROLL);  // the path box scrolls
  for (size_t i = 0; i < found.size(); ++i) {
    const TemplateControl& expected = kTemplate[i];
    const FoundControl& control = found[i];
    SCOPED_TRACE("control " + std::to_string(i) + ", id " + std::to_string(expected.id));
    EXPECT_EQ(control.id, expected.id);
    EXPECT_EQ(_stricmp(control.className.c_str(), expected.className), 0) << control.className;
    if (expected.text) {
      EXPECT_EQ(control.text, expected.text);
    }
    EXPECT_EQ(control.rect.left, expectedRects[i].left);
    EXPECT_EQ(control.rect.top, expectedRects[i].top);
    if (expected.check == Exact) {
      EXPECT_EQ(control.rect.right, expectedRects[i].right);
      EXPECT_EQ(control.rect.bottom, expectedRects[i].bottom);
    }
    if (control.className == "Button") {
      EXPECT_EQ(control.style & BS_TYPEMASK, expected.kind);
    } else if (control.className == "Static") {
      EXPECT_EQ(control.style & SS_TYPEMASK, expected.kind);
    } else if (control.className == "Edit") {
      // The dialog manager turns a template's WS_BORDER into a client edge.
      EXPECT_TRUE((control.style & WS_BORDER) || (control.exStyle & WS_EX_CLIENTEDGE));
    }
    // The progress bar's border is not checked: Wine's progress control drops WS_BORDER and
    // shows no edge at all.
  }
}
