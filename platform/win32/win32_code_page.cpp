#include "platform/win32/win32_code_page.h"

#include <windows.h>

#include "platform/utf8_win32.h"

namespace {

// Maps one character (one or two bytes) through the system's Unicode case tables. The ANSI
// functions (CharUpperBuffA, LCMapStringA) would turn a lone lead byte or an invalid pair into '?'
// and an upper-case letter that the code page lacks into '?' or a look-alike: such characters
// are left as they are, so the text never changes length or loses a byte.
void MapCharacter(char* bytes, int length, bool upper) {
  WCHAR wide[2];
  int wideLength = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, length, wide, 2);
  if (wideLength != 1) return;
  WCHAR mapped = wide[0];
  if (upper) {
    CharUpperBuffW(&mapped, 1);
  } else {
    CharLowerBuffW(&mapped, 1);
  }
  if (mapped == wide[0]) return;

  char out[4];
  BOOL usedDefault = FALSE;
  int outLength = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &mapped, 1, out, sizeof out, nullptr,
                                      &usedDefault);
  if (outLength != length || usedDefault) return;
  // WC_NO_BEST_FIT_CHARS is not honoured everywhere: make sure the bytes mean the mapped character.
  WCHAR check = 0;
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, out, outLength, &check, 1) != 1 || check != mapped) return;
  for (int i = 0; i < length; ++i) bytes[i] = out[i];
}

std::string Map(const CodePage& cp, const std::string& text, bool upper) {
  std::string out = text;
  for (size_t i = 0; i < out.size();) {
    bool pair = cp.IsLeadByte(static_cast<unsigned char>(out[i])) && i + 1 < out.size();
    int length = pair ? 2 : 1;
    // A lone lead byte at the end stays as it is.
    if (cp.IsLeadByte(static_cast<unsigned char>(out[i])) && !pair) break;
    // The case tables change no ASCII character but the letters: paths are mostly ASCII, and a
    // round trip through the tables per character made thousands of comparisons slow.
    const char c = out[i];
    if (length == 1 && static_cast<unsigned char>(c) < 0x80) {
      if (upper && c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 'a' + 'A');
      if (!upper && c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c - 'A' + 'a');
      ++i;
      continue;
    }
    MapCharacter(&out[i], length, upper);
    i += length;
  }
  return out;
}

}  // namespace

bool Win32CodePage::IsLeadByte(unsigned char byte) const { return IsDBCSLeadByte(byte) != FALSE; }

std::string Win32CodePage::Upper(const std::string& text) const { return Map(*this, text, true); }

std::string Win32CodePage::Lower(const std::string& text) const { return Map(*this, text, false); }

std::string Win32CodePage::ToUtf8(const std::string& text) const { return ConvertCodePage(CP_ACP, CP_UTF8, text); }

std::string Win32CodePage::FromUtf8(const std::string& utf8) const { return ConvertCodePage(CP_UTF8, CP_ACP, utf8); }
