#include "automation/windows.h"

#include <cstdlib>

#include "automation/text.h"
#include "automation/wait.h"

namespace automation {

namespace {
constexpr UINT kSendTimeoutMs = 5000;
}

std::string WindowText(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length)) {
    return std::string();
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                      SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied);
  text.resize(copied);
  return Utf8FromWide(text);
}

std::string WindowClass(HWND hwnd) {
  wchar_t name[256] = L"";
  GetClassNameW(hwnd, name, 256);
  return Utf8FromWide(name);
}

DWORD WindowProcessId(HWND hwnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

RECT WindowRect(HWND hwnd) {
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  return rect;
}

namespace {
struct TopLevelSearch {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<TopLevelSearch*>(param);
  if (search->pid == 0 || WindowProcessId(hwnd) == search->pid) search->found.push_back(hwnd);
  return TRUE;
}
}  // namespace

std::vector<HWND> TopLevelWindows(DWORD pid) {
  TopLevelSearch search{pid, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindTopLevelWindow(const std::string& title, DWORD pid) {
  const std::wstring wanted = WideFromUtf8(title);
  for (HWND hwnd : TopLevelWindows(pid)) {
    if (!IsWindowVisible(hwnd)) continue;
    // The caption as the window system keeps it: no message, so a hung program cannot stall the search.
    std::wstring caption(wanted.size() + 2, L'\0');
    caption.resize(InternalGetWindowText(hwnd, &caption[0], static_cast<int>(caption.size())));
    if (caption == wanted) return hwnd;
  }
  return nullptr;
}

HWND WaitForTopLevelWindow(const std::string& title, DWORD pid, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTopLevelWindow(title, pid)) != nullptr; }, timeoutMs);
  if (found) SettleWindow(found);
  return found;
}

std::string FormatHwnd(HWND hwnd) {
  return HexNumber(reinterpret_cast<ULONG_PTR>(hwnd), 8);
}

HWND ParseHwnd(const std::string& text) {
  if (text.empty()) return nullptr;
  char* end = nullptr;
  unsigned long long value = std::strtoull(text.c_str(), &end, 0);
  if (*end != '\0') return nullptr;
  return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
}

void SettleWindow(HWND hwnd) {
  DWORD_PTR ignored = 0;
  // A sent message is answered only once the thread is back in its message loop; painting
  // happens when its queue runs dry, so ask twice with a pause between.
  SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpMessages(100);
  SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
}

}  // namespace automation
