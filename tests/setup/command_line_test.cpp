// The switches of SetUp.exe as a deployment tool passes them.
#include "setup/command_line.h"

#include <gtest/gtest.h>

#include "platform/cp936_code_page.h"
#include "tests/memory/scripted_message_boxes.h"

namespace {

TEST(CommandLine, ReadsTheSwitches) {
  struct Case {
    const char* line;
    bool silent;
    const char* installPath;  // null: no /D
    std::vector<int> releases;
    const char* logPath;
    bool allUsers = false;
    bool uninstall = false;
    bool temporaryCopy = false;
    bool allowDowngrade = false;
  } cases[] = {
      {"", false, nullptr, {}, ""},
      {"  /S ", true, nullptr, {}, ""},
      {"/s /releases=2010,2021 /Log=C:\\T\\x.log /d=C:\\T\\X", true, "C:\\T\\X", {2010, 2021}, "C:\\T\\x.log"},
      // /D takes the rest of the line, spaces included; quotes and trailing blanks go.
      {"/S /D=C:\\Program Files\\Q R  ", true, "C:\\Program Files\\Q R", {}, ""},
      {"/S /D=\"C:\\a b\\\" ", true, "C:\\a b\\", {}, ""},
      {"/S \"/LOG=C:\\my logs\\x.log\"", true, nullptr, {}, "C:\\my logs\\x.log"},
      // Chinese folder names whose trail bytes are 0x7C ('|') and 0x5C ('\').
      {"/S /D=C:\\\xB1\x7C\\\xD5\x5C", true, "C:\\\xB1\x7C\\\xD5\x5C", {}, ""},
      // Without /S the path box is preset.
      {"/D=D:\\Q", false, "D:\\Q", {}, ""},
      // For every user, silent or through the dialog.
      {"/S /AllUsers", true, nullptr, {}, "", true},
      {"/ALLUSERS /D=D:\\Q", false, "D:\\Q", {}, "", true},
      {"/UnInstall", false, nullptr, {}, "", false, true},
      {"/uninstall /S /LOG=C:\\T\\u.log", true, nullptr, {}, "C:\\T\\u.log", false, true},
      {"/TEMPCOPY /UNINSTALL", false, nullptr, {}, "", false, true, true},
      // What administrators type for other installers: /NORESTART means nothing here.
      {"/VERYSILENT /NORESTART", true, nullptr, {}, ""},
      {"/qn /releases=2021", true, nullptr, {2021}, ""},
      {"/norestart", false, nullptr, {}, ""},
      {"/S /AllowDowngrade", true, nullptr, {}, "", false, false, false, true},
  };
  const Cp936CodePage codePage;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    SetupOptions options;
    ASSERT_TRUE(ParseCommandLine(codePage, c.line, &options));
    EXPECT_EQ(c.silent, options.silent);
    EXPECT_EQ(c.installPath != nullptr, options.hasInstallPath);
    if (c.installPath) {
      EXPECT_EQ(c.installPath, options.installPath);
    }
    EXPECT_EQ(c.releases, options.releases);
    EXPECT_EQ(c.logPath, options.logPath);
    EXPECT_EQ(c.allUsers, options.allUsers);
    EXPECT_EQ(c.uninstall, options.uninstall);
    EXPECT_EQ(c.temporaryCopy, options.temporaryCopy);
    EXPECT_EQ(c.allowDowngrade, options.allowDowngrade);
  }
}

TEST(CommandLine, RefusesUnknownSwitchesAndBadValuesNotingASilentRun) {
  struct Case {
    const char* line;
    bool silent;
  } cases[] = {
      // The release list and the log need /S.
      {"/RELEASES=2021", false},
      {"/LOG=C:\\x.log", false},
      {"/X", false},
      {"/S=1", false},
      {"/ALLUSERS=1", false},
      {"/ALLUSER", false},
      {"/S /silent", true},
      {"/S S", true},
      {"/S /D", true},
      {"/S /LOG=", true},
      {"/S /RELEASES=", true},
      {"/S /RELEASES=2006", true},
      {"/S /RELEASES=2028", true},
      {"/S /RELEASES=2010,,2021", true},
      {"/S /RELEASES=21", true},
      {"/S /RELEASES=2021a", true},
      {"/S /D=", true},
      {"/S /D=Quilox", true},
      // The path box's rule: on a drive, no share, no ';'.
      {"/S /D=\\\\server\\share\\cad", true},
      {"/S /D=C:\\Quilox;D:\\Lisp", true},
      // An uninstall takes neither a path nor releases; the copy's switch means nothing alone.
      {"/UNINSTALL /D=C:\\Quilox", false},
      {"/S /UNINSTALL /RELEASES=2021", true},
      {"/UNINSTALL=1", false},
      {"/S /TEMPCOPY", true},
      {"/VERYSILENT /NORESTART=1", true},
      {"/QN /Q", true},
      // The dialog installs what runs; an uninstall installs nothing.
      {"/ALLOWDOWNGRADE", false},
      {"/S /UNINSTALL /ALLOWDOWNGRADE", true},
  };
  const Cp936CodePage codePage;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    SetupOptions options;
    EXPECT_FALSE(ParseCommandLine(codePage, c.line, &options));
    EXPECT_EQ(c.silent, options.silent);
  }
}

// A refused command line waits for nobody: the usage box only where someone sees the desktop.
TEST(CommandLine, RefusalShowsTheUsageOnlyToSomeone) {
  struct Case {
    const char* line;
    bool desktopVisible;
    bool shown;
  } cases[] = {
      {"/X", true, true},
      {"/X", false, false},  // a service's window station
      {"/S /X", true, false},
      {"/VERYSILENT /X", true, false},
  };
  const Cp936CodePage codePage;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ScriptedMessageBoxes boxes;
    SetupOptions options;
    ASSERT_FALSE(ParseCommandLine(codePage, c.line, &options));
    EXPECT_EQ(87, RefuseCommandLine(boxes, options, c.desktopVisible));
    EXPECT_EQ(c.shown ? 1u : 0u, boxes.Shown().size());
  }
}

}  // namespace
