// Text read from the browse window's edit box into its 260-byte buffer: a double-byte character
// that the buffer's end cut in two must not reach validation as a lone lead byte.
#include <gtest/gtest.h>

#include <string>

#include "picker/path_text.h"
#include "platform/cp936_code_page.h"

namespace {

size_t Whole(const std::string& text) {
  static const Cp936CodePage cp;
  return WholeCharactersLength(cp, text.c_str());
}

TEST(WholeCharacters, CompleteTextKeepsEveryByte) {
  EXPECT_EQ(0u, Whole(""));
  EXPECT_EQ(10u, Whole("C:\\Quilox\\"));
  EXPECT_EQ(11u, Whole("C:\\安装目录"));  // B0 B2 D7 B0 C4 BF C2 BC
  // "淺" is 9C 5C: its trail byte is the backslash byte and belongs to the character.
  EXPECT_EQ(5u, Whole("C:\\淺"));
  EXPECT_EQ(6u, Whole("C:\\淺a"));
}

TEST(WholeCharacters, ALeadByteWithoutItsTrailIsLeftOut) {
  const std::string cut = std::string("C:\\a安") + "\xD7";  // 安 whole, then the first half of 装
  EXPECT_EQ(6u, Whole(cut));
  EXPECT_EQ(0u, Whole("\xB0"));
  // Pairs are counted from the start: the byte after a lead byte is its trail, whatever its value.
  EXPECT_EQ(6u, Whole(std::string("\xB0\xB0\xB0\xB0\xB0\xB0\xB0")));
}

TEST(WholeCharacters, AFullBufferCutInsideACharacterLosesOnlyThatCharacter) {
  // 259 bytes as GetWindowTextA leaves them: "C:\a" and 127.5 characters.
  std::string text = "C:\\a";
  for (int i = 0; i < 128; ++i) text += "中";
  text.resize(259);
  EXPECT_EQ(258u, Whole(text));

  std::string even = "C:\\";
  for (int i = 0; i < 128; ++i) even += "中";
  ASSERT_EQ(259u, even.size());
  EXPECT_EQ(259u, Whole(even));
}

}  // namespace
