// The portable code page 936 against the system's own, on every single- and double-byte code:
// the logic is tested natively with Cp936CodePage, so it must agree with what Windows does.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/cp936_code_page.h"
#include "platform/mb_string.h"
#include "platform/win32/win32_code_page.h"

namespace {

std::string Hex(const std::string& bytes) {
  std::string out;
  char buf[4];
  for (unsigned char c : bytes) {
    std::snprintf(buf, sizeof buf, "%02X", c);
    out += buf;
  }
  return out;
}

// Collects disagreements and reports a few of them, instead of one failure per code.
class Differences {
 public:
  void Add(const std::string& what) {
    if (list_.size() < 30) list_.push_back(what);
    ++count_;
  }
  size_t count() const { return count_; }
  std::string Text() const {
    std::string out;
    for (const std::string& s : list_) out += "  " + s + "\n";
    return out;
  }

 private:
  std::vector<std::string> list_;
  size_t count_ = 0;
};

class CodePageContract : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(936u, GetACP()) << "the ANSI code page is not 936: run the test under Wine with "
                                 "LANG=zh_CN.UTF-8 (and the zh_CN.UTF-8 locale generated)";
  }

  void Compare(const std::string& text, Differences* diffs) {
    if (portable.Upper(text) != system.Upper(text)) {
      diffs->Add("Upper(" + Hex(text) + "): portable " + Hex(portable.Upper(text)) + ", system " +
                 Hex(system.Upper(text)));
    }
    if (portable.Lower(text) != system.Lower(text)) {
      diffs->Add("Lower(" + Hex(text) + "): portable " + Hex(portable.Lower(text)) + ", system " +
                 Hex(system.Lower(text)));
    }
    if (portable.ToUtf8(text) != system.ToUtf8(text)) {
      diffs->Add("ToUtf8(" + Hex(text) + "): portable " + Hex(portable.ToUtf8(text)) + ", system " +
                 Hex(system.ToUtf8(text)));
    }
  }

  Cp936CodePage portable;
  Win32CodePage system;
};

TEST_F(CodePageContract, EverySingleByteAgrees) {
  Differences diffs;
  for (int b = 0; b < 256; ++b) {
    unsigned char byte = static_cast<unsigned char>(b);
    if (portable.IsLeadByte(byte) != system.IsLeadByte(byte)) diffs.Add("IsLeadByte(" + Hex(std::string(1, b)) + ")");
    // Alone, a lead byte is a lone lead byte at the end: both must leave it alone.
    Compare(std::string(1, static_cast<char>(b)), &diffs);
  }
  EXPECT_EQ(0u, diffs.count()) << diffs.Text();
}

TEST_F(CodePageContract, EveryDoubleByteCodeAgrees) {
  Differences diffs;
  size_t changed = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      std::string ch = {static_cast<char>(lead), static_cast<char>(trail)};
      Compare(ch, &diffs);
      if (system.Upper(ch) != ch) ++changed;
    }
  }
  EXPECT_EQ(0u, diffs.count()) << diffs.Text();
  // Fullwidth, Greek, Cyrillic and Roman numerals: if none changed, the comparison proved nothing.
  EXPECT_EQ(93u, changed);
}

TEST_F(CodePageContract, SystemCaseMappingKeepsEveryByte) {
  // The ANSI case functions would turn these into '?': the lone lead byte at the end, the
  // pinyin letter whose capital code page 936 lacks, and an invalid pair.
  for (const std::string& text : {std::string("12\x81"), std::string("ā"), std::string("\x81\x7F"),
                                  std::string("\xFF"), std::string("\x80")}) {
    EXPECT_EQ(Hex(text), Hex(system.Upper(text)));
    EXPECT_EQ(Hex(text), Hex(system.Lower(text)));
  }
  EXPECT_EQ("ＡB運\x81", system.Upper("ａb運\x81"));
  EXPECT_EQ("ａb運\x81", system.Lower("ＡB運\x81"));
}

TEST_F(CodePageContract, PathFunctionsAgreeOnTrickyText) {
  const std::vector<std::string> texts = {
      "",          "\\",          "C:\\",          "C:\\Quilox\\",       "C:\\運",          "C:\\運\\誠.shx",
      "運\\",      "a\\\x81",     "\x81\\",        "ab\x81",             "D:\\安装\\運",    "C:\\dir\\運.txt",
      "ＡＢＣ.exe", "ΑΒΓ",          "Файл",          "\x81\x61\\x",        "C:\\Quilox扩展绘图库\\", "ⅰⅱ\\ā"};
  const std::vector<std::string> needles = {"\\", "運", "Quilox", "\xB2\xD7", "a", ""};
  for (const std::string& t : texts) {
    SCOPED_TRACE("text " + Hex(t));
    EXPECT_EQ(FindLastBackslash(portable, t), FindLastBackslash(system, t));
    std::string a = t, b = t;
    EXPECT_EQ(RemoveTrailingBackslash(portable, a, LoneBackslash::Keep),
              RemoveTrailingBackslash(system, b, LoneBackslash::Keep));
    EXPECT_EQ(a, b);
    EXPECT_EQ(BaseNameWithoutExtension(portable, t), BaseNameWithoutExtension(system, t));
    for (const std::string& n : needles) EXPECT_EQ(FindAtCharStart(portable, t, n), FindAtCharStart(system, t, n));
    for (const std::string& other : texts) {
      EXPECT_EQ(SameFileName(portable, t, other), SameFileName(system, t, other)) << "other " << Hex(other);
      EXPECT_EQ(SameFileName(portable, t, portable.Upper(t)), SameFileName(system, t, system.Upper(t)));
    }
  }
}

}  // namespace
