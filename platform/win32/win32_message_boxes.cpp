#include "platform/win32/win32_message_boxes.h"

#include <windows.h>

int Win32MessageBoxes::Show(WindowRef owner, const std::string& text, const std::string& caption,
                            unsigned style) {
  return MessageBoxA(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(), style);
}
