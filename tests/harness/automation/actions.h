// What a user does to a program: clicks, typing, keys, the close box. Every action is posted to the
// program's queue, as real input is, and returns once the program has dispatched it, so a handler
// that opens a modal box does not block the caller. An action that neither closes the window nor
// opens a new one returns after a quiet period of 200 ms, in which messages the handler posted to
// itself run too.
#pragma once

#include <windows.h>

#include <string>

#include "automation/wait.h"

namespace automation {

enum class ActionResult {
  Done,          // handled; the window is still there and nothing new opened
  ModalShown,    // the handler opened a new top-level window (a message box, a dialog)
  WindowClosed,  // the window acted on is gone or hidden (the dialog ended)
  Busy,          // the program did not come back to its message loop within the timeout
  Refused,       // no such control, or hidden or disabled: a user could not have done it
};

struct ActionOutcome {
  ActionResult result = ActionResult::Refused;
  HWND opened = nullptr;  // the new window for ModalShown
  std::string reason;     // for Refused
};

const char* ActionResultName(ActionResult result);

// BM_CLICK on the button: pushed and released, auto check boxes toggle, the parent gets BN_CLICKED.
ActionOutcome ClickButton(HWND window, int id, DWORD timeoutMs = kDefaultTimeoutMs);
ActionOutcome ClickControl(HWND control, DWORD timeoutMs = kDefaultTimeoutMs);
// Replaces an edit box's text as typing would: the parent hears EN_CHANGE.
ActionOutcome SetEditText(HWND window, int id, const std::string& utf8, DWORD timeoutMs = kDefaultTimeoutMs);
// WM_COMMAND (id, BN_CLICKED), as the dialog manager sends IDOK for Enter and IDCANCEL for Escape.
ActionOutcome SendCommand(HWND dialog, int id, DWORD timeoutMs = kDefaultTimeoutMs);
// A key press (down and up) delivered to the control that has the focus in the window's thread.
ActionOutcome PressKey(HWND window, UINT virtualKey, DWORD timeoutMs = kDefaultTimeoutMs);
// The close box of the caption: WM_SYSCOMMAND SC_CLOSE.
ActionOutcome PressCloseBox(HWND window, DWORD timeoutMs = kDefaultTimeoutMs);

}  // namespace automation
