#include "automation/actions.h"

#include <algorithm>
#include <vector>

#include "automation/text.h"
#include "automation/windows.h"

namespace automation {

const char* ActionResultName(ActionResult result) {
  switch (result) {
    case ActionResult::Done: return "done";
    case ActionResult::ModalShown: return "modal";
    case ActionResult::WindowClosed: return "closed";
    case ActionResult::Busy: return "busy";
    case ActionResult::Refused: return "refused";
  }
  return "?";
}

namespace {

std::vector<HWND> VisibleTopLevel(DWORD pid) {
  std::vector<HWND> visible;
  for (HWND hwnd : TopLevelWindows(pid)) {
    if (IsWindowVisible(hwnd)) visible.push_back(hwnd);
  }
  return visible;
}

ActionOutcome Refuse(const std::string& reason) {
  ActionOutcome outcome;
  outcome.result = ActionResult::Refused;
  outcome.reason = reason;
  return outcome;
}

// A user can act only on a control that is shown and enabled in a window that takes input.
bool Reachable(HWND control, std::string* reason) {
  for (HWND hwnd = control; hwnd; hwnd = (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr) {
    if (!IsWindowVisible(hwnd)) {
      *reason = "hidden";
      return false;
    }
    if (!IsWindowEnabled(hwnd)) {
      *reason = hwnd == control ? "disabled" : "window disabled (a modal window is open)";
      return false;
    }
  }
  return true;
}

constexpr DWORD kQuietMs = 200;

// One WM_NULL round trip: answered only from the program's message retrieval. False when the
// window has gone; `busy` is set when the program did not answer within the timeout.
bool RoundTrip(HWND root, DWORD timeoutMs, bool* busy) {
  DWORD_PTR ignored = 0;
  if (!IsWindow(root)) return false;
  if (SendMessageTimeoutW(root, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored)) return true;
  *busy = GetLastError() == ERROR_TIMEOUT && IsWindow(root);
  return false;
}

// Posts the messages, then waits until the program has dispatched them: retrieval runs sent
// messages before posted ones, so after the second answered round trip the posted messages have
// been dispatched (or a nested modal loop runs). A handler may post more (the close box makes the
// dialog post IDCANCEL to itself), so the program gets a short quiet period of further round
// trips before the action counts as done without effect on the window.
ActionOutcome Deliver(HWND target, HWND root, const std::vector<MSG>& posts, DWORD timeoutMs) {
  DWORD pid = WindowProcessId(root);
  std::vector<HWND> before = VisibleTopLevel(pid);
  for (const MSG& msg : posts) {
    if (!PostMessageW(msg.hwnd ? msg.hwnd : target, msg.message, msg.wParam, msg.lParam)) {
      return Refuse("cannot post: error " + std::to_string(GetLastError()));
    }
  }
  ActionOutcome outcome;
  bool busy = false;
  for (int trip = 0; trip < 2 && RoundTrip(root, timeoutMs, &busy); ++trip) {
  }
  DWORD quietStart = GetTickCount();
  for (;;) {
    if (busy) {
      outcome.result = ActionResult::Busy;
      return outcome;
    }
    if (!IsWindow(root) || !IsWindowVisible(root)) {
      outcome.result = ActionResult::WindowClosed;
      return outcome;
    }
    for (HWND hwnd : VisibleTopLevel(pid)) {
      if (std::find(before.begin(), before.end(), hwnd) == before.end()) {
        outcome.result = ActionResult::ModalShown;
        outcome.opened = hwnd;
        return outcome;
      }
    }
    if (GetTickCount() - quietStart >= kQuietMs) break;
    PumpMessages(25);
    RoundTrip(root, timeoutMs, &busy);
  }
  outcome.result = ActionResult::Done;
  return outcome;
}

MSG Message(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = hwnd;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  return msg;
}

HWND Control(HWND window, int id) {
  return GetDlgItem(window, id);
}

}  // namespace

ActionOutcome ClickControl(HWND control, DWORD timeoutMs) {
  std::string reason;
  if (!IsWindow(control)) return Refuse("no such control");
  if (!Reachable(control, &reason)) return Refuse(reason);
  return Deliver(control, GetAncestor(control, GA_ROOT), {Message(control, BM_CLICK, 0, 0)}, timeoutMs);
}

ActionOutcome ClickButton(HWND window, int id, DWORD timeoutMs) {
  HWND control = Control(window, id);
  if (!control) return Refuse("no control with id " + std::to_string(id));
  return ClickControl(control, timeoutMs);
}

ActionOutcome SetEditText(HWND window, int id, const std::string& utf8, DWORD timeoutMs) {
  HWND edit = Control(window, id);
  std::string reason;
  if (!edit) return Refuse("no control with id " + std::to_string(id));
  if (!Reachable(edit, &reason)) return Refuse(reason);
  std::wstring text = WideFromUtf8(utf8);
  DWORD_PTR ignored = 0;
  // A single-line edit box notifies its parent (EN_UPDATE, EN_CHANGE) itself on WM_SETTEXT.
  if (!SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                           timeoutMs, &ignored)) {
    ActionOutcome outcome;
    outcome.result = ActionResult::Busy;
    return outcome;
  }
  return Deliver(edit, GetAncestor(edit, GA_ROOT), {}, timeoutMs);
}

ActionOutcome SendCommand(HWND dialog, int id, DWORD timeoutMs) {
  if (!IsWindow(dialog)) return Refuse("no such window");
  HWND control = Control(dialog, id);
  return Deliver(dialog, GetAncestor(dialog, GA_ROOT),
                 {Message(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control))},
                 timeoutMs);
}

ActionOutcome PressKey(HWND window, UINT virtualKey, DWORD timeoutMs) {
  if (!IsWindow(window)) return Refuse("no such window");
  HWND root = GetAncestor(window, GA_ROOT);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  HWND focus = nullptr;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(root, nullptr), &info)) focus = info.hwndFocus;
  if (!focus) focus = root;
  LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
  return Deliver(focus, root,
                 {Message(focus, WM_KEYDOWN, virtualKey, scan | 1),
                  Message(focus, WM_KEYUP, virtualKey, scan | 1 | (LPARAM{1} << 30) | (LPARAM{1} << 31))},
                 timeoutMs);
}

ActionOutcome PressCloseBox(HWND window, DWORD timeoutMs) {
  if (!IsWindow(window)) return Refuse("no such window");
  HWND root = GetAncestor(window, GA_ROOT);
  return Deliver(root, root, {Message(root, WM_SYSCOMMAND, SC_CLOSE, 0)}, timeoutMs);
}

}  // namespace automation
