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

TEST_F(TrustedPathsTest, ShortOrMissingSettingBecomesTheFolderInItsOwnCase) {
  std::string missing = AddProfile("R18.0", "ACAD-8001:804", "Missing", nullptr);
  std::string one = AddProfile("R18.0", "ACAD-8001:804", "One", "x");
  std::string two = AddProfile("R18.0", "ACAD-8001:804", "Two", "c:");
  std::string empty = AddProfile("R18.0", "ACAD-8001:804", "Empty", "");
  std::string three = AddProfile("R18.0", "ACAD-8001:804", "Three", "c:\\");
  AddTrustedPath();
  EXPECT_EQ(Trusted(missing), "E:\\Addin");
  EXPECT_EQ(Trusted(one), "E:\\Addin");
  EXPECT_EQ(Trusted(two), "E:\\Addin");
  EXPECT_EQ(Trusted(empty), "E:\\Addin");
  EXPECT_EQ(Trusted(three), "C:\\;E:\\ADDIN");
}

TEST_F(TrustedPathsTest, LongerSettingIsUpperCasedAndGetsTheFolderOnce) {
  struct Case {
    const char* existing;
    const char* expected;
  } cases[] = {
      {"c:\\tools", "C:\\TOOLS;E:\\ADDIN"},
      {"c:\\tools;", "C:\\TOOLS;;E:\\ADDIN"},            // one semicolon added, whatever is there
      {"c:\\x;e:\\addin", "C:\\X;E:\\ADDIN"},            // already there in another case
      {"E:\\ADDIN\\OLD;d:\\y", "E:\\ADDIN\\OLD;D:\\Y"},  // contained in a longer path counts
      {"d:\\e:\\addinx", "D:\\E:\\ADDINX"},              // a plain substring test
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.existing);
    registry.RemoveTree(kHkeyCurrentUser, "SOFTWARE");
    EXPECT_EQ(UpdatedFrom(kRegSz, std::string(c.existing) + '\0'), c.expected);
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

TEST_F(TrustedPathsTest, SettingLongerThanTheFirstReadSurvivesWhole) {
  std::string existing;
  for (int i = 0; existing.size() < 20000; ++i)
    existing += "C:\\LIBRARY\\PATH" + std::to_string(10000 + i) + ";";
  existing += "Z:\\LAST";
  EXPECT_EQ(UpdatedFrom(kRegSz, existing + '\0'), existing + ";E:\\ADDIN");
}

TEST_F(TrustedPathsTest, SettingAroundTheFirstReadSizeIsReadWhole) {
  for (size_t length : {9998u, 9999u, 10000u, 10001u}) {
    SCOPED_TRACE(length);
    registry.RemoveTree(kHkeyCurrentUser, "SOFTWARE");
    std::string existing = "C:\\" + std::string(length - 3, 'P');
    EXPECT_EQ(UpdatedFrom(kRegSz, existing + '\0'), existing + ";E:\\ADDIN");
  }
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

TEST_F(TrustedPathsTest, SettingOfAnotherTypeOrWithoutTerminatorIsReadAsText) {
  EXPECT_EQ(UpdatedFrom(kRegExpandSz, std::string("c:\\tools") + '\0'), "C:\\TOOLS;E:\\ADDIN");
  registry.RemoveTree(kHkeyCurrentUser, "SOFTWARE");
  EXPECT_EQ(UpdatedFrom(kRegSz, "c:\\tools"), "C:\\TOOLS;E:\\ADDIN");
  registry.RemoveTree(kHkeyCurrentUser, "SOFTWARE");
  EXPECT_EQ(UpdatedFrom(kRegBinary, std::string("c:\\x\0y", 6)), "C:\\X;E:\\ADDIN");
  registry.RemoveTree(kHkeyCurrentUser, "SOFTWARE");
  EXPECT_EQ(UpdatedFrom(kRegDword, std::string("\x07\x00\x00\x00", 4)), "E:\\Addin");
}

TEST_F(TrustedPathsTest, KeysThatCannotBeReadOrWrittenAreLeftAlone) {
  std::string good = AddProfile("R17.0", "ACAD-5001:804", "Good", "c:\\a");
  std::string hidden = AddProfile("R17.1", "ACAD-6001:804", "Hidden", "c:\\b");
  std::string locked = AddProfile("R17.2", "ACAD-7001:804", "Locked", "c:\\c");
  std::string unread = AddProfile("R18.0", "ACAD-8001:804", "Unread", "c:\\d");
  std::string skipped = AddProfile("R18.1", "ACAD-9001:804", "Skipped", "c:\\e");
  std::string noRoot = AddProfile("R19.0", "ACAD-A001:804", "NoRoot", "c:\\f");
  registry.DenyOpen(kHkeyCurrentUser, kUserRoot + "R17.1\\ACAD-6001:804\\Profiles\\Hidden");
  registry.DenyWrite(kHkeyCurrentUser, locked);
  // A setting that exists but cannot be read is kept, not replaced by the folder alone.
  registry.FailQuery(kHkeyCurrentUser, unread, "TRUSTEDPATHS");
  registry.FailEnum(kHkeyCurrentUser, "SOFTWARE\\Autodesk\\AutoCAD", 4);  // R18.1
  registry.DenyOpen(kHkeyCurrentUser, kUserRoot + "R19.0\\ACAD-A001:804\\Profiles");
  AddTrustedPath();
  EXPECT_EQ(Trusted(good), "C:\\A;E:\\ADDIN");
  EXPECT_EQ(Trusted(hidden), "c:\\b");
  EXPECT_EQ(Trusted(locked), "c:\\c");
  EXPECT_EQ(Trusted(unread), "c:\\d");
  EXPECT_EQ(Trusted(skipped), "c:\\e");
  EXPECT_EQ(Trusted(noRoot), "c:\\f");
}

}  // namespace
