#include "fw/wnd.h"

#include <vector>

#include "fw/framework_error.h"

// The window property that leads from a subclassed window to its object.
static const char kObjectProperty[] = "Tessarune.CWnd";

CWnd::~CWnd() {
  // The window may outlive the object (a foreign window): it must not call into a dead object.
  if (m_oldWndProc && IsWindow(m_hWnd)) UnsubclassWindow();
}

bool CWnd::Attach(HWND window) {
  if (m_hWnd || !window) return false;
  m_hWnd = window;
  return true;
}

HWND CWnd::Detach() {
  if (m_oldWndProc) return UnsubclassWindow();
  HWND window = m_hWnd;
  m_hWnd = nullptr;
  return window;
}

bool CWnd::SubclassWindow(HWND window) {
  if (m_hWnd || !window || !IsWindow(window)) return false;
  if (!SetPropA(window, kObjectProperty, this)) return false;
  SetLastError(0);
  LONG_PTR old = SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassedWindowProc));
  if (old == 0 && GetLastError() != 0) {
    RemovePropA(window, kObjectProperty);
    return false;
  }
  m_oldWndProc = reinterpret_cast<WNDPROC>(old);
  m_hWnd = window;
  return true;
}

HWND CWnd::UnsubclassWindow() {
  if (!m_oldWndProc) return nullptr;
  HWND window = m_hWnd;
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldWndProc));
  RemovePropA(window, kObjectProperty);
  m_oldWndProc = nullptr;
  m_hWnd = nullptr;
  return window;
}

LRESULT CALLBACK CWnd::SubclassedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* object = static_cast<CWnd*>(GetPropA(window, kObjectProperty));
  if (!object) return ::DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The last message: let go of the window before its own procedure sees it.
    WNDPROC original = object->m_oldWndProc;
    object->UnsubclassWindow();
    return CallWindowProcA(original, window, message, wParam, lParam);
  }
  return object->WindowProc(message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  bool handled = false;
  if (!RunGuarded(m_hWnd, [&] { handled = OnWndMsg(message, wParam, lParam, &result); })) return 0;
  if (handled) return result;
  return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_oldWndProc) return CallWindowProcA(m_oldWndProc, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  for (const MessageMap* map = GetMessageMap(); map; map = map->base) {
    for (size_t i = 0; i < map->count; ++i) {
      const MessageMapEntry& entry = map->entries[i];
      if (!EntryMatches(entry, message, wParam)) continue;
      if (entry.onCommand) {
        (this->*entry.onCommand)();
        *result = 0;
      } else if (entry.onCtlColor) {
        HBRUSH brush = (this->*entry.onCtlColor)(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                                                  message - WM_CTLCOLORMSGBOX);
        *result = reinterpret_cast<LRESULT>(brush);
      } else {
        continue;
      }
      return true;
    }
  }
  return false;
}

HBRUSH CWnd::OnCtlColor(HDC dc, HWND control, UINT ctlColorType) {
  LRESULT brush = DefWindowProc(WM_CTLCOLORMSGBOX + ctlColorType, reinterpret_cast<WPARAM>(dc),
                                reinterpret_cast<LPARAM>(control));
  return reinterpret_cast<HBRUSH>(brush);
}

const MessageMap* CWnd::GetThisMessageMap() {
  static const MessageMap map = {nullptr, nullptr, 0};
  return &map;
}

const MessageMap* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

CWnd* CWnd::GetDlgItem(int id) {
  HWND child = ::GetDlgItem(m_hWnd, id);
  if (!child) return nullptr;
  std::unique_ptr<CWnd>& item = m_dlgItems[id];
  if (!item) item = std::make_unique<CWnd>();
  item->m_hWnd = child;
  return item.get();
}

bool CWnd::EnableWindow(bool enable) { return ::EnableWindow(m_hWnd, enable) != FALSE; }

bool CWnd::ShowWindow(int showCommand) { return ::ShowWindow(m_hWnd, showCommand) != FALSE; }

void CWnd::SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }

void CWnd::GetWindowText(std::string& text) const {
  // The length may be an overestimate for double-byte text; the copy says what it really was.
  int length = ::GetWindowTextLengthA(m_hWnd);
  std::vector<char> buffer(static_cast<size_t>(length) + 1);
  int copied = ::GetWindowTextA(m_hWnd, buffer.data(), length + 1);
  text.assign(buffer.data(), copied > 0 ? copied : 0);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

HICON CWnd::SetIcon(HICON icon, bool bigIcon) {
  LRESULT previous = SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  return reinterpret_cast<HICON>(previous);
}

static HWND TopLevelOf(HWND window) {
  while (window && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) window = GetParent(window);
  return window;
}

HWND CWnd::GetSafeOwner(CWnd* parent) {
  if (parent && parent->m_hWnd) return TopLevelOf(parent->m_hWnd);
  HWND owner = TopLevelOf(GetActiveWindow());
  return owner ? GetLastActivePopup(owner) : nullptr;
}
