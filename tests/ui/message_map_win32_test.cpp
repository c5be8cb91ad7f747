// Message-map dispatch: entries are checked in order, derived map before base map, and a
// message no entry takes is left to the default processing.
#include <gtest/gtest.h>

#include <string>

#include "fw/framework.h"

namespace {

class BaseWindow : public CWnd {
 public:
  std::string calls;

  static const MessageMap* GetThisMessageMap() {
    static const MessageMapEntry entries[] = {
        MapControl(BN_CLICKED, 10, &BaseWindow::OnBaseTen),
        MapControl(BN_CLICKED, 11, &BaseWindow::OnBaseEleven),
    };
    static const MessageMap map = {CWnd::GetThisMessageMap(), entries, 2};
    return &map;
  }
  const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

  bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return OnWndMsg(message, wParam, lParam, result);
  }

 protected:
  void OnBaseTen() { calls += "base10 "; }
  void OnBaseEleven() { calls += "base11 "; }
};

class DerivedWindow : public BaseWindow {
 public:
  HBRUSH brush = reinterpret_cast<HBRUSH>(0x1234);
  UINT lastCtlColorType = 99;
  HWND lastControl = nullptr;

  static const MessageMap* GetThisMessageMap() {
    static const MessageMapEntry entries[] = {
        MapControl(BN_CLICKED, 11, &DerivedWindow::OnDerivedEleven),
        MapControlRange(BN_CLICKED, 20, 29, &DerivedWindow::OnFirstRange),
        MapControlRange(BN_CLICKED, 25, 35, &DerivedWindow::OnSecondRange),
        MapControl(EN_CHANGE, 40, &DerivedWindow::OnEditChanged),
        MapCommand(50, &DerivedWindow::OnCommandFifty),
        MapCtlColor(&DerivedWindow::OnCtlColor),
    };
    static const MessageMap map = {BaseWindow::GetThisMessageMap(), entries, sizeof entries / sizeof entries[0]};
    return &map;
  }
  const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

 protected:
  void OnDerivedEleven() { calls += "derived11 "; }
  void OnFirstRange() { calls += "first "; }
  void OnSecondRange() { calls += "second "; }
  void OnEditChanged() { calls += "edit "; }
  void OnCommandFifty() { calls += "fifty "; }
  HBRUSH OnCtlColor(HDC, HWND control, UINT type) {
    lastControl = control;
    lastCtlColorType = type;
    return brush;
  }
};

WPARAM Command(UINT code, UINT id) { return MAKEWPARAM(id, code); }

}  // namespace

// Which handler a command reaches: derived entries first, the first match of overlapping ranges,
// code and id both matching, the base map next, and nothing for what no map lists.
TEST(MessageMap, ACommandReachesTheFirstMatchingEntryDerivedMapFirst) {
  const struct {
    UINT code, id;
    const char* handler;  // "" when no entry takes it
  } cases[] = {
      {BN_CLICKED, 11, "derived11 "}, {BN_CLICKED, 10, "base10 "},    {BN_CLICKED, 20, "first "},
      {BN_CLICKED, 24, "first "},     {BN_CLICKED, 25, "first "},     {BN_CLICKED, 29, "first "},
      {BN_CLICKED, 30, "second "},    {BN_CLICKED, 35, "second "},    {BN_CLICKED, 19, ""},
      {BN_CLICKED, 36, ""},           {EN_CHANGE, 11, ""},            {BN_CLICKED, 40, ""},
      {EN_CHANGE, 40, "edit "},       {0, 50, "fifty "},  // a menu or accelerator command
      {BN_CLICKED, 12, ""},
  };
  for (const auto& c : cases) {
    DerivedWindow window;
    LRESULT result = 77;
    const bool handled = window.Dispatch(WM_COMMAND, Command(c.code, c.id), 0, &result);
    EXPECT_EQ(window.calls, c.handler) << c.code << " " << c.id;
    EXPECT_EQ(handled, *c.handler != '\0') << c.code << " " << c.id;
    EXPECT_EQ(result, handled ? 0 : 77) << c.code << " " << c.id;
  }
  DerivedWindow window;
  LRESULT result = 77;
  EXPECT_FALSE(window.Dispatch(WM_PAINT, 0, 0, &result));
}

TEST(MessageMap, OneColourEntryTakesEveryKindOfColourRequest) {
  DerivedWindow window;
  HWND control = reinterpret_cast<HWND>(0x5678);
  const UINT kinds[] = {WM_CTLCOLORMSGBOX, WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX, WM_CTLCOLORBTN,
                        WM_CTLCOLORDLG,    WM_CTLCOLORSCROLLBAR, WM_CTLCOLORSTATIC};
  for (UINT message : kinds) {
    LRESULT result = 0;
    ASSERT_TRUE(window.Dispatch(message, 0, reinterpret_cast<LPARAM>(control), &result)) << message;
    EXPECT_EQ(reinterpret_cast<HBRUSH>(result), window.brush);
    EXPECT_EQ(window.lastControl, control);
    EXPECT_EQ(window.lastCtlColorType, message - WM_CTLCOLORMSGBOX);
  }
  EXPECT_EQ(window.lastCtlColorType, static_cast<UINT>(CTLCOLOR_STATIC));
}

TEST(MessageMap, ABaseObjectDoesNotSeeTheDerivedEntries) {
  BaseWindow window;
  LRESULT result;
  EXPECT_TRUE(window.Dispatch(WM_COMMAND, Command(BN_CLICKED, 11), 0, &result));
  EXPECT_FALSE(window.Dispatch(WM_COMMAND, Command(BN_CLICKED, 20), 0, &result));
  EXPECT_EQ(window.calls, "base11 ");
}
