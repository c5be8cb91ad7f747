// A move on the in-memory machine: the folder left is cleared as an uninstall would clear it, and
// the record keeps only what is still there.
#include "deploy/move_cleanup.h"

#include <gtest/gtest.h>

#include "tests/memory/memory_environment.h"
#include "tests/memory/memory_platform.h"
#include "tests/memory/sha256_bytes.h"

namespace {

const char kOld[] = "C:\\Quilox\\Tessarune";
const char kNew[] = "C:\\Other\\Tessarune";
const char kVariables[] = "Software\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Profiles\\P\\Variables";
const char kApps[] = "SOFTWARE\\Autodesk\\AutoCAD\\R17.1\\ACAD-6001:804\\Applications\\";

TEST(MoveCleanup, ClearsTheFolderLeftAndKeepsInTheRecordWhatStays) {
  const std::string oldModule = std::string(kOld) + "\\Quilox2008.arx";
  const std::string newModule = std::string(kNew) + "\\Quilox2010.arx";
  struct Case {
    const char* name;
    void (*change)(MemoryPlatform&);
    bool oldFolderLeft;
    size_t filesRecorded;  // of the old folder
    int failures;
  } cases[] = {
      {"unchanged", [](MemoryPlatform&) {}, false, 0, 0},
      {"a user's file in it", [](MemoryPlatform& m) { m.files.AddFile(std::string(kOld) + "\\notes.txt", "mine"); },
       true, 0, 0},
      {"a file that may not be deleted",
       [](MemoryPlatform& m) { m.files.SetAttributes(std::string(kOld) + "\\Quilox2008.arx", kAttrReadOnly); }, true, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryPlatform m;
    MemoryEnvironment env;
    InstallReport report;
    m.files.AddFile(oldModule, "module");
    m.files.AddFile(newModule, "module");
    m.registry.SetText(kHkeyLocalMachine, std::string(kApps) + "Quilox2008", "LOADER", oldModule);
    m.registry.SetText(kHkeyLocalMachine, std::string(kApps) + "Quilox2010", "LOADER", newModule);
    m.registry.SetText(kHkeyCurrentUser, kVariables, "TRUSTEDPATHS", std::string("C:\\TOOLS;") + kOld + ";" + kNew);
    InstallRecord record;
    record.installFolder = kNew;
    record.earlierInstallFolders = {kOld};
    record.files = {{oldModule, 6, Sha256OfBytes("module")}, {newModule, 6, Sha256OfBytes("module")}};
    record.createdFolders = {"C:\\Quilox", kOld, "C:\\Other", kNew};
    record.createdKeys = {"HKEY_LOCAL_MACHINE\\" + std::string(kApps) + "Quilox2008",
                          "HKEY_LOCAL_MACHINE\\" + std::string(kApps) + "Quilox2010"};
    record.trustedPaths.push_back({env.sid, kVariables, false, "C:\\TOOLS", "", {kOld, kNew}});
    c.change(m);

    CleanUpEarlierFolders(m.platform(), env, record, report);
    EXPECT_EQ(c.failures, report.Failures());
    EXPECT_EQ(c.oldFolderLeft, m.files.IsFolder(kOld));
    EXPECT_EQ(c.oldFolderLeft, m.files.IsFolder("C:\\Quilox"));
    EXPECT_TRUE(m.files.IsFile(newModule));
    EXPECT_FALSE(m.registry.HasKey(kHkeyLocalMachine, std::string(kApps) + "Quilox2008"));
    EXPECT_TRUE(m.registry.HasKey(kHkeyLocalMachine, std::string(kApps) + "Quilox2010"));
    EXPECT_EQ(std::string("C:\\TOOLS;") + kNew, m.registry.GetText(kHkeyCurrentUser, kVariables, "TRUSTEDPATHS"));

    EXPECT_EQ(1 + c.filesRecorded, record.files.size());
    EXPECT_EQ(c.oldFolderLeft ? 4u : 2u, record.createdFolders.size());
    EXPECT_EQ(1u, record.createdKeys.size());
    EXPECT_EQ(std::vector<std::string>{kNew}, record.trustedPaths[0].entries);
    EXPECT_EQ(c.oldFolderLeft, !record.earlierInstallFolders.empty());
  }
}

}  // namespace
