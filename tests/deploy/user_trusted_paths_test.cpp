// TessaruneUser.exe for a profile made after the install: the entry it adds, its record in the
// user's hive, and the uninstall taking both out again; Active Setup's version only growing.
#include "deploy/user_trusted_paths.h"

#include <gtest/gtest.h>

#include "deploy/uninstall.h"
#include "tests/memory/memory_environment.h"
#include "tests/memory/memory_platform.h"

namespace {

const char kVariables[] = "Software\\Autodesk\\AutoCAD\\R24.0\\ACAD-4101:804\\Profiles\\Later\\Variables";
const char kRecord[] = "C:\\Program Files\\Quilox\\Tessarune Setup\\InstallRecord.txt";

TEST(UserTrustedPaths, AddedForALaterProfileRecordedInTheHiveAndTakenOutByTheUninstall) {
  struct Case {
    const char* name;
    const char* before;  // null: no TRUSTEDPATHS
    const char* after;
  } cases[] = {
      {"no setting", nullptr, "D:\\Apps\\Tessarune"},
      {"empty", "", "D:\\Apps\\Tessarune"},
      {"a list", "c:\\lisp", "C:\\LISP;D:\\APPS\\TESSARUNE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryPlatform m;
    MemoryEnvironment env;
    InstallRecord installed;
    installed.installFolder = "D:\\Apps\\Tessarune";
    m.files.AddFile(kRecord, SerializeInstallRecord(m.codePage, installed));
    m.registry.AddKey(kHkeyCurrentUser, kVariables);
    m.registry.AddKey(kHkeyCurrentUser, "Software\\Microsoft\\Active Setup\\Installed Components");
    if (c.before) m.registry.SetText(kHkeyCurrentUser, kVariables, "TRUSTEDPATHS", c.before);
    const std::string before = m.registry.Dump(kHkeyCurrentUser);

    InstallReport report;
    EXPECT_EQ(0, AddTrustedPathsForThisUser(m.platform(), env, report));
    EXPECT_EQ(c.after, m.registry.GetText(kHkeyCurrentUser, kVariables, "TRUSTEDPATHS"));
    InstallRecord own;
    ASSERT_TRUE(ReadUserRecord(m.platform(), kHkeyCurrentUser, &own));
    ASSERT_EQ(1u, own.trustedPaths.size());
    EXPECT_EQ(c.after, own.trustedPaths[0].after);
    EXPECT_EQ(1u, own.trustedPaths[0].entries.size());

    // The uninstall, with the user's hive loaded below HKEY_USERS as Windows has it.
    m.registry.SaveHive(kHkeyCurrentUser, "", "C:\\Users\\later\\NTUSER.DAT");
    ASSERT_EQ(kOk, m.registry.LoadHive(env.sid, "C:\\Users\\later\\NTUSER.DAT"));
    m.registry.AddKey(kHkeyUsers, env.sid + "\\" + kActiveSetupKey);  // Windows' copy of the version
    InstallReport removal;
    RemoveRecordedInstall(m.platform(), env, installed, removal);
    EXPECT_EQ(0, removal.Failures());
    std::string expected = env.sid + "\n";
    for (size_t start = 0, end; (end = before.find('\n', start)) != std::string::npos; start = end + 1) {
      expected += env.sid + "\\" + before.substr(start, end + 1 - start);
    }
    EXPECT_EQ(expected, m.registry.Dump(kHkeyUsers)) << "the hive as before";
  }
}

TEST(UserTrustedPaths, NothingWithoutAnInstallRecord) {
  MemoryPlatform m;
  m.registry.AddKey(kHkeyCurrentUser, kVariables);
  const std::string before = m.registry.Dump(kHkeyCurrentUser);
  InstallReport report;
  EXPECT_EQ(1603, AddTrustedPathsForThisUser(m.platform(), MemoryEnvironment(), report));
  EXPECT_EQ(before, m.registry.Dump(kHkeyCurrentUser));
}

TEST(UserTrustedPaths, ActiveSetupVersionOnlyGrows) {
  struct Case {
    const char* time;
    const char* existing;
    const char* version;
  } cases[] = {
      {"2026-12-08 10:00:00", "", "2026,1208,1000,0"},
      {"2026-12-08 10:05:59", "2026,1208,1000,0", "2026,1208,1005,0"},
      {"2026-12-08 10:00:00", "2026,1208,1000,0", "2026,1208,1000,1"},   // the same minute
      {"2026-01-02 09:00:00", "2026,1208,1000,3", "2026,1208,1000,4"},   // a clock set back
      {"2026-12-08 10:00:00", "not a version", "2026,1208,1000,0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time + std::string(" over ") + c.existing);
    EXPECT_EQ(c.version, ActiveSetupVersion(c.time, c.existing));
  }
}

}  // namespace
