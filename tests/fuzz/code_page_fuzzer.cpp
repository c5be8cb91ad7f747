// The code page 936 helpers over arbitrary bytes: case mapping keeps every character where it
// stands, and the multibyte-aware searches never take a trail byte for a character.
//
// Input: two texts separated by the first NUL byte (the second may be empty); each helper gets
// the first text, the pair helpers get both.
#include <cstdint>
#include <string>
#include <vector>

#include "picker/path_text.h"
#include "platform/cp936_code_page.h"
#include "platform/mb_string.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

const Cp936CodePage kCodePage;

// Where the characters of text begin, found the plain way: a lead byte takes the next byte along.
std::vector<bool> CharacterStarts(const std::string& text) {
  std::vector<bool> starts(text.size(), false);
  for (size_t i = 0; i < text.size(); ++i) {
    starts[i] = true;
    if (static_cast<unsigned char>(text[i]) >= 0x81 && static_cast<unsigned char>(text[i]) <= 0xFE) ++i;
  }
  return starts;
}

bool IsSeparatorAt(const std::string& text, const std::vector<bool>& starts, size_t i) {
  return starts[i] && text[i] == '\\';
}

void CheckCaseMapping(const std::string& text) {
  const CodePage& cp = kCodePage;
  std::string upper = cp.Upper(text);
  std::string lower = cp.Lower(text);
  Require(upper.size() == text.size() && lower.size() == text.size(), "case mapping keeps the length");
  Require(cp.Upper(upper) == upper && cp.Lower(lower) == lower, "case mapping is idempotent");
  Require(cp.Upper(lower) == upper && cp.Lower(upper) == lower, "upper and lower case map into each other");
  std::vector<bool> starts = CharacterStarts(text);
  for (size_t i = 0; i < text.size(); ++i) {
    bool changed = upper[i] != text[i] || lower[i] != text[i];
    if (starts[i]) {
      bool lead = kCodePage.IsLeadByte(static_cast<unsigned char>(text[i]));
      Require(!changed || (!lead && ((text[i] >= 'a' && text[i] <= 'z') || (text[i] >= 'A' && text[i] <= 'Z'))),
              "a lead byte is never changed; of the single bytes only letters are");
    }
  }
  Require(CharacterStarts(upper) == starts && CharacterStarts(lower) == starts,
          "case mapping never moves a character boundary");
  Require(FindLastBackslash(cp, upper) == FindLastBackslash(cp, text), "case mapping leaves separators alone");
}

void CheckSeparators(const std::string& text) {
  const CodePage& cp = kCodePage;
  std::vector<bool> starts = CharacterStarts(text);
  size_t last = FindLastBackslash(cp, text);
  if (last == std::string::npos) {
    for (size_t i = 0; i < text.size(); ++i) Require(!IsSeparatorAt(text, starts, i), "no separator is missed");
  } else {
    Require(last < text.size() && IsSeparatorAt(text, starts, last), "the last separator is a backslash character");
    for (size_t i = last + 1; i < text.size(); ++i) {
      Require(!IsSeparatorAt(text, starts, i), "no separator stands after the last one");
    }
  }

  std::string trimmed = text;
  bool removed = RemoveTrailingBackslash(cp, trimmed, LoneBackslash::Keep);
  bool trailing = text.size() > 1 && IsSeparatorAt(text, starts, text.size() - 1);
  Require(removed == trailing, "exactly a trailing backslash character, not the first, is removed");
  Require(trimmed == (removed ? text.substr(0, text.size() - 1) : text), "only that one byte is removed");

  std::string base = BaseNameWithoutExtension(cp, text);
  Require(base.size() <= text.size() && text.find(base) != std::string::npos, "the base name is part of the path");
  Require(FindLastBackslash(cp, base) == std::string::npos, "the base name holds no separator");
}

void CheckPair(const std::string& a, const std::string& b) {
  const CodePage& cp = kCodePage;
  size_t found = FindAtCharStart(cp, a, b);
  std::vector<bool> starts = CharacterStarts(a);
  size_t first = std::string::npos;
  if (b.empty()) {
    first = 0;
  } else {
    for (size_t i = 0; i + b.size() <= a.size(); ++i) {
      if (starts[i] && a.compare(i, b.size(), b) == 0) {
        first = i;
        break;
      }
    }
  }
  Require(found == first, "the first occurrence at a character start is found, and no other");

  bool same = SameFileName(cp, a, b);
  Require(same == SameFileName(cp, b, a), "file names compare symmetrically");
  Require(!same || a.size() == b.size(), "equal file names have equal lengths");
  Require(same == (cp.Upper(a) == cp.Upper(b)), "file names compare without regard to case");
  Require(SameFileName(cp, a, cp.Upper(a)) && SameFileName(cp, a, cp.Lower(a)), "a name equals its case variants");
}

void CheckWholeCharacters(const std::string& text) {
  // As a window hands its text back: a C string.
  const std::string cText = text.c_str();
  size_t whole = WholeCharactersLength(kCodePage, cText.c_str());
  std::vector<bool> starts = CharacterStarts(cText);
  if (whole == cText.size()) {
    bool loneLead = !cText.empty() && starts.back() && kCodePage.IsLeadByte(static_cast<unsigned char>(cText.back()));
    Require(!loneLead, "no half character is kept");
  } else {
    Require(whole + 1 == cText.size() && starts[whole] &&
                kCodePage.IsLeadByte(static_cast<unsigned char>(cText[whole])),
            "only a lead byte cut off at the very end is dropped");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t nul = input.find('\0');
  std::string a = input.substr(0, nul);
  std::string b = nul == std::string::npos ? std::string() : input.substr(nul + 1);

  for (int c = 0; c < 256; ++c) {
    Require(kCodePage.IsLeadByte(static_cast<unsigned char>(c)) == (c >= 0x81 && c <= 0xFE),
            "lead bytes are 0x81 to 0xFE");
  }
  CheckCaseMapping(a);
  CheckCaseMapping(b);
  CheckSeparators(a);
  CheckSeparators(b);
  CheckPair(a, b);
  CheckPair(b, a);
  CheckWholeCharacters(a);
  return 0;
}
