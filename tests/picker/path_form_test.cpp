// The form of a typed folder path: drive, backslashes and acceptable folder names.
#include <gtest/gtest.h>

#include <string>

#include "picker/folder_validation.h"
#include "platform/cp936_code_page.h"
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

// 0: the form of a folder path; 1: invalid. The check is byte-wise: the trail byte 0x5C of "淺"
// ends a folder name like a backslash, so a name ending in it reads as a trailing backslash.
TEST_F(PathForm, JudgesTheDriveTheSeparatorsAndEveryName) {
  ASSERT_EQ(std::string("\x9C\x5C"), kTrailBackslashChar);
  const std::string t = kTrailBackslashChar;
  const struct {
    std::string path;
    int result;
  } cases[] = {
      // Drive roots have the form whether or not the drive exists.
      {"C:\\", 0}, {"Q:\\", 0}, {"z:\\", 0}, {"d:\\x", 0}, {"C:\\Quilox", 0},
      // Shorter than a root.
      {"", 1}, {"C", 1}, {"C:", 1},
      // Only a letter, a colon and a backslash start a folder path.
      {"C:abc", 1}, {"C:/abc", 1}, {"1:\\abc", 1}, {"@:\\abc", 1}, {"[:\\abc", 1}, {"`:\\abc", 1},
      {"{:\\abc", 1}, {"\xC4:\\abc", 1}, {"\\\\server\\share\\x", 1}, {"abc\\def", 1}, {"\\abc", 1},
      {" C:\\abc", 1}, {"CD:\\abc", 1},
      // Backslashes separate names that are not empty.
      {"C:\\abc\\", 1}, {"C:\\a\\\\b", 1}, {"C:\\\\", 1}, {"C:\\\\abc", 1}, {"C:\\a\\b\\c\\", 1},
      {"C:\\a\\b\\c", 0},
      // Every name on the path is judged.
      {"C:\\ abc", 1}, {"C:\\abc.", 1}, {"C:\\.x", 1}, {"C:\\a\\..\\b", 1}, {"C:\\ok\\deep\\bad.\\ok", 1},
      {"C:\\a?b", 1}, {"C:\\ok\\a|b", 1}, {"C:\\a b.c", 0}, {"C:\\a!#$%&'()+,=@[]^_`{}~b", 0},
      {"D:\\安装\\Quilox扩展绘图库", 0},
      // A trail byte 0x5C: a trailing backslash, two in a row, or a separator inside.
      {"C:\\" + t, 1}, {"C:\\a" + t + "\\b", 1}, {"C:\\a" + t + "b", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(c.result, Check(c.path)) << c.path;
  EXPECT_EQ(1, Check(nullptr));
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

TEST(PathComponent, EachOfTheTenForbiddenBytesIsInvalidWherever) {
  const std::string forbidden = "\"*/:;<>?\\|";
  ASSERT_EQ(10u, forbidden.size());
  for (char c : forbidden) {
    SCOPED_TRACE(std::string(1, c));
    const std::string alone(1, c);
    EXPECT_FALSE(IsValidPathComponent(alone.c_str()));
    EXPECT_FALSE(IsValidPathComponent(("a" + alone).c_str()));
    EXPECT_FALSE(IsValidPathComponent((alone + "a").c_str()));
    EXPECT_FALSE(IsValidPathComponent(("a" + alone + "b").c_str()));
  }
}

// A path typed into the dialog's box: on a drive, and no character a name may not hold, nor ';'.
// Read by characters: "亅" is 81 7C and "倈" is 82 7C, trail bytes '|'; "淺" ends in 0x5C.
TEST(TypedInstallPath, IsAbsoluteOnADriveAndHoldsNoForbiddenCharacter) {
  ASSERT_EQ(std::string("\x81\x7C"), "亅");
  const struct {
    std::string path;
    bool usable;
  } cases[] = {
      {"C:\\", true}, {"d:\\Quilox", true}, {"C:\\T\\Tools\\", true}, {"C:\\Tools\\\\", true},
      {"C:\\a b.c\\x!#$%&'()+,=@[]^_`{}~", true}, {"C:\\工具\\亅倈", true}, {"C:\\淺", true},
      {"", false}, {"C:", false}, {"C:abc", false}, {"abc", false}, {"\\", false}, {"\\Quilox", false},
      {"\\\\server\\share", false}, {"1:\\a", false}, {"C:/a", false}, {" C:\\a", false},
      {"C:\\a;D:\\b", false}, {"C:\\a|b", false}, {"C:\\a<b", false}, {"C:\\a>b", false},
      {"C:\\a\"b", false}, {"C:\\a/b", false}, {"C:\\a?b", false}, {"C:\\a*b", false},
      {"C:\\a:b", false}, {"C:\\a\tb", false}, {"C:\\a\x1F" "b", false}, {"C:\\a\x01", false},
      {"C:\\工具\\|", false}, {"C:\\a\x81", false},  // a lead byte whose character never ends
  };
  Cp936CodePage cp;
  for (const auto& c : cases) EXPECT_EQ(c.usable, IsTypedInstallPath(cp, c.path)) << c.path;
}

}  // namespace
