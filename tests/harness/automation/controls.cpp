#include "automation/controls.h"

#include <stdexcept>

#include <commctrl.h>

#include "automation/text.h"
#include "automation/windows.h"

namespace automation {

namespace {
constexpr UINT kSendTimeoutMs = 5000;

LRESULT Ask(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
  return static_cast<LRESULT>(result);
}

ControlInfo Describe(HWND hwnd) {
  ControlInfo control;
  control.hwnd = hwnd;
  control.id = GetDlgCtrlID(hwnd);
  if (control.id == 0xFFFF) control.id = -1;
  control.className = WindowClass(hwnd);
  control.text = WindowText(hwnd);
  control.style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  control.enabled = IsWindowEnabled(hwnd) != FALSE;
  control.visible = (control.style & WS_VISIBLE) != 0;
  control.rect = WindowRect(hwnd);
  if (IsButton(control)) control.checked = static_cast<int>(Ask(hwnd, BM_GETCHECK));
  if (IsProgressBar(control)) {
    control.progressPos = static_cast<int>(Ask(hwnd, PBM_GETPOS));
    control.progressMin = static_cast<int>(Ask(hwnd, PBM_GETRANGE, TRUE));
    control.progressMax = static_cast<int>(Ask(hwnd, PBM_GETRANGE, FALSE));
  }
  return control;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
  reinterpret_cast<std::vector<ControlInfo>*>(param)->push_back(Describe(hwnd));
  return TRUE;
}
}  // namespace

bool IsProgressBar(const ControlInfo& control) {
  return _stricmp(control.className.c_str(), "msctls_progress32") == 0;
}

bool IsButton(const ControlInfo& control) {
  return _stricmp(control.className.c_str(), "Button") == 0;
}

std::vector<ControlInfo> ListControls(HWND parent) {
  std::vector<ControlInfo> controls;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&controls));
  return controls;
}

namespace {
struct IdSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchId(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<IdSearch*>(param);
  int id = GetDlgCtrlID(hwnd);
  if (id == search->id || (search->id == -1 && id == 0xFFFF)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

ControlInfo ReadControl(HWND parent, int id) {
  // Only the one control is asked for its state: each question is a round trip to the program.
  IdSearch search{id, nullptr};
  EnumChildWindows(parent, MatchId, reinterpret_cast<LPARAM>(&search));
  if (!search.found) {
    throw std::runtime_error("no control with id " + std::to_string(id) + " in window " + FormatHwnd(parent));
  }
  return Describe(search.found);
}

std::string FormatControlLine(const ControlInfo& control) {
  std::string line = "id=" + std::to_string(control.id) + "\tclass=" + EscapeField(control.className) +
                     "\ttext=" + EscapeField(control.text) + "\tstyle=" + HexNumber(control.style, 8) +
                     "\tenabled=" + (control.enabled ? "1" : "0") + "\tvisible=" + (control.visible ? "1" : "0");
  if (control.checked >= 0) line += "\tchecked=" + std::to_string(control.checked);
  if (IsProgressBar(control)) {
    line += "\tpos=" + std::to_string(control.progressPos) + "\tmin=" + std::to_string(control.progressMin) +
            "\tmax=" + std::to_string(control.progressMax);
  }
  line += "\trect=" + std::to_string(control.rect.left) + "," + std::to_string(control.rect.top) + "," +
          std::to_string(control.rect.right) + "," + std::to_string(control.rect.bottom);
  line += "\thwnd=" + FormatHwnd(control.hwnd);
  return line;
}

}  // namespace automation
