// The kept uninstaller runs the uninstall from a temporary copy that only administrators can
// change, and that copy knows its place.
#include <gtest/gtest.h>

#include "deploy/uninstall.h"
#include "tests/memory/memory_environment.h"
#include "tests/memory/memory_platform.h"
#include "tests/support/descriptor_rights.h"
#include "tests/support/forwarding_file_system.h"

namespace {

const char kKeptCopy[] = "C:\\Program Files\\Quilox\\Tessarune Setup\\SetUp.exe";

TEST(UninstallRelaunch, KeptCopyRunsAFreshAdministratorsOnlyCopyAndPassesItsExitCodeOn) {
  MemoryPlatform m;
  MemoryEnvironment env;
  env.temp = "C:\\Users\\admin\\AppData\\Local\\Temp";
  m.files.AddFile(kKeptCopy, "the uninstaller");
  m.files.SetModulePath(kKeptCopy);
  // A folder of that name that someone made before: never used.
  m.files.AddFolder(env.temp + "\\Tessarune-Uninstall-1");
  const std::string copy = env.temp + "\\Tessarune-Uninstall-2\\SetUp.exe";
  std::string contentWhenRun;
  m.processes.ScriptProgram([&](const std::string&) {
    contentWhenRun = m.files.Content(copy);
    return 1618;
  });
  InstallReport report;
  EXPECT_TRUE(RunsFromRecordFolder(m.platform(), env));
  EXPECT_EQ(1618, RunTemporaryCopy(m.platform(), env, "/UNINSTALL /S /LOG=C:\\T\\u.log", report));
  EXPECT_EQ((std::vector<std::string>{"\"" + copy + "\" /TEMPCOPY /UNINSTALL /S /LOG=C:\\T\\u.log"}),
            m.processes.CommandLinesRun());
  EXPECT_EQ("the uninstaller", contentWhenRun);
  // Users may read and run, but neither put anything beside the copy nor change it; nothing is inherited.
  const descriptor::Descriptor d = descriptor::Parse(m.files.Descriptor(env.temp + "\\Tessarune-Uninstall-2"));
  ASSERT_TRUE(d.parsed);
  EXPECT_TRUE(d.protectedDacl);
  for (descriptor::Target t : {descriptor::Target::Folder, descriptor::Target::SetupsFile}) {
    EXPECT_EQ(0x1200A9u, descriptor::UserRights(d, t));
  }
  EXPECT_EQ(0x1F01FFu, descriptor::TrusteeRights(d, "BA", descriptor::Target::SetupsFile));
  EXPECT_EQ(0, report.Failures());
}

TEST(UninstallRelaunch, CopyThatCannotStartIsAFailureAndGoesAgain) {
  MemoryPlatform m;
  MemoryEnvironment env;
  m.files.AddFile(kKeptCopy, "the uninstaller");
  m.files.SetModulePath(kKeptCopy);
  m.files.AddFolder(env.temp);
  InstallReport report;
  EXPECT_EQ(1603, RunTemporaryCopy(m.platform(), env, "/UNINSTALL", report));
  EXPECT_EQ(1, report.Failures());
  EXPECT_TRUE(m.files.Names(env.temp).empty());
}

// A user who makes the copy's folder the moment before the uninstaller does.
class Racer : public ForwardingFileSystem {
 public:
  Racer(MemoryFileSystem& files, std::string folder) : ForwardingFileSystem(files), files_(files), folder_(folder) {}
  long MakeSecuredDirectory(const std::string& path, const std::string& sddl) override {
    if (path == folder_) {
      files_.AddFolder(path);
      files_.SetOwner(path, Ownership::Other);
    }
    return ForwardingFileSystem::MakeSecuredDirectory(path, sddl);
  }

 private:
  MemoryFileSystem& files_;
  std::string folder_;
};

// Not there when looked at, there when made: refused, and nothing is written into it.
TEST(UninstallRelaunch, FolderMadeBySomeoneElseMeanwhileIsRefused) {
  MemoryPlatform m;
  MemoryEnvironment env;
  m.files.AddFile(kKeptCopy, "the uninstaller");
  m.files.SetModulePath(kKeptCopy);
  m.files.AddFolder(env.temp);
  Racer racer(m.files, env.temp + "\\Tessarune-Uninstall-1");
  const Platform p{m.registry, racer, m.processes, m.boxes, m.codePage};
  InstallReport report;
  EXPECT_EQ(1603, RunTemporaryCopy(p, env, "/UNINSTALL", report));
  EXPECT_EQ(1, report.Failures());
  EXPECT_TRUE(m.processes.CommandLinesRun().empty());
  EXPECT_TRUE(m.files.Names(env.temp + "\\Tessarune-Uninstall-1").empty());
}

// The internal switch only asks; the place decides.
TEST(UninstallRelaunch, TemporaryCopyIsOnlyOneInAFolderOfItsOwnInTheTemporaryFolder) {
  const std::string temp = "C:\\Windows\\Temp";
  struct Case {
    const char* module;
    Ownership owner;
    bool link;
    bool copy;
  } cases[] = {
      {"C:\\Windows\\Temp\\Tessarune-Uninstall-3\\SetUp.exe", Ownership::Administration, false, true},
      {"c:\\windows\\temp\\tessarune-uninstall-12\\setup.exe", Ownership::Administration, false, true},
      {"C:\\Windows\\Temp\\Tessarune-Uninstall-3\\SetUp.exe", Ownership::Other, false, false},
      {"C:\\Windows\\Temp\\Tessarune-Uninstall-3\\SetUp.exe", Ownership::Administration, true, false},
      {"C:\\Windows\\Temp\\Tessarune-Uninstall-\\SetUp.exe", Ownership::Administration, false, false},
      {"C:\\Windows\\Temp\\Tessarune-Uninstall-3a\\SetUp.exe", Ownership::Administration, false, false},
      {"C:\\Windows\\Temp\\Tessarune-Uninstall-3\\x\\SetUp.exe", Ownership::Administration, false, false},
      {"C:\\Windows\\Temp\\SetUp.exe", Ownership::Administration, false, false},
      {"C:\\Downloads\\Tessarune-Uninstall-3\\SetUp.exe", Ownership::Administration, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.module);
    MemoryPlatform m;
    MemoryEnvironment env;
    env.temp = temp;
    const std::string module = c.module;
    const std::string folder = module.substr(0, module.rfind('\\'));
    if (c.link) m.files.AddReparsePoint(folder, 0xA000000C);
    m.files.AddFile(module, "the uninstaller");
    m.files.SetOwner(folder, c.owner);
    m.files.SetModulePath(module);
    std::unique_ptr<FolderHold> hold;
    EXPECT_EQ(c.copy, IsTemporaryCopy(m.platform(), env, &hold));
    EXPECT_EQ(c.copy ? 1u : 0u, m.files.HeldFolders());
  }
}

TEST(UninstallRelaunch, TemporaryCopyAndItsFolderGoAtTheNextRestart) {
  MemoryPlatform m;
  const std::string module = "C:\\Windows\\Temp\\Tessarune-Uninstall-1\\SetUp.exe";
  m.files.AddFile(module, "the uninstaller");
  m.files.SetModulePath(module);
  InstallReport report;
  RemoveTemporaryCopyAtRestart(m.platform(), report);
  EXPECT_EQ((std::vector<std::string>{module, "C:\\Windows\\Temp\\Tessarune-Uninstall-1"}), m.files.PendingAtRestart());
}

}  // namespace
