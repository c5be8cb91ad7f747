// The users' hives: which subkeys of HKEY_USERS are people's, every person's hive visited once and
// each hive the setup loaded unloaded again, and the trusted path reaching users not logged on.
#include "acad/user_hives.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "acad/registry_reading.h"
#include "tests/acad/acad_registry_fixture.h"
#include "tests/memory/memory_environment.h"

namespace {

const std::string kProfileList = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";
const std::string kLoggedOn = "S-1-5-21-100-200-300-1001";
const std::string kAway = "S-1-5-21-100-200-300-1002";
const std::string kEntra = "S-1-12-1-400-500-600-700";
const std::string kAwayHive = "C:\\Users\\away\\NTUSER.DAT";
const std::string kVariables = kUserRoot + "R24.0\\ACAD-4101:804\\Profiles\\P\\Variables";

TEST(SidOfUsersSubkey, NamesPeoplesHivesOnly) {
  struct Case {
    const char* name;
    const char* sid;
  } cases[] = {
      {"S-1-5-21-100-200-300-1001", "S-1-5-21-100-200-300-1001"},
      {"S-1-12-1-400-500-600-700", "S-1-12-1-400-500-600-700"},
      {"Tessarune_S-1-5-21-100-200-300-1002", "S-1-5-21-100-200-300-1002"},
      {"TESSARUNE_S-1-5-21-100-200-300-1002", "S-1-5-21-100-200-300-1002"},
      {"S-1-5-21-100-200-300-1001_Classes", ""},
      {".DEFAULT", ""},
      {"S-1-5-18", ""},
      {"Tessarune_S-1-5-18", ""},
      {"Backup_S-1-5-21-100-200-300-1002", ""},
      {"S-1-5-21-", ""},
      {"S-1-5-21-100--1001", ""},
      {"S-1-5-21-100-200-300-1001\\Software", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.sid, SidOfUsersSubkey(c.name)) << c.name;
}

class UserHivesTest : public AcadRegistryTest {
 protected:
  MemoryEnvironment env;

  void SetUp() override {
    machine.files.AddDrive('C');
    machine.files.AddDrive('D');
    registry.SetText(kHkeyLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot",
                     "D:\\Windows");
    // Hives Windows has loaded: a logged-on user and its classes, the default and SYSTEM's.
    for (const std::string& name :
         {kLoggedOn, kLoggedOn + "_Classes", std::string(".DEFAULT"), std::string("S-1-5-18")}) {
      registry.SetText(kHkeyUsers, name + "\\Software\\Tessa", "Who", name);
      registry.SetText(kHkeyUsers, name + "\\" + kVariables, "TRUSTEDPATHS", "c:\\tools");
    }
    AddProfile(kLoggedOn, "C:\\Users\\one", "");
    AddProfile("S-1-5-18", "%systemroot%\\system32\\config\\systemprofile",
               "D:\\Windows\\system32\\config\\systemprofile\\NTUSER.DAT");
    AddProfile(kAway, "C:\\Users\\away\\", kAwayHive);
    AddProfile(kEntra, "%SystemDrive%\\Users\\entra", "D:\\Users\\entra\\NTUSER.DAT");
  }

  // A profile listed under ProfileList (no ProfileImagePath when imagePath is null); a hive file
  // named hiveFile whose Software\Tessa "Who" names the SID and whose AutoCAD profile trusts d:\lisp.
  void AddProfile(const std::string& sid, const char* imagePath, const std::string& hiveFile) {
    registry.AddKey(kHkeyLocalMachine, kProfileList + sid);
    if (imagePath) {
      registry.SetRaw(kHkeyLocalMachine, kProfileList + sid, "ProfileImagePath", kRegExpandSz,
                      std::string(imagePath) + '\0');
    }
    if (hiveFile.empty()) return;
    registry.SetText(kHkeyLocalMachine, "Seed\\Software\\Tessa", "Who", sid);
    registry.SetText(kHkeyLocalMachine, "Seed\\" + kVariables, "TRUSTEDPATHS", "d:\\lisp");
    registry.SaveHive(kHkeyLocalMachine, "Seed", hiveFile);
    registry.RemoveTree(kHkeyLocalMachine, "Seed");
    machine.files.AddFile(hiveFile, "regf");
  }

  std::string Who(RegHandle root) {
    RegKey key(registry);
    std::string who;
    if (key.Open(root, "Software\\Tessa", RegAccess::Read) != kOk ||
        ReadValueText(registry, key.Handle(), "Who", 100, &who) != kOk) {
      return "<unreadable>";
    }
    return who;
  }

  // A value in a hive file, read by loading it.
  std::string InHive(const std::string& file, const std::string& path, const std::string& name) {
    if (registry.LoadHive("Check", file) != kOk) return "<not loaded>";
    std::string text = registry.GetText(kHkeyUsers, "Check\\" + path, name);
    registry.UnloadHive("Check");
    return text;
  }

  // Nothing the setup loaded stays loaded, no key stays open.
  void ExpectNothingLeft() {
    for (const std::string& name : registry.SubkeyNames(kHkeyUsers, "")) {
      EXPECT_NE(0u, name.find("Tessarune_")) << name << " stayed loaded";
    }
    EXPECT_EQ(0u, registry.OpenHandles());
  }
};

TEST_F(UserHivesTest, VisitsEveryPersonsHiveOnceAndLeavesOutThoseThatDoNotLoad) {
  AddProfile("S-1-5-21-100-200-300-1003", nullptr, "");
  AddProfile("S-1-5-21-100-200-300-1004", "C:\\Users\\gone", "");
  AddProfile("S-1-5-21-100-200-300-1005", "C:\\Users\\busy", "C:\\Users\\busy\\NTUSER.DAT");
  ASSERT_EQ(kOk, registry.LoadHive("Backup", "C:\\Users\\busy\\NTUSER.DAT"));
  AddProfile("S-1-5-21-100-200-300-1006", "%HOMEDRIVE%\\Users\\odd", "C:\\Users\\odd\\NTUSER.DAT");

  std::multiset<std::string> visits;
  std::vector<std::string> skips;
  ForEachUserHive(
      platform(), [&](const std::string& sid, RegHandle root) { visits.insert(sid + " " + Who(root)); },
      [&](const std::string& sid, const std::string& why) { skips.push_back(sid + ": " + why); });

  EXPECT_EQ((std::multiset<std::string>{kLoggedOn + " " + kLoggedOn, kAway + " " + kAway, kEntra + " " + kEntra}),
            visits);
  EXPECT_EQ((std::vector<std::string>{
                "S-1-5-21-100-200-300-1003: the profile has no ProfileImagePath",
                "S-1-5-21-100-200-300-1004: hive file not found: C:\\Users\\gone\\NTUSER.DAT",
                "S-1-5-21-100-200-300-1005: hive not loaded: C:\\Users\\busy\\NTUSER.DAT (error 32)",
                "S-1-5-21-100-200-300-1006: the profile path cannot be expanded: %HOMEDRIVE%\\Users\\odd",
            }),
            skips);
  ExpectNothingLeft();
}

TEST_F(UserHivesTest, AHiveIsUnloadedAndItsKeysClosedWhenTheVisitThrows) {
  for (const std::string& failing : {kLoggedOn, kAway}) {
    SCOPED_TRACE(failing);
    EXPECT_THROW(ForEachUserHive(platform(),
                                 [&](const std::string& sid, RegHandle) {
                                   if (sid == failing) throw std::runtime_error("visit failed");
                                 }),
                 std::runtime_error);
    ExpectNothingLeft();
  }
}

TEST_F(UserHivesTest, AllUsersPutsTheTrustedPathIntoEveryPersonsProfilesOnce) {
  // HKEY_CURRENT_USER is, on a real machine, one of the hives below HKEY_USERS.
  registry.SetText(kHkeyCurrentUser, kVariables, "TRUSTEDPATHS", "c:\\tools");
  const int none[kYearCount] = {};
  table.RegisterSelectedReleases(platform(), none, "E:\\Addin");
  EXPECT_EQ("C:\\TOOLS;E:\\ADDIN", registry.GetText(kHkeyCurrentUser, kVariables, "TRUSTEDPATHS"));
  EXPECT_EQ("c:\\tools", registry.GetText(kHkeyUsers, kLoggedOn + "\\" + kVariables, "TRUSTEDPATHS"));
  EXPECT_EQ("d:\\lisp", InHive(kAwayHive, kVariables, "TRUSTEDPATHS"));

  TrustedPathUsers users;
  users.allUsers = true;
  table.RegisterSelectedReleases(platform(), none, "F:\\Other", targetBitness, nullptr, users);
  EXPECT_EQ("C:\\TOOLS;E:\\ADDIN", registry.GetText(kHkeyCurrentUser, kVariables, "TRUSTEDPATHS"));
  EXPECT_EQ("C:\\TOOLS;F:\\OTHER", registry.GetText(kHkeyUsers, kLoggedOn + "\\" + kVariables, "TRUSTEDPATHS"));
  EXPECT_EQ("D:\\LISP;F:\\OTHER", InHive(kAwayHive, kVariables, "TRUSTEDPATHS"));
  EXPECT_EQ("D:\\LISP;F:\\OTHER", InHive("D:\\Users\\entra\\NTUSER.DAT", kVariables, "TRUSTEDPATHS"));
  // Services and classes hives are nobody's AutoCAD settings.
  for (const std::string& name : {kLoggedOn + "_Classes", std::string(".DEFAULT"), std::string("S-1-5-18")}) {
    EXPECT_EQ("c:\\tools", registry.GetText(kHkeyUsers, name + "\\" + kVariables, "TRUSTEDPATHS")) << name;
  }
  EXPECT_EQ("d:\\lisp",
            InHive("D:\\Windows\\system32\\config\\systemprofile\\NTUSER.DAT", kVariables, "TRUSTEDPATHS"));
  ExpectNothingLeft();
}

TEST_F(UserHivesTest, WithUserHiveFindsOneUsersHiveWhereverItIs) {
  env.sid = "S-1-5-21-100-200-300-1000";
  registry.SetText(kHkeyCurrentUser, "Software\\Tessa", "Who", "HKCU");
  struct Case {
    std::string sid;
    bool found;
    std::string who;
  } cases[] = {
      {"S-1-5-21-100-200-300-1000", true, "HKCU"},
      {kLoggedOn, true, kLoggedOn},
      {kAway, true, kAway},
      {kEntra, true, kEntra},
      {"S-1-5-21-100-200-300-1099", false, ""},  // no profile any more
      {"S-1-5-18", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sid);
    std::string who;
    EXPECT_EQ(c.found, WithUserHive(platform(), env, c.sid, [&](RegHandle root) { who = Who(root); }));
    EXPECT_EQ(c.who, who);
    ExpectNothingLeft();
  }
}

}  // namespace
