// Subclassing a window the program did not create (as the shell's folder browser will be):
// mapped commands are taken, everything else reaches the window's own procedure, and errors
// in a handler are reported without leaving the window procedure.
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "fw/framework.h"
#include "tests/ui/win32_test_support.h"

namespace {

// The foreign window: records what its own procedure receives.
std::vector<std::string> ownProcedureLog;

LRESULT CALLBACK ForeignWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) ownProcedureLog.push_back("command " + std::to_string(LOWORD(wParam)));
  if (message == WM_APP) ownProcedureLog.push_back("app");
  if (message == WM_NCDESTROY) ownProcedureLog.push_back("ncdestroy");
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateForeignWindow() {
  static ATOM atom = 0;
  if (!atom) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &ForeignWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "TessaForeignWindow";
    atom = RegisterClassA(&windowClass);
  }
  ownProcedureLog.clear();
  return CreateWindowExA(0, "TessaForeignWindow", "foreign", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

class BrowseWindowLike : public CWnd {
 public:
  std::vector<std::string> handled;
  long throwCode = 0;
  bool throwBadAlloc = false;
  bool throwOther = false;

  static const MessageMap* GetThisMessageMap() {
    static const MessageMapEntry entries[] = {
        MapControl(BN_CLICKED, IDOK, &BrowseWindowLike::OnOkClicked),
        MapControl(EN_CHANGE, 14148, &BrowseWindowLike::OnEditChanged),
    };
    static const MessageMap map = {CWnd::GetThisMessageMap(), entries, 2};
    return &map;
  }
  const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

 protected:
  void OnOkClicked() {
    handled.push_back("ok");
    if (throwCode) throw CFrameworkError(throwCode);
    if (throwBadAlloc) throw std::bad_alloc();
    if (throwOther) throw 42;
  }
  void OnEditChanged() { handled.push_back("edit"); }
};

}  // namespace

TEST(SubclassWindow, MappedCommandsAreTakenAndTheRestReachesTheOwnProcedure) {
  HWND window = CreateForeignWindow();
  ASSERT_NE(window, nullptr);
  WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
  BrowseWindowLike sub;
  ASSERT_TRUE(sub.SubclassWindow(window));
  EXPECT_EQ(sub.m_hWnd, window);

  SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(14148, EN_CHANGE), 0);
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(14148, EN_SETFOCUS), 0);
  SendMessageA(window, WM_APP, 0, 0);
  EXPECT_EQ(sub.handled, (std::vector<std::string>{"ok", "edit"}));
  EXPECT_EQ(ownProcedureLog, (std::vector<std::string>{"command 2", "command 14148", "app"}));

  // The window's own behaviour is intact.
  SetWindowTextA(window, "changed");
  std::string text;
  sub.GetWindowText(text);
  EXPECT_EQ(text, "changed");

  EXPECT_EQ(sub.UnsubclassWindow(), window);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)), original);
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_EQ(sub.handled.size(), 2u);
  EXPECT_EQ(ownProcedureLog.back(), "command 1");
  DestroyWindow(window);
}

TEST(SubclassWindow, TheObjectLetsGoWhenTheWindowIsDestroyed) {
  HWND window = CreateForeignWindow();
  BrowseWindowLike sub;
  ASSERT_TRUE(sub.SubclassWindow(window));
  DestroyWindow(window);
  EXPECT_EQ(sub.m_hWnd, nullptr);
  // The own procedure still saw the last message.
  EXPECT_EQ(ownProcedureLog.back(), "ncdestroy");
  // The object can take another window afterwards.
  HWND second = CreateForeignWindow();
  EXPECT_TRUE(sub.SubclassWindow(second));
  DestroyWindow(second);
}

TEST(SubclassWindow, AnObjectThatDiesFirstRestoresTheWindow) {
  HWND window = CreateForeignWindow();
  WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
  {
    BrowseWindowLike sub;
    ASSERT_TRUE(sub.SubclassWindow(window));
  }
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)), original);
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_EQ(ownProcedureLog.back(), "command 1");
  DestroyWindow(window);
}

TEST(SubclassWindow, AnErrorInAHandlerIsReportedForThatMessageOnly) {
  HWND window = CreateForeignWindow();
  BrowseWindowLike sub;
  ASSERT_TRUE(sub.SubclassWindow(window));
  MessageBoxCatcher catcher;

  sub.throwCode = E_INVALIDARG;
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  sub.throwCode = 0;
  sub.throwBadAlloc = true;
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  sub.throwBadAlloc = false;
  sub.throwOther = true;
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  sub.throwOther = false;

  ASSERT_EQ(catcher.boxes.size(), 3u);
  for (const auto& box : catcher.boxes) EXPECT_EQ(box.caption, "ui_subclass_win32_test");
  EXPECT_EQ(catcher.boxes[0].text, FrameworkErrorText(E_INVALIDARG));
  EXPECT_EQ(catcher.boxes[1].text, FrameworkErrorText(E_OUTOFMEMORY));
  EXPECT_EQ(catcher.boxes[2].text, FrameworkErrorText(E_FAIL));
  // The failed command was consumed, not passed on to the window's own OK.
  EXPECT_TRUE(ownProcedureLog.empty());

  // The window goes on working.
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(14148, EN_CHANGE), 0);
  EXPECT_EQ(sub.handled.back(), "edit");
  DestroyWindow(window);
}

TEST(FrameworkErrorText, UsesTheSystemTextAndFallsBackToTheNumber) {
  std::string invalid = FrameworkErrorText(E_INVALIDARG);
  EXPECT_FALSE(invalid.empty());
  EXPECT_NE(invalid, "0x80070057");
  EXPECT_NE(invalid.back(), '\n');
  EXPECT_NE(invalid.back(), '\r');
  EXPECT_NE(FrameworkErrorText(E_OUTOFMEMORY), "0x8007000E");
  EXPECT_EQ(FrameworkErrorText(0x2000ABCD), "0x2000ABCD");
}

TEST(AppName, IsTheExecutableBaseNameWithoutAnApplicationObject) {
  EXPECT_EQ(AfxGetApp(), nullptr);
  EXPECT_STREQ(AfxGetAppName(), "ui_subclass_win32_test");
}
