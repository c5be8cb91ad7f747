// The child controls of a window as a user sees them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace automation {

struct ControlInfo {
  HWND hwnd = nullptr;
  int id = 0;                 // GetDlgCtrlID; -1 for an unnamed static (0xFFFF)
  std::string className;
  std::string text;
  DWORD style = 0;
  bool enabled = false;
  bool visible = false;       // the control's own WS_VISIBLE, whatever its parent's state
  int checked = -1;           // BM_GETCHECK for buttons; -1 for other classes
  int progressPos = 0;        // msctls_progress32 only
  int progressMin = 0;
  int progressMax = 0;
  RECT rect{};                // screen coordinates
};

// Every descendant of `parent`, in the order the window system keeps them (tab order in a dialog).
std::vector<ControlInfo> ListControls(HWND parent);
// The control with `id` among the descendants; throws std::runtime_error when there is none.
ControlInfo ReadControl(HWND parent, int id);
bool IsProgressBar(const ControlInfo& control);
bool IsButton(const ControlInfo& control);

// One tab-separated line: id, class, text, style, enabled, visible, then checked (buttons),
// pos/min/max (progress bars), and rect=left,top,right,bottom.
std::string FormatControlLine(const ControlInfo& control);

}  // namespace automation
