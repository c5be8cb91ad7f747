// The form of a typed folder path: drive, backslashes and acceptable folder names.
#include <gtest/gtest.h>

#include <string>

#include "picker/folder_validation.h"
#include "tests/memory/memory_file_system.h"

namespace {

// "淺" is 9C 5C in code page 936: its trail byte is a backslash byte.
const std::string kTrailBackslashChar = "淺";

class PathForm : public ::testing::Test {
 protected:
  int Check(const char* path) { return CheckOrCreatePath(files_, path, true); }
  int Check(const std::string& path) { return Check(path.c_str()); }
  MemoryFileSystem files_;
};

TEST_F(PathForm, DriveRootsHaveTheFormWhetherOrNotTheDriveExists) {
  EXPECT_EQ(0, Check("C:\\"));
  EXPECT_EQ(0, Check("Q:\\"));
  EXPECT_EQ(0, Check("z:\\"));
  EXPECT_EQ(0, Check("d:\\x"));
  EXPECT_EQ(0, Check("C:\\Quilox"));
}

TEST_F(PathForm, TextsShorterThanARootAreInvalid) {
  EXPECT_EQ(1, Check(""));
  EXPECT_EQ(1, Check("C"));
  EXPECT_EQ(1, Check("C:"));
  EXPECT_EQ(1, Check(nullptr));
}

TEST_F(PathForm, OnlyALetterColonBackslashStartNamesAFolder) {
  EXPECT_EQ(1, Check("C:abc"));           // no backslash after the colon
  EXPECT_EQ(1, Check("C:/abc"));
  EXPECT_EQ(1, Check("1:\\abc"));         // a digit is no drive
  EXPECT_EQ(1, Check("@:\\abc"));         // the bytes around the letters
  EXPECT_EQ(1, Check("[:\\abc"));
  EXPECT_EQ(1, Check("`:\\abc"));
  EXPECT_EQ(1, Check("{:\\abc"));
  EXPECT_EQ(1, Check("\xC4:\\abc"));      // a letter in a Western code page is still no drive
  EXPECT_EQ(1, Check("\\\\server\\share\\x"));
  EXPECT_EQ(1, Check("abc\\def"));
  EXPECT_EQ(1, Check("\\abc"));
  EXPECT_EQ(1, Check(" C:\\abc"));
  EXPECT_EQ(1, Check("CD:\\abc"));
}

TEST_F(PathForm, BackslashesMustSeparateNonEmptyNames) {
  EXPECT_EQ(1, Check("C:\\abc\\"));       // trailing backslash
  EXPECT_EQ(0, Check("C:\\abc"));
  EXPECT_EQ(1, Check("C:\\a\\\\b"));      // two in a row
  EXPECT_EQ(1, Check("C:\\\\"));
  EXPECT_EQ(1, Check("C:\\\\abc"));
  EXPECT_EQ(1, Check("C:\\a\\b\\c\\"));
  EXPECT_EQ(0, Check("C:\\a\\b\\c"));
}

TEST_F(PathForm, EveryNameOnThePathIsJudged) {
  EXPECT_EQ(1, Check("C:\\ abc"));
  EXPECT_EQ(1, Check("C:\\abc."));
  EXPECT_EQ(1, Check("C:\\.x"));
  EXPECT_EQ(1, Check("C:\\a\\..\\b"));
  EXPECT_EQ(1, Check("C:\\ok\\deep\\bad.\\ok"));
  EXPECT_EQ(1, Check("C:\\a?b"));
  EXPECT_EQ(1, Check("C:\\ok\\a|b"));
  EXPECT_EQ(0, Check("C:\\a b.c"));
  EXPECT_EQ(0, Check("C:\\a!#$%&'()+,;=@[]^_`{}~b"));
  EXPECT_EQ(0, Check("D:\\安装\\Quilox扩展绘图库"));
}

// The form check is byte-wise: the trail byte 0x5C of "淺" ends a folder name like a backslash.
// For the user this means a folder name ending in such a character is refused as invalid, and one
// with it inside is walked (and created) as two levels, the first ending in a lone lead byte.
TEST_F(PathForm, ATrailByteBackslashCountsAsABackslash) {
  ASSERT_EQ(std::string("\x9C\x5C"), kTrailBackslashChar);
  EXPECT_EQ(1, Check("C:\\" + kTrailBackslashChar));          // reads as a trailing backslash
  EXPECT_EQ(1, Check("C:\\a" + kTrailBackslashChar + "\\b"));   // reads as two in a row
  EXPECT_EQ(0, Check("C:\\a" + kTrailBackslashChar + "b"));
}

TEST_F(PathForm, CheckingAloneNeverTouchesTheFileSystem) {
  Check("C:\\new1\\new2\\new3");
  Check("Q:\\");
  Check("C:\\a?b");
  EXPECT_EQ(0u, files_.Calls());
}

TEST_F(PathForm, LongTextsAreCheckedToTheirLastByte) {
  std::string path = "C:\\" + std::string(300, 'a');
  EXPECT_EQ(0, Check(path));
  path[280] = '?';
  EXPECT_EQ(1, Check(path));  // past the 259 bytes a path may have: still looked at

  std::string deep = "C:";
  while (deep.size() < 10000) deep += "\\abc";
  EXPECT_EQ(0, Check(deep));
  EXPECT_EQ(1, Check(deep + "\\"));
}

TEST(PathComponent, EmptyAndNullNamesAreInvalid) {
  EXPECT_FALSE(IsValidPathComponent(nullptr));
  EXPECT_FALSE(IsValidPathComponent(""));
}

TEST(PathComponent, TabSpaceOrPeriodAtEitherEndIsInvalid) {
  for (const char* name : {" a", "a ", "\ta", "a\t", ".a", "a.", ".", "..", " ", "\t", "...", "a b ."}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(IsValidPathComponent(name));
  }
}

TEST(PathComponent, InnerBlanksControlBytesAndHighBytesAreValid) {
  for (const char* name : {"a", "a b", "a.b", "a\tb", "a..b", "a\x01" "b", "\x1F", "\x7F", "\x80", "\xFF",
                           "1", "-", "安装", "扩展绘图库", "a\xA1"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(IsValidPathComponent(name));
  }
}

TEST(PathComponent, EachOfTheNineForbiddenBytesIsInvalidWherever) {
  const std::string forbidden = "\"*/:<>?\\|";
  ASSERT_EQ(9u, forbidden.size());
  for (char c : forbidden) {
    SCOPED_TRACE(std::string(1, c));
    const std::string alone(1, c);
    EXPECT_FALSE(IsValidPathComponent(alone.c_str()));
    EXPECT_FALSE(IsValidPathComponent(("a" + alone).c_str()));
    EXPECT_FALSE(IsValidPathComponent((alone + "a").c_str()));
    EXPECT_FALSE(IsValidPathComponent(("a" + alone + "b").c_str()));
  }
  // The byte-wise rule: a double-byte character whose trail byte is 0x5C is refused.
  EXPECT_FALSE(IsValidPathComponent(("a" + kTrailBackslashChar + "b").c_str()));
}

}  // namespace
