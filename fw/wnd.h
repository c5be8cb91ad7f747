// A window object: an HWND and the message map that handles its messages. The object does not
// own the window; it is either attached (controls of a dialog), the dialog itself (CDialog), or
// subclassed: put in front of a window made by someone else, whose other messages go on to
// that window's own procedure.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "fw/message_map.h"

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // Binds the object to a window without taking its messages; false when already bound.
  bool Attach(HWND window);
  // Lets go of the window (and ends a subclass); returns it.
  HWND Detach();

  // Routes the window's messages through this object's message map first; every message that
  // no entry takes goes on to the window's original procedure. Undone by UnsubclassWindow or
  // by the window's destruction (WM_NCDESTROY), whichever comes first.
  bool SubclassWindow(HWND window);
  // Restores the original procedure; call it only while no later subclass sits on top of ours.
  HWND UnsubclassWindow();

  // The child with this control id, as an object that stays valid while this one lives;
  // null when there is no such child.
  CWnd* GetDlgItem(int id);

  // Returns true when the window was disabled before (as EnableWindow does).
  bool EnableWindow(bool enable = true);
  // Returns true when the window was visible before.
  bool ShowWindow(int showCommand);

  void SetWindowText(const char* text);
  void SetWindowText(const std::string& text) { SetWindowText(text.c_str()); }
  // The whole text.
  void GetWindowText(std::string& text) const;

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  HICON SetIcon(HICON icon, bool bigIcon);

  // The owner a modal window of `parent` gets: the parent taken up to its first ancestor that
  // is not a child window; without one, the active window, taken up the same way and on to its
  // last active pop-up. May be null.
  static HWND GetSafeOwner(CWnd* parent);

  // The message map of this class (static, for derived maps to chain to) and of the object.
  static const MessageMap* GetThisMessageMap();
  virtual const MessageMap* GetMessageMap() const;

  HWND m_hWnd = nullptr;

 protected:
  // Looks the message up in the maps, derived class first; true when a handler took it.
  virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // One message of a subclassed window: the maps, then the original procedure. Exceptions end
  // here, reported in a stop box; the message then counts as handled.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // What the window does with a message nobody handled.
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  // The default colours for a WM_CTLCOLOR* request, for handlers that start from them.
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlColorType);

 private:
  static LRESULT CALLBACK SubclassedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  WNDPROC m_oldWndProc = nullptr;
  std::map<int, std::unique_ptr<CWnd>> m_dlgItems;
};
