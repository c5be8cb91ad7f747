// Multibyte-aware path text on code page 936. Characters whose trail byte is 0x5C ("運" DF 5C,
// "誠" D5 5C, "乗" 81 5C) are the classic trap: a byte-wise search takes them for backslashes.

#include <gtest/gtest.h>

#include <string>

#include "platform/cp936_code_page.h"
#include "platform/mb_string.h"

namespace {

const Cp936CodePage cp;
constexpr size_t npos = std::string::npos;

TEST(Cp936Characters, TheTrapCharactersReallyEndInABackslashByte) {
  // Guards the literals below against a source or compiler charset change.
  EXPECT_EQ(std::string("\xDF\x5C"), std::string("運"));
  EXPECT_EQ(std::string("\xD5\x5C"), std::string("誠"));
  EXPECT_EQ(std::string("\xB0\xB2\xD7\xB0"), std::string("安装"));
}

TEST(Cp936Characters, LeadBytesAreTheUpperHalfExceptTheEnds) {
  EXPECT_FALSE(cp.IsLeadByte(0x00));
  EXPECT_FALSE(cp.IsLeadByte('\\'));
  EXPECT_FALSE(cp.IsLeadByte(0x7F));
  EXPECT_FALSE(cp.IsLeadByte(0x80));  // the euro sign, one byte
  EXPECT_TRUE(cp.IsLeadByte(0x81));
  EXPECT_TRUE(cp.IsLeadByte(0xDF));
  EXPECT_TRUE(cp.IsLeadByte(0xFE));
  EXPECT_FALSE(cp.IsLeadByte(0xFF));
}

TEST(Cp936Characters, CaseMapsWholeCharactersOnly) {
  EXPECT_EQ("ABC.TXT", cp.Upper("abc.txt"));
  EXPECT_EQ("abc.txt", cp.Lower("ABC.TXT"));
  EXPECT_EQ("ＱＵＩＬＯＸ", cp.Upper("ｑｕｉｌｏｘ"));  // fullwidth
  EXPECT_EQ("ｑｕｉｌｏｘ", cp.Lower("ＱＵＩＬＯＸ"));
  EXPECT_EQ("ΑΒΓΩ", cp.Upper("αβγω"));
  EXPECT_EQ("αβγω", cp.Lower("ΑΒΓΩ"));
  EXPECT_EQ("АБЁЯ", cp.Upper("абёя"));
  EXPECT_EQ("абёя", cp.Lower("АБЁЯ"));
  EXPECT_EQ("ⅠⅩ", cp.Upper("ⅰⅹ"));
  EXPECT_EQ("ⅰⅹ", cp.Lower("ⅠⅩ"));
  // Characters without a partner in the code page stay.
  EXPECT_EQ("āé安装運", cp.Upper("āé安装運"));
  // A trail byte that looks like a letter is not one: 0x81 0x61 must not become 0x81 0x41.
  EXPECT_EQ("\x81\x61Z", cp.Upper("\x81\x61z"));
  EXPECT_EQ("\x81\x41z", cp.Lower("\x81\x41Z"));
  // A lone lead byte at the end is kept, and the letter before it mapped.
  EXPECT_EQ("A\x81", cp.Upper("a\x81"));
  EXPECT_EQ(std::string("A\0B", 3), cp.Upper(std::string("a\0b", 3)));
}

TEST(Cp936Characters, ConvertToUtf8AndBack) {
  struct Case {
    const char* text;  // code page 936
    const char* utf8;
  } cases[] = {
      {"C:\\Quilox", "C:\\Quilox"},
      {"運\\誠", "\xE9\x81\x8B\\\xE8\xAA\xA0"},   // trail bytes 0x5C stay in their characters
      {"安装", "\xE5\xAE\x89\xE8\xA3\x85"},
      {"\x80", "\xE2\x82\xAC"},                  // the euro sign, one byte in code page 936
      {"ＡΩ", "\xEF\xBC\xA1\xCE\xA9"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(c.utf8, cp.ToUtf8(c.text));
    EXPECT_EQ(c.text, cp.FromUtf8(c.utf8));
  }
  // What code page 936 lacks comes out as '?', never as nothing.
  EXPECT_EQ("a?b", cp.FromUtf8("a\xE0\xB8\x81" "b"));  // Thai
}

TEST(MbFindLastBackslash, SkipsTrailBytes) {
  EXPECT_EQ(2u, FindLastBackslash(cp, "C:\\運"));
  EXPECT_EQ(npos, FindLastBackslash(cp, "運"));
  EXPECT_EQ(npos, FindLastBackslash(cp, "運誠乗"));
  EXPECT_EQ(2u, FindLastBackslash(cp, "運\\"));
  EXPECT_EQ(5u, FindLastBackslash(cp, "C:\\運\\誠"));
  EXPECT_EQ(3u, FindLastBackslash(cp, "a\\b\\c"));
  EXPECT_EQ(0u, FindLastBackslash(cp, "\\"));
  EXPECT_EQ(2u, FindLastBackslash(cp, "C:\\"));
  EXPECT_EQ(npos, FindLastBackslash(cp, ""));
  // A lone lead byte at the end has no trail; the backslash before it still counts.
  EXPECT_EQ(1u, FindLastBackslash(cp, "a\\\x81"));
  // A lead byte followed by 0x5C is one character.
  EXPECT_EQ(npos, FindLastBackslash(cp, "\x81\\"));
}

TEST(MbRemoveTrailingBackslash, RemovesOneRealSeparatorAndALoneOneOnlyWhenAsked) {
  struct Case {
    const char* before;
    const char* afterKeep;  // LoneBackslash::Keep
    const char* afterRemove;  // LoneBackslash::Remove
  } cases[] = {
      {"C:\\Quilox\\", "C:\\Quilox", "C:\\Quilox"},
      {"C:\\Quilox\\\\", "C:\\Quilox\\", "C:\\Quilox\\"},  // only one
      {"C:\\", "C:", "C:"},
      {"D:\\安装\\運", "D:\\安装\\運", "D:\\安装\\運"},  // ends in the trail byte 0x5C
      {"D:\\運\\", "D:\\運", "D:\\運"},
      {"\\", "\\", ""},
      {"", "", ""},
      {"C:\\Quilox", "C:\\Quilox", "C:\\Quilox"},
  };
  for (const Case& c : cases) {
    const std::string before = c.before;
    std::string kept = before;
    EXPECT_EQ(before != c.afterKeep, RemoveTrailingBackslash(cp, kept, LoneBackslash::Keep)) << before;
    EXPECT_EQ(c.afterKeep, kept);
    std::string removed = before;
    EXPECT_EQ(before != c.afterRemove, RemoveTrailingBackslash(cp, removed, LoneBackslash::Remove)) << before;
    EXPECT_EQ(c.afterRemove, removed);
  }
}

TEST(MbFindAtCharStart, MatchesOnlyAtCharacterStarts) {
  EXPECT_EQ(4u, FindAtCharStart(cp, "運行\\x", "\\"));  // not the trail byte at 1
  EXPECT_EQ(npos, FindAtCharStart(cp, "運誠", "\\"));
  EXPECT_EQ(npos, FindAtCharStart(cp, "安装", "\xB2\xD7"));  // straddles two characters
  EXPECT_EQ(2u, FindAtCharStart(cp, "安装", "装"));
  EXPECT_EQ(3u, FindAtCharStart(cp, "C:\\Quilox扩展绘图库", "Quilox"));
  EXPECT_EQ(9u, FindAtCharStart(cp, "C:\\Quilox扩展绘图库", "扩展"));
  EXPECT_EQ(0u, FindAtCharStart(cp, "abc", ""));
  EXPECT_EQ(npos, FindAtCharStart(cp, "ab", "abc"));
  EXPECT_EQ(npos, FindAtCharStart(cp, "", "a"));
  // The needle may itself start with a lone lead byte at the very end of the haystack.
  EXPECT_EQ(1u, FindAtCharStart(cp, "a\x81", "\x81"));
}

TEST(MbSameFileName, IgnoresCaseOfWholeCharacters) {
  EXPECT_TRUE(SameFileName(cp, "acad.exe", "ACAD.EXE"));
  EXPECT_TRUE(SameFileName(cp, "ＡＣＡＤ.exe", "ａｃａｄ.EXE"));
  EXPECT_TRUE(SameFileName(cp, "Ωmega", "ωMEGA"));
  EXPECT_TRUE(SameFileName(cp, "Файл", "фАЙЛ"));
  EXPECT_TRUE(SameFileName(cp, "運行.exe", "運行.EXE"));
  EXPECT_FALSE(SameFileName(cp, "運行.exe", "誠行.exe"));
  EXPECT_FALSE(SameFileName(cp, "acad.exe", "acad.ex"));
  EXPECT_FALSE(SameFileName(cp, "acad.exe", "acad.exf"));
  // Trail bytes 'a' and 'A' belong to different characters.
  EXPECT_FALSE(SameFileName(cp, "\x81\x61", "\x81\x41"));
  EXPECT_TRUE(SameFileName(cp, "ab\x81", "AB\x81"));
  EXPECT_FALSE(SameFileName(cp, "ab\x81", "ab\x82"));
  EXPECT_TRUE(SameFileName(cp, "", ""));
}

TEST(MbBaseNameWithoutExtension, TakesTheNameAfterTheLastRealSeparator) {
  EXPECT_EQ("Quilox2010", BaseNameWithoutExtension(cp, "C:\\Data\\Quilox2010.arx"));
  EXPECT_EQ("誠", BaseNameWithoutExtension(cp, "C:\\運\\誠.shx"));
  // A byte-wise search would cut after the 0x5C of "運" and leave ".txt".
  EXPECT_EQ("運", BaseNameWithoutExtension(cp, "C:\\dir\\運.txt"));
  EXPECT_EQ("運誠", BaseNameWithoutExtension(cp, "運誠"));
  EXPECT_EQ("SetUp", BaseNameWithoutExtension(cp, "SetUp.exe"));
  EXPECT_EQ("a.b", BaseNameWithoutExtension(cp, "a.b.c"));
  EXPECT_EQ(".hidden", BaseNameWithoutExtension(cp, "C:\\x\\.hidden"));
  EXPECT_EQ("file", BaseNameWithoutExtension(cp, "C:\\v1.2\\file"));
  EXPECT_EQ("", BaseNameWithoutExtension(cp, "C:\\"));
  EXPECT_EQ("", BaseNameWithoutExtension(cp, ""));
}

}  // namespace
