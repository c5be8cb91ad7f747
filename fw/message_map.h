// Static message maps: each window class lists the messages it handles, in the order they are
// checked, and points to its base class's map, which is checked next. A message that no map
// handles goes to the window's default processing.
#pragma once

#include <windows.h>

#include <cstddef>
#include <type_traits>

class CWnd;

using CommandHandler = void (CWnd::*)();
// ctlColorType: CTLCOLOR_MSGBOX ... CTLCOLOR_STATIC; control is the dialog itself for CTLCOLOR_DLG.
using CtlColorHandler = HBRUSH (CWnd::*)(HDC dc, HWND control, UINT ctlColorType);

// Stands for every WM_CTLCOLOR* message in a map entry.
constexpr UINT WM_CTLCOLOR_ANY = 0x0019;

struct MessageMapEntry {
  UINT message;  // WM_COMMAND or WM_CTLCOLOR_ANY
  UINT code;     // WM_COMMAND: the notification code (BN_CLICKED, EN_CHANGE, ...)
  UINT firstId;  // WM_COMMAND: the control ids firstId..lastId
  UINT lastId;
  CommandHandler onCommand;    // for WM_COMMAND
  CtlColorHandler onCtlColor;  // for WM_CTLCOLOR_ANY
};

struct MessageMap {
  const MessageMap* base;  // the base class's map, or null
  const MessageMapEntry* entries;
  size_t count;
};

// Entry makers. Handlers are members of the window class T; the map stores them as members of
// CWnd and calls them on the window object, which is a T.

// A command from a menu, an accelerator or a button click (notification code 0 = BN_CLICKED).
template <class T>
constexpr MessageMapEntry MapCommand(UINT id, void (T::*handler)()) {
  static_assert(std::is_base_of_v<CWnd, T>, "handlers belong to a window class");
  return {WM_COMMAND, 0, id, id, static_cast<CommandHandler>(handler), nullptr};
}

// A control's notification with the given code.
template <class T>
constexpr MessageMapEntry MapControl(UINT code, UINT id, void (T::*handler)()) {
  static_assert(std::is_base_of_v<CWnd, T>, "handlers belong to a window class");
  return {WM_COMMAND, code, id, id, static_cast<CommandHandler>(handler), nullptr};
}

// The same notification from any control with an id in firstId..lastId.
template <class T>
constexpr MessageMapEntry MapControlRange(UINT code, UINT firstId, UINT lastId, void (T::*handler)()) {
  static_assert(std::is_base_of_v<CWnd, T>, "handlers belong to a window class");
  return {WM_COMMAND, code, firstId, lastId, static_cast<CommandHandler>(handler), nullptr};
}

// Every colour request (WM_CTLCOLORMSGBOX ... WM_CTLCOLORSTATIC); the handler returns the brush.
template <class T>
constexpr MessageMapEntry MapCtlColor(HBRUSH (T::*handler)(HDC, HWND, UINT)) {
  static_assert(std::is_base_of_v<CWnd, T>, "handlers belong to a window class");
  return {WM_CTLCOLOR_ANY, 0, 0, 0, nullptr, static_cast<CtlColorHandler>(handler)};
}

// True when the entry takes this message.
bool EntryMatches(const MessageMapEntry& entry, UINT message, WPARAM wParam);
