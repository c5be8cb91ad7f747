#include "platform/utf8_win32.h"

#include <windows.h>

std::string ConvertCodePage(unsigned fromCodePage, unsigned toCodePage, const std::string& text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int wideLength = MultiByteToWideChar(fromCodePage, 0, text.data(), size, nullptr, 0);
  if (wideLength <= 0) return std::string();
  std::wstring wide(wideLength, L'\0');
  MultiByteToWideChar(fromCodePage, 0, text.data(), size, &wide[0], wideLength);
  // Invalid input comes out as U+FFFD, which no ANSI code page has.
  for (wchar_t& c : wide) {
    if (c == 0xFFFD) c = L'?';
  }
  // UTF-8 takes no default character; an ANSI code page takes '?' for what it lacks.
  const bool toUtf8 = toCodePage == CP_UTF8;
  const int length = WideCharToMultiByte(toCodePage, toUtf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide.data(), wideLength,
                                         nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string out(length, '\0');
  WideCharToMultiByte(toCodePage, toUtf8 ? 0 : WC_NO_BEST_FIT_CHARS, wide.data(), wideLength, &out[0], length,
                      nullptr, nullptr);
  return out;
}
