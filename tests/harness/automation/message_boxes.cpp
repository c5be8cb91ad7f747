#include "automation/message_boxes.h"

#include <algorithm>

#include "automation/controls.h"
#include "automation/standard_icons.h"
#include "automation/text.h"
#include "automation/windows.h"

namespace automation {

namespace {

constexpr int kTextId = 0xFFFF;
constexpr int kLastStandardButton = 11;  // IDCONTINUE

bool IsIconStatic(const ControlInfo& control) {
  return _stricmp(control.className.c_str(), "Static") == 0 && (control.style & SS_TYPEMASK) == SS_ICON;
}

}  // namespace

namespace {

struct Composition {
  bool anyButton = false;
  bool foreign = false;  // a control a message box does not have
};

// Class names and ids only: no message to the program, so polling stays cheap.
BOOL CALLBACK Inspect(HWND child, LPARAM param) {
  auto* composition = reinterpret_cast<Composition*>(param);
  const std::string cls = WindowClass(child);
  const int id = GetDlgCtrlID(child);
  if (_stricmp(cls.c_str(), "Button") == 0) {
    composition->anyButton = true;
    if (id < IDOK || id > kLastStandardButton) composition->foreign = true;
  } else if (_stricmp(cls.c_str(), "Static") != 0) {
    composition->foreign = true;
  }
  return composition->foreign ? FALSE : TRUE;
}

}  // namespace

bool IsMessageBox(HWND hwnd) {
  if (!IsWindow(hwnd) || !IsWindowVisible(hwnd) || WindowClass(hwnd) != "#32770") return false;
  if (!GetDlgItem(hwnd, kTextId)) return false;
  Composition composition;
  EnumChildWindows(hwnd, Inspect, reinterpret_cast<LPARAM>(&composition));
  return composition.anyButton && !composition.foreign;
}

MessageBoxInfo ReadMessageBox(HWND box) {
  MessageBoxInfo info;
  info.hwnd = box;
  info.pid = WindowProcessId(box);
  info.caption = WindowText(box);
  info.text = WindowText(GetDlgItem(box, kTextId));
  info.icon = "none";
  for (const ControlInfo& control : ListControls(box)) {
    if (IsButton(control) && control.visible) {
      info.buttons.push_back({control.id, control.text, control.enabled});
    } else if (IsIconStatic(control) && control.visible) {
      info.icon = IdentifyStandardIcon(control.hwnd);
    }
  }
  std::sort(info.buttons.begin(), info.buttons.end(),
            [](const MessageBoxButton& a, const MessageBoxButton& b) { return a.id < b.id; });
  info.owner = GetWindow(box, GW_OWNER);
  if (info.owner) {
    info.ownerPid = WindowProcessId(info.owner);
    info.ownerTitle = WindowText(info.owner);
  }
  return info;
}

HWND FindMessageBox(DWORD pid, const std::vector<HWND>& known) {
  for (HWND hwnd : TopLevelWindows()) {
    if (std::find(known.begin(), known.end(), hwnd) != known.end()) continue;
    if (pid != 0 && WindowProcessId(hwnd) != pid) {
      HWND owner = GetWindow(hwnd, GW_OWNER);
      if (!owner || WindowProcessId(owner) != pid) continue;
    }
    if (IsMessageBox(hwnd)) return hwnd;
  }
  return nullptr;
}

HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs, const std::vector<HWND>& known) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindMessageBox(pid, known)) != nullptr; }, timeoutMs);
  if (found) SettleWindow(found);
  return found;
}

ActionOutcome AnswerMessageBox(HWND box, int buttonId, DWORD timeoutMs) {
  HWND button = GetDlgItem(box, buttonId);
  if (!IsMessageBox(box) || !button) {
    ActionOutcome refused;
    refused.reason = "no message box with button " + std::to_string(buttonId);
    return refused;
  }
  HWND owner = GetWindow(box, GW_OWNER);
  ActionOutcome outcome = ClickControl(button, timeoutMs);
  if (outcome.result == ActionResult::Refused || outcome.result == ActionResult::Busy) return outcome;
  // The owner's handler goes on once the box has ended; it may already show the next box.
  if (!WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, timeoutMs)) {
    outcome.result = ActionResult::Busy;
    return outcome;
  }
  // Let the owner get on with the handler that showed the box before the caller looks at it.
  DWORD_PTR ignored = 0;
  if (owner && IsWindow(owner)) {
    SendMessageTimeoutW(owner, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored);
  }
  outcome.result = ActionResult::WindowClosed;
  outcome.opened = nullptr;
  return outcome;
}

std::string FormatMessageBoxLine(const MessageBoxInfo& box) {
  std::string buttons;
  for (const MessageBoxButton& button : box.buttons) {
    if (!buttons.empty()) buttons += ",";
    buttons += std::to_string(button.id) + ":" + button.text;
  }
  return "hwnd=" + FormatHwnd(box.hwnd) + "\tpid=" + std::to_string(box.pid) +
         "\tcaption=" + EscapeField(box.caption) + "\ttext=" + EscapeField(box.text) + "\ticon=" + box.icon +
         "\tbuttons=" + EscapeField(buttons) + "\towner=" + FormatHwnd(box.owner) +
         "\towner_pid=" + std::to_string(box.ownerPid) + "\towner_title=" + EscapeField(box.ownerTitle);
}

}  // namespace automation
