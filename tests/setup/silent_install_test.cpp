// The unattended install on the simulated AutoCAD machine: each exit code by its cause, the log
// naming what happened, and never a message box.
#include "setup/silent_install.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "deploy/install_record.h"
#include "setup/install_command_texts.h"
#include "tests/memory/memory_environment.h"
#include "tests/memory/memory_log_files.h"
#include "tests/support/acad_machine_sinks.h"

namespace {

const char kData[] = "C:\\Setup\\Data";
const char kAcad2021[] = "C:\\Program Files\\Autodesk\\AutoCAD 2021";

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string MachineState(MemoryPlatform& m) {
  return m.registry.Dump(kHkeyLocalMachine) + m.registry.Dump(kHkeyCurrentUser) + m.files.Dump("C:");
}

TEST(SilentInstall, ExitCodeByCause) {
  using acadmachine::Installation;
  const Installation acad2010 = acadmachine::StandardAcad(2010);
  const Installation acad2021 = acadmachine::StandardAcad(2021);
  Installation acad2021NoFonts = acad2021;
  const std::string tooLong = "/S /D=C:\\" + std::string(250, 'q');
  acad2021NoFonts.withFontsFolder = false;

  struct Case {
    const char* cause;
    std::vector<Installation> machine;
    const char* commandLine;
    std::function<void(MemoryPlatform&)> afterDiscovery;
    int exitCode;
    const char* logged;  // a line of the log
    bool unchanged;      // nothing on the machine changed
  } cases[] = {
      {"installed", {acad2010, acad2021}, "/S", nullptr, 0,
       "registry value written: HKEY_LOCAL_MACHINE\\SOFTWARE\\Autodesk\\AutoCAD\\R24.0\\ACAD-4101:804\\Applications\\"
       "Quilox2021 : LOADER = C:\\Quilox\\Tessarune\\Quilox2021.ARX\n",
       false},
      {"a Fonts folder missing", {acad2021NoFonts}, "/S", nullptr, 0,
       "warning: folder not found, file left out: C:\\Program Files\\Autodesk\\AutoCAD 2021\\Fonts\\Quilox_EN.shx",
       false},
      {"a product key gone since discovery", {acad2010, acad2021}, "/S",
       [&](MemoryPlatform& m) { m.registry.RemoveTree(kHkeyLocalMachine, acad2010.ProductKeyPath()); }, 0,
       "warning: registry key not found: HKEY_LOCAL_MACHINE\\SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804",
       false},
      {"no AutoCAD", {}, "/S", nullptr, 1603, "FAILED: no AutoCAD found: nothing to install into", true},
      {"a program file that cannot be copied", {acad2021}, "/S",
       [](MemoryPlatform& m) { m.files.Lock(std::string(kData) + "\\Quilox2021.arx"); }, 1603,
       "FAILED: the copy of the program files stopped", false},
      {"the same, the file named where it was to go", {acad2021}, "/S",
       [](MemoryPlatform& m) { m.files.Lock(std::string(kData) + "\\Quilox2021.arx"); }, 1603,
       "FAILED: file not written: C:\\Quilox\\Tessarune\\Quilox2021.arx from C:\\Setup\\Data\\Quilox2021.arx",
       false},
      {"a drawing library folder that cannot be made", {acad2021}, "/S",
       [](MemoryPlatform& m) { m.files.DenyCreate("C:\\Quilox\\Tessarune\\Quilox扩展绘图库"); }, 1603,
       "FAILED: file not written: C:\\Quilox\\Tessarune\\Quilox扩展绘图库\\门窗.dwg", false},
      // Someone else makes a folder the setup is about to make: refused, nothing registered.
      {"the install folder made by someone else meanwhile", {acad2021}, "/S",
       [](MemoryPlatform& m) { m.files.Race("C:\\Quilox\\Tessarune"); }, 1603,
       "message not shown (silent): 文件夹 C:\\Quilox\\Tessarune 是链接或不属于管理员，为安全起见不能安装到这里。\n"
       "FAILED: install folder refused: C:\\Quilox\n",
       false},
      {"the drawing library folder made by someone else meanwhile", {acad2021}, "/S",
       [](MemoryPlatform& m) { m.files.Race("C:\\Quilox\\Tessarune\\Quilox扩展绘图库", true); }, 1603,
       "FAILED: the copy of the program files stopped", false},
      {"a demand-load entry that cannot be written", {acad2021}, "/S",
       [&](MemoryPlatform& m) { m.registry.DenyWrite(kHkeyLocalMachine, acad2021.ProductKeyPath()); }, 1603,
       "FAILED: registry key cannot be opened for writing: "
       "HKEY_LOCAL_MACHINE\\SOFTWARE\\Autodesk\\AutoCAD\\R24.0\\ACAD-4101:804",
       false},
      {"a trusted path that cannot be written", {acad2021}, "/S",
       [&](MemoryPlatform& m) {
         m.registry.DenyWrite(kHkeyCurrentUser, acad2021.VariablesKeyPath(acad2021.profiles[0]));
       },
       1603, "FAILED: registry key cannot be created: HKEY_CURRENT_USER\\SOFTWARE\\Autodesk\\AutoCAD\\R24.0", false},
      {"a font that cannot be copied", {acad2021}, "/S",
       [](MemoryPlatform& m) { m.files.Lock(std::string(kData) + "\\Quilox_HZ.shx"); }, 1603,
       "FAILED: file not written: C:\\Program Files\\Autodesk\\AutoCAD 2021\\Fonts\\Quilox_HZ.shx", false},
      {"a user hive that cannot be loaded", {acad2021}, "/S /ALLUSERS",
       [](MemoryPlatform& m) {
         m.registry.SetText(kHkeyLocalMachine,
                            "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\S-1-5-21-7-8-9-1002",
                            "ProfileImagePath", "C:\\Users\\second");
       },
       0, "warning: user hive left out: S-1-5-21-7-8-9-1002: hive file not found: C:\\Users\\second\\NTUSER.DAT",
       false},
      {"AutoCAD running", {acad2021}, "/S", [](MemoryPlatform& m) { m.processes.SetProcesses({"acad.exe"}); },
       1618, "FAILED: AutoCAD is running", true},
      // One list for every machine: the releases listed where installed; 87 only when none is.
      {"a release listed but not installed", {acad2021}, "/S /RELEASES=2010,2021", nullptr, 0,
       "warning: AutoCAD 2010 is not installed\nrelease selected: 2021\n", false},
      {"no release listed installed", {acad2021}, "/S /RELEASES=2010", nullptr, 87,
       "FAILED: none of the releases listed is installed", true},
      {"no AutoCAD, releases listed", {}, "/S /RELEASES=2010", nullptr, 1603, "FAILED: no AutoCAD found", true},
      {"an install path too long", {acad2021}, tooLong.c_str(), nullptr, 87,
       "FAILED: install path refused", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cause);
    MemoryPlatform m;
    acadmachine::LayDown(c.machine, m);
    for (const char* name : {"Quilox2010.arx", "Quilox2010_32.arx", "Quilox2021.arx", "Quilox_EN.shx",
                             "Quilox_HZ.shx", "Quilox.prt5", "Quilox扩展绘图库\\门窗.dwg"}) {
      m.files.AddFile(std::string(kData) + "\\" + name, name);
    }
    m.files.AddFile("C:\\Setup\\SetUp.exe", "setup");
    const Platform p = m.platform();
    AcadReleaseTable table;
    table.DiscoverReleases(p);
    SetupOptions options;
    ASSERT_TRUE(ParseCommandLine(m.codePage, c.commandLine, &options));
    if (c.afterDiscovery) c.afterDiscovery(m);
    const std::string before = MachineState(m);

    InstallReport report;
    const MemoryEnvironment env;
    long rc = kOk;
    std::unique_ptr<HeldFile> self = m.files.HoldFile("C:\\Setup\\SetUp.exe", &rc);
    MemoryLogFiles logFiles(m.files);
    RunLog runLog(logFiles, m.files, m.codePage, env, "install", c.commandLine);
    report.StreamTo(&runLog);
    EXPECT_EQ(c.exitCode, RunSilentInstall(p, env, table, options, self.get(), report, &runLog));
    const std::string log = Joined(report.Lines());
    // Once the install has started, its log lies in the record folder.
    EXPECT_EQ(log.find("\ninstall folder: ") != std::string::npos,
              m.files.Names("C:\\Program Files\\Quilox\\Tessarune Setup\\Logs").size() == 1);
    EXPECT_NE(std::string::npos, log.find(c.logged)) << log;
    // A failed run does not claim that the user was told it installed.
    EXPECT_EQ(c.exitCode == 0, log.find(kInstalledText) != std::string::npos);
    EXPECT_EQ(c.unchanged, MachineState(m) == before);
    if (std::string(c.cause).find("meanwhile") != std::string::npos) {
      EXPECT_EQ(std::string::npos, m.registry.Dump(kHkeyLocalMachine).find("Quilox2021")) << "nothing registered";
    }
    EXPECT_TRUE(m.boxes.Shown().empty());
  }
}

// Over an earlier install: where it goes without /D=, and an older version refused (1638) unless
// /ALLOWDOWNGRADE. Versions compare as numbers: 2026.3.4 is older than 2026.03.31.
TEST(SilentInstall, UpgradesInPlaceAndRefusesADowngrade) {
  struct Case {
    const char* installed;  // version of the recorded install; null: none
    const char* commandLine;
    int exitCode;
    const char* folder;  // where it went; null: nothing changed
    const char* logged;
  } cases[] = {
      {nullptr, "/S", 0, "C:\\Quilox\\Tessarune", "installing 2026.03.31"},
      {"2026.3.4", "/S", 0, "C:\\Apps\\Tessarune", "upgrading from 2026.3.4 to 2026.03.31"},
      {"2026.03.31", "/S", 0, "C:\\Apps\\Tessarune", "reinstalling 2026.03.31"},
      {"2026.03.31", "/S /D=C:\\Other", 0, "C:\\Other\\Tessarune",
       "moving from C:\\Apps\\Tessarune to C:\\Other\\Tessarune"},
      {"2026.10.1", "/S", 1638, nullptr, "FAILED: a newer version is installed (2026.10.1): nothing changed"},
      {"2026.10.1", "/S /ALLOWDOWNGRADE", 0, "C:\\Apps\\Tessarune", "downgrading from 2026.10.1 to 2026.03.31"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine + std::string(" over ") + (c.installed ? c.installed : "nothing"));
    MemoryPlatform m;
    acadmachine::LayDown({acadmachine::StandardAcad(2021)}, m);
    for (const char* name : {"Quilox2021.arx", "Quilox_EN.shx", "Quilox_HZ.shx", "Quilox.prt5"}) {
      m.files.AddFile(std::string(kData) + "\\" + name, name);
    }
    m.files.AddFile("C:\\Setup\\SetUp.exe", "setup");
    if (c.installed) {
      InstallRecord record;
      record.version = c.installed;
      record.installFolder = "C:\\Apps\\Tessarune";
      m.files.AddFile("C:\\Program Files\\Quilox\\Tessarune Setup\\InstallRecord.txt",
                      SerializeInstallRecord(m.codePage, record));
    }
    AcadReleaseTable table;
    table.DiscoverReleases(m.platform());
    SetupOptions options;
    ASSERT_TRUE(ParseCommandLine(m.codePage, c.commandLine, &options));
    const std::string before = MachineState(m);

    InstallReport report;
    long rc = kOk;
    const std::unique_ptr<HeldFile> self = m.files.HoldFile("C:\\Setup\\SetUp.exe", &rc);
    EXPECT_EQ(c.exitCode, RunSilentInstall(m.platform(), MemoryEnvironment(), table, options, self.get(), report));
    const std::string log = Joined(report.Lines());
    EXPECT_NE(std::string::npos, log.find(c.logged)) << log;
    EXPECT_EQ(c.exitCode == 0, log.find("FAILED") == std::string::npos) << log;
    if (c.folder) {
      EXPECT_TRUE(m.files.IsFile(std::string(c.folder) + "\\Quilox2021.arx"));
    } else {
      EXPECT_EQ(before, MachineState(m));
    }
  }
}

}  // namespace
