// TRUSTEDPATHS of every AutoCAD profile of the current user.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/acad/acad_registry_fixture.h"

namespace {

class TrustedPathsTest : public AcadRegistryTest {
 protected:
  std::string installFolder = "E:\\Addin";

  void AddTrustedPath() {
    AcadReleaseTable::AddTrustedPath(platform(), installFolder);
    EXPECT_EQ(registry.OpenHandles(), 0u) << "the update left a registry key open";
  }

  std::string Trusted(const std::string& variablesPath) {
    return registry.GetText(kHkeyCurrentUser, variablesPath, "TRUSTEDPATHS");
  }

  // The existing value after one update, for a single profile.
  std::string UpdatedFrom(uint32_t type, const std::string& bytes) {
    std::string path = AddProfile("R18.0", "ACAD-8001:804", "P", nullptr);
    registry.SetRaw(kHkeyCurrentUser, path, "TRUSTEDPATHS", type, bytes);
    AddTrustedPath();
    uint32_t storedType = 0;
    std::string stored;
    EXPECT_TRUE(registry.GetRaw(kHkeyCurrentUser, path, "TRUSTEDPATHS", &storedType, &stored));
    EXPECT_EQ(storedType, kRegSz);
    EXPECT_TRUE(!stored.empty() && stored.back() == '\0') << "stored with its terminator";
    return Trusted(path);
  }
};

TEST_F(TrustedPathsTest, SettingIsUpperCasedAndGetsTheFolderOnceUnlessTooShortToNameOne) {
  std::string longSetting;
  for (int i = 0; longSetting.size() < 20000; ++i) longSetting += "C:\\LIBRARY\\PATH" + std::to_string(10000 + i) + ";";
  longSetting += "Z:\\LAST";
  struct Case {
    uint32_t type;
    std::string bytes;
    std::string expected;
  } cases[] = {
      // One or two bytes are replaced by the folder in its own case.
      {kRegSz, std::string("x\0", 2), "E:\\Addin"},
      {kRegSz, std::string("c:\0", 3), "E:\\Addin"},
      {kRegSz, std::string("\0", 1), "E:\\Addin"},
      {kRegSz, std::string("c:\\\0", 4), "C:\\;E:\\ADDIN"},
      {kRegSz, std::string("c:\\tools;\0", 10), "C:\\TOOLS;;E:\\ADDIN"},  // one semicolon, whatever is there
      {kRegSz, std::string("c:\\x;e:\\addin\0", 14), "C:\\X;E:\\ADDIN"},  // already there in another case
      {kRegSz, std::string("E:\\ADDIN\\OLD;d:\\y\0", 18), "E:\\ADDIN\\OLD;D:\\Y"},  // a plain substring test
      // Read as text whatever the type and the terminator.
      {kRegExpandSz, std::string("c:\\tools\0", 9), "C:\\TOOLS;E:\\ADDIN"},
      {kRegSz, "c:\\tools", "C:\\TOOLS;E:\\ADDIN"},
      {kRegBinary, std::string("c:\\x\0y", 6), "C:\\X;E:\\ADDIN"},
      {kRegDword, std::string("\x07\0\0\0", 4), "E:\\Addin"},
      // Longer than the first read: read whole, nothing lost.
      {kRegSz, "C:\\" + std::string(9997, 'P'), "C:\\" + std::string(9997, 'P') + ";E:\\ADDIN"},
      {kRegSz, "C:\\" + std::string(9998, 'P'), "C:\\" + std::string(9998, 'P') + ";E:\\ADDIN"},
      {kRegSz, longSetting, longSetting + ";E:\\ADDIN"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 20));
    registry.RemoveTree(kHkeyCurrentUser, "SOFTWARE");
    EXPECT_EQ(UpdatedFrom(c.type, c.bytes), c.expected);
  }
}

TEST_F(TrustedPathsTest, RunningTwiceAddsTheFolderOnce) {
  std::string path = AddProfile("R18.0", "ACAD-8001:804", "P", "c:\\tools");
  AddTrustedPath();
  AddTrustedPath();
  EXPECT_EQ(Trusted(path), "C:\\TOOLS;E:\\ADDIN");
}

