// What Windows says of the machine and the account, in the shapes the record and the uninstall
// rely on.
#include <gtest/gtest.h>
#include <windows.h>

#include <regex>
#include <string>

#include "platform/win32/win32_environment.h"

namespace {

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(Win32Environment, FoldersAccountAndTime) {
  Win32Environment env;
  for (const std::string& folder : {env.ProgramFilesFolder(), env.TempFolder(), env.WindowsFolder()}) {
    SCOPED_TRACE(folder);
    EXPECT_TRUE(IsFolder(folder));
    ASSERT_FALSE(folder.empty());
    EXPECT_NE('\\', folder.back());
  }
  EXPECT_TRUE(std::regex_match(env.UserSid(), std::regex("S-1-5-[0-9]+(-[0-9]+)*"))) << env.UserSid();
  EXPECT_TRUE(std::regex_match(env.UserName(), std::regex("[^\\\\]+\\\\[^\\\\]+"))) << env.UserName();
  EXPECT_TRUE(std::regex_match(env.LocalTime(), std::regex("20[0-9]{2}-[01][0-9]-[0-3][0-9] [0-2][0-9](:[0-5][0-9]){2}")))
      << env.LocalTime();
  // The tests run in the Chinese locale, on a desktop (Xvfb) that the window station shows.
  EXPECT_EQ(936u, env.AnsiCodePage());
  EXPECT_TRUE(env.DesktopVisible());
}

}  // namespace
