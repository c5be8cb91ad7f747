// Message boxes of programs under test: find them, read them, answer them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "automation/actions.h"
#include "automation/wait.h"

namespace automation {

struct MessageBoxButton {
  int id = 0;  // IDOK 1 ... IDNO 7
  std::string text;
  bool enabled = false;
};

struct MessageBoxInfo {
  HWND hwnd = nullptr;
  DWORD pid = 0;
  std::string caption;
  std::string text;  // the static with id 0xFFFF
  std::vector<MessageBoxButton> buttons;
  std::string icon;  // as IdentifyStandardIcon names it
  HWND owner = nullptr;
  DWORD ownerPid = 0;
  std::string ownerTitle;
};

// A visible #32770 window made of a text (static 0xFFFF), statics and the standard buttons only;
// a dialog of the program itself, or the folder browser, is not one.
bool IsMessageBox(HWND hwnd);
MessageBoxInfo ReadMessageBox(HWND box);

// A message box shown by process `pid` or owned by one of its windows; with pid 0, any message
// box. Boxes in `known` do not count, so a script can wait for the next one.
HWND FindMessageBox(DWORD pid, const std::vector<HWND>& known = {});
HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs, const std::vector<HWND>& known = {});

// Clicks the button and waits until the box has gone. Refused when the box has no such button.
ActionOutcome AnswerMessageBox(HWND box, int buttonId, DWORD timeoutMs = kDefaultTimeoutMs);

// hwnd, pid, caption, text, icon, buttons=id:text,... , owner, owner_pid, owner_title; tab-separated.
std::string FormatMessageBoxLine(const MessageBoxInfo& box);

}  // namespace automation
