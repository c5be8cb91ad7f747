// The setup dialog against the real window system: its icon, colours and fonts.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>

#include "tests/memory/memory_platform.h"
#include "tests/ui/win32_test_support.h"
#include "ui/dlg_setup.h"
#include "ui/release_boxes.h"

namespace {

using SetupDialog = Scripted<Dlg_Setup>;

// Runs the dialog with nothing found; `inspect` sees it initialised, then it is cancelled.
int RunAndInspect(std::function<void(SetupDialog&)> inspect) {
  MemoryPlatform machine;
  const Platform platform = machine.platform();
  AcadReleaseTable table;
  SetupDialog dialog(platform, table);
  dialog.steps = {[&](SetupDialog& d) {
    inspect(d);
    d.EndDialog(IDCANCEL);
  }};
  return static_cast<int>(dialog.DoModal());
}

}  // namespace

TEST(SetupDialog, SetsItsSmallIconOnly) {
  LRESULT smallIcon = 0, bigIcon = 1;
  RunAndInspect([&](SetupDialog& d) {
    smallIcon = d.SendMessage(WM_GETICON, ICON_SMALL);
    bigIcon = d.SendMessage(WM_GETICON, ICON_BIG);
  });
  EXPECT_NE(smallIcon, 0);
  EXPECT_EQ(bigIcon, 0);
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
  ColourAnswer version{}, versionAgain{}, bitness{}, heading{}, box{}, path{}, dialogItself{}, button{};
  RunAndInspect([&](SetupDialog& d) {
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
