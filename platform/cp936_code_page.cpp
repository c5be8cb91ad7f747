#include "platform/cp936_code_page.h"

namespace {

// The double-byte characters of code page 936 that have a case partner there: each row maps
// the lower-case trail bytes first..last of one lead byte to the upper-case ones at +offset.
struct CaseRange {
  unsigned char lead;
  unsigned char first;
  unsigned char last;
  int offset;  // upper trail = lower trail + offset
};

constexpr CaseRange kCaseRanges[] = {
    {0xA2, 0xA1, 0xAA, +0x50},  // small Roman numerals i..x
    {0xA3, 0xE1, 0xFA, -0x20},  // fullwidth a..z
    {0xA6, 0xC1, 0xD8, -0x20},  // Greek
    {0xA7, 0xD1, 0xF1, -0x30},  // Cyrillic
};

enum class Direction { ToUpper, ToLower };

void MapDoubleByte(unsigned char lead, unsigned char& trail, Direction dir) {
  for (const CaseRange& r : kCaseRanges) {
    if (r.lead != lead) continue;
    if (dir == Direction::ToUpper && trail >= r.first && trail <= r.last) {
      trail = static_cast<unsigned char>(trail + r.offset);
      return;
    }
    if (dir == Direction::ToLower && trail >= r.first + r.offset && trail <= r.last + r.offset) {
      trail = static_cast<unsigned char>(trail - r.offset);
      return;
    }
  }
}

std::string Map(const Cp936CodePage& cp, const std::string& text, Direction dir) {
  std::string out = text;
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (cp.IsLeadByte(c) && i + 1 < out.size()) {
      unsigned char trail = static_cast<unsigned char>(out[i + 1]);
      MapDoubleByte(c, trail, dir);
      out[i + 1] = static_cast<char>(trail);
      ++i;
    } else if (dir == Direction::ToUpper && c >= 'a' && c <= 'z') {
      out[i] = static_cast<char>(c - 'a' + 'A');
    } else if (dir == Direction::ToLower && c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c - 'A' + 'a');
    }
  }
  return out;
}

}  // namespace

bool Cp936CodePage::IsLeadByte(unsigned char byte) const { return byte >= 0x81 && byte <= 0xFE; }

std::string Cp936CodePage::Upper(const std::string& text) const { return Map(*this, text, Direction::ToUpper); }

std::string Cp936CodePage::Lower(const std::string& text) const { return Map(*this, text, Direction::ToLower); }
