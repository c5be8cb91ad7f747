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
        MapMessage(WM_APP + 7, &DerivedWindow::OnAppMessage),
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
  LRESULT OnAppMessage(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam + lParam); }
};

WPARAM Command(UINT code, UINT id) { return MAKEWPARAM(id, code); }

}  // namespace

TEST(MessageMap, DerivedEntriesComeFirstAndTheBaseMapIsChecked) {
  DerivedWindow window;
  LRESULT result = -1;
  EXPECT_TRUE(window.Dispatch(WM_COMMAND, Command(BN_CLICKED, 11), 0, &result));
  EXPECT_TRUE(window.Dispatch(WM_COMMAND, Command(BN_CLICKED, 10), 0, &result));
  EXPECT_EQ(window.calls, "derived11 base10 ");
  EXPECT_EQ(result, 0);
}

TEST(MessageMap, TheFirstMatchingEntryWinsOverlappingRanges) {
  DerivedWindow window;
  LRESULT result;
  for (UINT id : {20u, 24u, 25u, 29u, 30u, 35u}) window.Dispatch(WM_COMMAND, Command(BN_CLICKED, id), 0, &result);
  EXPECT_EQ(window.calls, "first first first first second second ");
}

TEST(MessageMap, CommandsMatchOnNotificationCodeAndId) {
  DerivedWindow window;
  LRESULT result;
  EXPECT_FALSE(window.Dispatch(WM_COMMAND, Command(EN_CHANGE, 11), 0, &result));  // code differs
  EXPECT_FALSE(window.Dispatch(WM_COMMAND, Command(BN_CLICKED, 40), 0, &result));
  EXPECT_FALSE(window.Dispatch(WM_COMMAND, Command(BN_CLICKED, 19), 0, &result));  // outside the ranges
  EXPECT_FALSE(window.Dispatch(WM_COMMAND, Command(BN_CLICKED, 36), 0, &result));
  EXPECT_TRUE(window.Dispatch(WM_COMMAND, Command(EN_CHANGE, 40), 0, &result));
  EXPECT_TRUE(window.Dispatch(WM_COMMAND, Command(0, 50), 0, &result));  // menu or accelerator command
  EXPECT_EQ(window.calls, "edit fifty ");
}

TEST(MessageMap, UnlistedMessagesAreLeftToTheDefault) {
  DerivedWindow window;
  LRESULT result = 77;
  EXPECT_FALSE(window.Dispatch(WM_PAINT, 0, 0, &result));
  EXPECT_FALSE(window.Dispatch(WM_COMMAND, Command(BN_CLICKED, 12), 0, &result));
  EXPECT_EQ(result, 77);
  EXPECT_EQ(window.calls, "");
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

TEST(MessageMap, OtherMessagesPassTheirParametersAndResult) {
  DerivedWindow window;
  LRESULT result = 0;
  EXPECT_TRUE(window.Dispatch(WM_APP + 7, 40, 2, &result));
  EXPECT_EQ(result, 42);
}

TEST(MessageMap, ABaseObjectDoesNotSeeTheDerivedEntries) {
  BaseWindow window;
  LRESULT result;
  EXPECT_TRUE(window.Dispatch(WM_COMMAND, Command(BN_CLICKED, 11), 0, &result));
  EXPECT_FALSE(window.Dispatch(WM_COMMAND, Command(BN_CLICKED, 20), 0, &result));
  EXPECT_EQ(window.calls, "base11 ");
}