TEST_F(TrustedPathsTest, UpdatesEveryProfileOfEveryReleaseAndProduct) {
  std::vector<std::string> paths = {
      AddProfile("R17.0", "ACAD-5001:804", "<<Unnamed Profile>>", "c:\\a"),
      AddProfile("R18.0", "ACAD-8001:804", "<<未命名配置>>", nullptr),
      AddProfile("R18.0", "ACAD-8001:804", "Mine", "d:\\b"),
      AddProfile("R18.0", "ACAD-8002:804", "<<Unnamed Profile>>", nullptr),
      AddProfile("R24.3", "ACAD-7101:804", "Other", "e:\\addin"),
  };
  // A product without profiles, and a profile without its Variables key.
  registry.SetText(kHkeyCurrentUser, kUserRoot + "R19.0\\ACAD-9001:804", "Language", "chs");
  registry.AddKey(kHkeyCurrentUser, kUserRoot + "R20.0\\ACAD-E001:804\\Profiles\\Bare");
  AddTrustedPath();
  EXPECT_EQ(Trusted(paths[0]), "C:\\A;E:\\ADDIN");
  EXPECT_EQ(Trusted(paths[1]), "E:\\Addin");
  EXPECT_EQ(Trusted(paths[2]), "D:\\B;E:\\ADDIN");
  EXPECT_EQ(Trusted(paths[3]), "E:\\Addin");
  EXPECT_EQ(Trusted(paths[4]), "E:\\ADDIN");
  EXPECT_EQ(Trusted(kUserRoot + "R20.0\\ACAD-E001:804\\Profiles\\Bare\\Variables"), "E:\\Addin");
  EXPECT_FALSE(registry.HasKey(kHkeyCurrentUser, kUserRoot + "R19.0\\ACAD-9001:804\\Profiles"));
  EXPECT_EQ(registry.Dump(kHkeyLocalMachine), "") << "HKLM is not touched";
}

TEST_F(TrustedPathsTest, KeyNamesEndingInA5CTrailByteAreUpdated) {
  // 淺 is 9C 5C: a name ending in it does not end in a backslash.
  std::string path = AddProfile("R18.0淺", "ACAD-8001:淺", "淺", "c:\\a");
  AddTrustedPath();
  EXPECT_EQ(Trusted(path), "C:\\A;E:\\ADDIN");
}

TEST_F(TrustedPathsTest, NoAutoCadSettingsMeansNothingIsWritten) {
  AddTrustedPath();
  EXPECT_EQ(registry.Dump(kHkeyCurrentUser), "");
}

TEST_F(TrustedPathsTest, DoubleByteCharactersAreUpperCasedAsWholeCharacters) {
  const std::string trailA = "筧";  // GBK B9 61: its trail byte is a lower-case 'a'
  ASSERT_EQ(trailA, "\xB9\x61");
  installFolder = "E:\\" + trailA + "\\淺";
  EXPECT_EQ(UpdatedFrom(kRegSz, std::string("c:\\ａb") + '\0'),
            "C:\\Ａ"
            "B;E:\\" +
                trailA + "\\淺");
  registry.RemoveTree(kHkeyCurrentUser, "SOFTWARE");
  EXPECT_EQ(UpdatedFrom(kRegSz, "c:\\x;e:\\" + trailA + "\\淺" + '\0'), "C:\\X;E:\\" + trailA + "\\淺");
}

TEST_F(TrustedPathsTest, KeysThatCannotBeReadOrWrittenAreLeftAlone) {
  std::string good = AddProfile("R17.0", "ACAD-5001:804", "Good", "c:\\a");
  std::string hidden = AddProfile("R17.1", "ACAD-6001:804", "Hidden", "c:\\b");
  std::string locked = AddProfile("R17.2", "ACAD-7001:804", "Locked", "c:\\c");
  std::string unread = AddProfile("R18.0", "ACAD-8001:804", "Unread", "c:\\d");
  std::string skipped = AddProfile("R18.1", "ACAD-9001:804", "Skipped", "c:\\e");
  std::string noRoot = AddProfile("R19.0", "ACAD-A001:804", "NoRoot", "c:\\f");
  std::string unlisted = AddProfile("R19.1", "ACAD-B001:804", "Unlisted", "c:\\g");
  registry.DenyOpen(kHkeyCurrentUser, kUserRoot + "R17.1\\ACAD-6001:804\\Profiles\\Hidden");
  registry.DenyWrite(kHkeyCurrentUser, locked);
  // A setting that exists but cannot be read is kept, not replaced by the folder alone.
  registry.FailQuery(kHkeyCurrentUser, unread, "TRUSTEDPATHS");
  registry.FailEnum(kHkeyCurrentUser, "SOFTWARE\\Autodesk\\AutoCAD", 4);  // R18.1
  registry.DenyOpen(kHkeyCurrentUser, kUserRoot + "R19.0\\ACAD-A001:804\\Profiles");
  registry.FailEnum(kHkeyCurrentUser, kUserRoot + "R19.1\\ACAD-B001:804\\Profiles", 0);
  AddTrustedPath();
  EXPECT_EQ(Trusted(good), "C:\\A;E:\\ADDIN");
  EXPECT_EQ(Trusted(hidden), "c:\\b");
  EXPECT_EQ(Trusted(locked), "c:\\c");
  EXPECT_EQ(Trusted(unread), "c:\\d");
  EXPECT_EQ(Trusted(skipped), "c:\\e");
  EXPECT_EQ(Trusted(noRoot), "c:\\f");
  EXPECT_EQ(Trusted(unlisted), "c:\\g");
  EXPECT_FALSE(registry.HasKey(kHkeyCurrentUser, kUserRoot + "R19.1\\ACAD-B001:804\\Profiles\\Variables"));
}

}  // namespace
