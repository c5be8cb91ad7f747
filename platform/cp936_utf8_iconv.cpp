// Code page 936 to and from UTF-8 through iconv, whose CP936 is Windows' table (0x80 is the euro).
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/cp936_code_page.h"

namespace {

// How many bytes the character at `c` takes in UTF-8 (a broken one counts one).
size_t Utf8Length(unsigned char c) { return c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1; }

// Converts what it can; a character the target lacks, or a byte sequence the source does not
// have, becomes one '?'.
std::string Convert(const char* to, const char* from, const std::string& text) {
  const bool fromUtf8 = std::string(from) == "UTF-8";
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
  std::string out;
  char buffer[256];
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, outPtr);
    if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
      // EILSEQ or EINVAL (cut off at the end).
      out += '?';
      const size_t skip = std::min(inLeft, fromUtf8 ? Utf8Length(static_cast<unsigned char>(*in)) : size_t{1});
      in += skip;
      inLeft -= skip;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string Cp936CodePage::ToUtf8(const std::string& text) const { return Convert("UTF-8", "CP936", text); }

std::string Cp936CodePage::FromUtf8(const std::string& utf8) const { return Convert("CP936", "UTF-8", utf8); }
