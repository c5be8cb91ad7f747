// Finding and reading the windows of programs under test (any process of the same Wine prefix).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace automation {

std::string WindowText(HWND hwnd);   // WM_GETTEXT, so edit boxes give their current text
std::string WindowClass(HWND hwnd);
DWORD WindowProcessId(HWND hwnd);
RECT WindowRect(HWND hwnd);          // screen coordinates

// Top-level windows in Z order; pid 0 means every process.
std::vector<HWND> TopLevelWindows(DWORD pid = 0);
// A visible top-level window with exactly this title (and of this process unless pid is 0).
HWND FindTopLevelWindow(const std::string& title, DWORD pid = 0);
HWND WaitForTopLevelWindow(const std::string& title, DWORD pid, DWORD timeoutMs);

std::string FormatHwnd(HWND hwnd);                // "0x0001004A"
HWND ParseHwnd(const std::string& text);          // decimal or 0x-hex; nullptr when not a number

// Lets the program finish what it was doing with `hwnd` (sent messages and painting).
void SettleWindow(HWND hwnd);

}  // namespace automation
