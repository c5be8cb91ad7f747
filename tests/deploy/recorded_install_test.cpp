// The record a silent install keeps on the simulated AutoCAD machine, Add/Remove Programs after a
// complete install only, a second install merging in, and AutoCAD 2008's driver saved once.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "deploy/install_record.h"
#include "deploy/pending_deletions.h"
#include "platform/utf16.h"
#include "tests/memory/memory_environment.h"
#include "tests/support/acad_machine_sinks.h"
#include "tests/support/forwarding_file_system.h"
#include "setup/silent_install.h"

bool operator==(const RecordedBackup& a, const RecordedBackup& b) { return a.original == b.original && a.backup == b.backup; }

namespace {

const char kRecordFolder[] = "C:\\Program Files\\Quilox\\Tessarune Setup";
const char kArp[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessarune";
const char kSid[] = "S-1-5-21-1000-2000-3000-1001";

struct Machine {
  explicit Machine(const std::vector<acadmachine::Installation>& acads) {
    acadmachine::LayDown(acads, m);
    for (const char* name : {"Quilox2008.arx", "Quilox2021.arx", "Quilox_EN.shx", "Quilox_HZ.shx", "Quilox.prt5"}) {
      m.files.AddFile(std::string("C:\\Setup\\Data\\") + name, name);
    }
    m.files.AddFile("C:\\Setup\\SetUp.exe", "setup program");
  }

  // `files`: what the install runs on, the machine's own by default. `afterStart` runs once the
  // program holds its own file.
  int Install(FileSystem* files = nullptr, const std::function<void()>& afterStart = nullptr) {
    const Platform p{m.registry, files ? *files : m.files, m.processes, m.boxes, m.codePage};
    AcadReleaseTable table;
    table.DiscoverReleases(p);
    SetupOptions options;
    EXPECT_TRUE(ParseCommandLine(m.codePage, "/S", &options));
    report = InstallReport();
    long rc = kOk;
    std::unique_ptr<HeldFile> self = m.files.HoldFile("C:\\Setup\\SetUp.exe", &rc);
    if (afterStart) afterStart();
    return RunSilentInstall(p, env, table, options, self.get(), report);
  }
  std::string Log() const {
    std::string log;
    for (const std::string& line : report.Lines()) log += line + "\n";
    return log;
  }

  InstallRecord Record() {
    InstallRecord record;
    EXPECT_TRUE(ParseInstallRecord(m.codePage, m.files.Content(std::string(kRecordFolder) + "\\InstallRecord.txt"), &record));
    return record;
  }

  MemoryPlatform m;
  MemoryEnvironment env;
  InstallReport report;
};

const RecordedFile* FileOf(const InstallRecord& r, const std::string& path) {
  auto it = std::find_if(r.files.begin(), r.files.end(), [&](const RecordedFile& f) { return f.path == path; });
  return it == r.files.end() ? nullptr : &*it;
}

const RecordedTrustedPath* TrustedOf(const InstallRecord& r, const std::string& profile) {
  const std::string key = "SOFTWARE\\Autodesk\\AutoCAD\\R24.0\\ACAD-4101:804\\Profiles\\" + profile + "\\Variables";
  auto it = std::find_if(r.trustedPaths.begin(), r.trustedPaths.end(),
                         [&](const RecordedTrustedPath& t) { return t.variablesKey == key; });
  return it == r.trustedPaths.end() ? nullptr : &*it;
}

size_t Count(const std::vector<std::string>& list, const std::string& item) {
  return static_cast<size_t>(std::count(list.begin(), list.end(), item));
}

TEST(RecordedInstall, RecordListsWhatWasWrittenAndASecondInstallMergesIn) {
  acadmachine::Installation acad = acadmachine::StandardAcad(2021);
  acad.profiles.push_back({"Custom", std::string("D:\\Lisp"), true});
  Machine machine({acad});
  // An uninstall before left the kept uninstaller to the next restart: the install cancels that.
  RegKey sessionManager(machine.m.registry);
  ASSERT_EQ(kOk, sessionManager.Create(kHkeyLocalMachine, kSessionManagerKey));
  const std::string pending = Utf16FromUtf8(std::string("\\??\\") + kRecordFolder + "\\SetUp.exe" + '\0' + '\0' + '\0');
  ASSERT_EQ(kOk, machine.m.registry.SetWideValue(sessionManager.Handle(), kPendingOperationsValue, kRegMultiSz, pending));
  ASSERT_EQ(0, machine.Install());
  std::string left;
  uint32_t type = 0;
  EXPECT_EQ(kErrFileNotFound, machine.m.registry.GetWideBytes(sessionManager.Handle(), kPendingOperationsValue, &type, &left));

  InstallRecord first = machine.Record();
  EXPECT_EQ("2026.03.31", first.version);
  EXPECT_EQ("WORKSTATION\\admin", first.account);
  EXPECT_EQ("C:\\Quilox\\Tessarune", first.installFolder);
  const std::vector<std::string> folders{"C:\\Quilox", "C:\\Quilox\\Tessarune", "C:\\Quilox\\Tessarune\\Quilox扩展绘图库"};
  EXPECT_EQ(folders, first.createdFolders);
  const RecordedFile* arx = FileOf(first, "C:\\Quilox\\Tessarune\\Quilox2021.arx");
  ASSERT_NE(nullptr, arx);
  EXPECT_EQ(14u, arx->size);
  EXPECT_EQ("", arx->sha256) << "no manifest: the copy is not read again";
  EXPECT_NE(0u, arx->lastWrite);
  const uint64_t firstWrite = arx->lastWrite;
  EXPECT_NE(nullptr, FileOf(first, "C:\\Program Files\\Autodesk\\AutoCAD 2021\\Fonts\\Quilox_HZ.shx"));
  EXPECT_EQ(nullptr, FileOf(first, "C:\\Quilox\\Tessarune\\Quilox2.arx")) << "no temporary name";
  const std::string entry = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Autodesk\\AutoCAD\\R24.0\\ACAD-4101:804\\Applications\\Quilox2021";
  EXPECT_EQ(1u, Count(first.createdKeys, entry));
  EXPECT_EQ(1u, Count(first.createdKeys, std::string("HKEY_LOCAL_MACHINE\\") + kArp));
  EXPECT_TRUE(std::none_of(first.values.begin(), first.values.end(),
                           [&](const RecordedValue& v) { return v.key == entry; }))
      << "values of a key the setup made go with the key";
  const RecordedTrustedPath* custom = TrustedOf(first, "Custom");
  ASSERT_NE(nullptr, custom);
  EXPECT_EQ(kSid, custom->sid);
  EXPECT_FALSE(custom->valueCreated);
  EXPECT_EQ("D:\\Lisp", custom->before);
  EXPECT_EQ("D:\\LISP;C:\\QUILOX\\TESSARUNE", custom->after);
  EXPECT_EQ(std::vector<std::string>{"C:\\QUILOX\\TESSARUNE"}, custom->entries);
  const RecordedTrustedPath* unnamed = TrustedOf(first, "<<未命名配置>>");
  ASSERT_NE(nullptr, unnamed);
  EXPECT_TRUE(unnamed->valueCreated);
  EXPECT_EQ(std::vector<std::string>{"C:\\Quilox\\Tessarune"}, unnamed->entries);
  EXPECT_TRUE(first.failures.empty());
  EXPECT_EQ("setup program", machine.m.files.Content(std::string(kRecordFolder) + "\\SetUp.exe"));

  // Add/Remove Programs, after the complete install.
  const MemoryRegistry& reg = machine.m.registry;
  const std::string uninstaller = "\"C:\\Program Files\\Quilox\\Tessarune Setup\\SetUp.exe\"";
  EXPECT_EQ("Tessarune", reg.GetText(kHkeyLocalMachine, kArp, "DisplayName"));
  EXPECT_EQ("2026.03.31", reg.GetText(kHkeyLocalMachine, kArp, "DisplayVersion"));
  EXPECT_EQ("Quilox", reg.GetText(kHkeyLocalMachine, kArp, "Publisher"));
  EXPECT_EQ("C:\\Quilox\\Tessarune", reg.GetText(kHkeyLocalMachine, kArp, "InstallLocation"));
  EXPECT_EQ("C:\\Program Files\\Quilox\\Tessarune Setup\\SetUp.exe,0", reg.GetText(kHkeyLocalMachine, kArp, "DisplayIcon"));
  EXPECT_EQ(uninstaller + " /UNINSTALL", reg.GetText(kHkeyLocalMachine, kArp, "UninstallString"));
  EXPECT_EQ(uninstaller + " /UNINSTALL /S", reg.GetText(kHkeyLocalMachine, kArp, "QuietUninstallString"));
  for (const char* name : {"EstimatedSize", "NoModify", "NoRepair"}) {
    uint32_t type = 0;
    std::string bytes;
    ASSERT_TRUE(reg.GetRaw(kHkeyLocalMachine, kArp, name, &type, &bytes)) << name;
    EXPECT_EQ(kRegDword, type) << name;
    EXPECT_EQ(std::string("\x01\x00\x00\x00", 4), bytes) << name << ": one kilobyte of files, or 1";
  }

  // A later install over it.
  machine.m.files.Remove("C:\\Setup\\Data\\Quilox2021.arx");
  machine.m.files.AddFile("C:\\Setup\\Data\\Quilox2021.arx", "changed 2021");
  machine.env.time = "2026-12-09 09:30:00";
  ASSERT_EQ(0, machine.Install());
  InstallRecord second = machine.Record();
  EXPECT_EQ("2026-12-09 09:30:00", second.time);
  arx = FileOf(second, "C:\\Quilox\\Tessarune\\Quilox2021.arx");
  ASSERT_NE(nullptr, arx);
  EXPECT_EQ(12u, arx->size);
  EXPECT_NE(firstWrite, arx->lastWrite);
  EXPECT_EQ(1u, Count(second.createdKeys, entry));
  EXPECT_EQ(folders, second.createdFolders);
  custom = TrustedOf(second, "Custom");
  ASSERT_NE(nullptr, custom);
  EXPECT_EQ("D:\\Lisp", custom->before) << "what was there before the first install";
  EXPECT_EQ(std::vector<std::string>{"C:\\QUILOX\\TESSARUNE"}, custom->entries);
  EXPECT_TRUE(TrustedOf(second, "<<未命名配置>>")->valueCreated);
}

// A user who makes a folder the moment before the setup does.
class Racer : public ForwardingFileSystem {
 public:
  Racer(MemoryFileSystem& files, std::string folder) : ForwardingFileSystem(files), files_(files), folder_(folder) {}
  long MakeSecuredDirectory(const std::string& path, const std::string& sddl) override {
    if (path == folder_) files_.AddFolder(path);
    return ForwardingFileSystem::MakeSecuredDirectory(path, sddl);
  }

 private:
  MemoryFileSystem& files_;
  std::string folder_;
};

TEST(RecordedInstall, IncompleteOrRefusedInstallsAreNotListed) {
  struct Case {
    const char* cause;
    std::function<void(Machine&)> fault;
    const char* failure;   // in the log and, when a record is written, in the record
    bool recordWritten;
    std::string raced = "";  // a folder someone else makes the moment before the setup does
  } cases[] = {
      {"a font that cannot be copied", [](Machine& x) { x.m.files.Lock("C:\\Setup\\Data\\Quilox_HZ.shx"); },
       "file not written: C:\\Program Files\\Autodesk\\AutoCAD 2021\\Fonts\\Quilox_HZ.shx", true},
      {"a record folder that is a link",
       [](Machine& x) { x.m.files.AddReparsePoint("C:\\Program Files\\Quilox", 0xA0000003); },
       "record folder refused", false},
      {"a record folder that is not the administrators'",
       [](Machine& x) {
         x.m.files.AddFolder(kRecordFolder);
         x.m.files.SetOwner(kRecordFolder, Ownership::Other);
       },
       "record folder refused", false},
      {"a record that cannot be written",
       [](Machine& x) { x.m.files.AddFolder(std::string(kRecordFolder) + "\\InstallRecord.txt"); },
       "install record not written", false},
      {"a record folder made by someone else meanwhile", nullptr, "record folder refused", false, kRecordFolder},
      {"its parent made by someone else meanwhile", nullptr, "record folder refused", false,
       "C:\\Program Files\\Quilox"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cause);
    Machine machine({acadmachine::StandardAcad(2021)});
    if (c.fault) c.fault(machine);
    Racer racer(machine.m.files, c.raced);
    EXPECT_EQ(1603, machine.Install(&racer));
    if (!c.raced.empty()) {
      EXPECT_TRUE(machine.m.files.Names(c.raced).empty()) << "nothing written there";
    }
    std::string log;
    for (const std::string& line : machine.report.Lines()) log += line + "\n";
    EXPECT_NE(std::string::npos, log.find(std::string("FAILED: ") + c.failure)) << log;
    EXPECT_FALSE(machine.m.registry.HasKey(kHkeyLocalMachine, kArp));
    if (c.recordWritten) {
      const InstallRecord record = machine.Record();
      ASSERT_EQ(1u, record.failures.size());
      EXPECT_EQ(0u, record.failures[0].rfind(c.failure, 0)) << record.failures[0];
    }
  }
}

// A user who swaps a folder for a junction once the setup has written into it.
class LinkedOnceWritten : public ForwardingFileSystem {
 public:
  LinkedOnceWritten(MemoryFileSystem& files, std::string folder)
      : ForwardingFileSystem(files), files_(files), folder_(std::move(folder)) {}
  long Copy(const std::string& from, const std::string& to, bool failIfExists) override {
    const long rc = ForwardingFileSystem::Copy(from, to, failIfExists);
    if (to.compare(0, folder_.size() + 1, folder_ + "\\") == 0) files_.AddReparsePoint(folder_, 0xA0000003);
    return rc;
  }

 private:
  MemoryFileSystem& files_;
  std::string folder_;
};

TEST(RecordedInstall, AutoCad2008DriverIsSavedOnceAndNeverOurs) {
  const std::string driver = "C:\\Program Files\\Autodesk\\AutoCAD 2008\\Drv\\pdfplot9.hdi";
  const std::string backup = std::string(kRecordFolder) + "\\Backup\\pdfplot9.hdi";
  const std::string original = "original pdfplot9 driver of AutoCAD 2008\r\n";
  struct Case {
    const char* situation;
    std::function<void(Machine&)> before;  // the machine before the install checked here
    std::vector<RecordedBackup> backups;
    std::string backupContent;
    bool drvLinked = false;  // a junction by the time the driver is saved
  } cases[] = {
      {"no backup yet", nullptr, {{driver, backup}}, original},
      {"a backup from an earlier install, the driver changed since",
       [&](Machine& x) {
         ASSERT_EQ(0, x.Install());
         x.m.files.Remove(driver);
         x.m.files.AddFile(driver, "another driver");
       },
       {{driver, backup}}, original},
      {"the product's driver in place already",
       [&](Machine& x) {
         x.m.files.Remove(driver);
         x.m.files.AddFile(driver, "Quilox.prt5");
       },
       {}, ""},
      {"a Drv folder that is a link by then: nothing read through it", nullptr, {}, "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.situation);
    Machine machine({acadmachine::StandardAcad(2008)});
    if (c.before) c.before(machine);
    LinkedOnceWritten linking(machine.m.files, driver.substr(0, driver.rfind('\\')));
    ASSERT_EQ(c.drvLinked ? 1603 : 0, machine.Install(c.drvLinked ? &linking : nullptr));
    EXPECT_EQ(c.drvLinked, machine.Log().find("FAILED: driver not saved") != std::string::npos) << machine.Log();
    EXPECT_EQ("Quilox.prt5", machine.m.files.Content(driver));
    EXPECT_TRUE(machine.Record().backups == c.backups);
    EXPECT_EQ(c.backupContent, machine.m.files.Content(backup));
    EXPECT_EQ(c.backups.empty() ? 0u : 1u, machine.m.files.Names(std::string(kRecordFolder) + "\\Backup").size());
  }
}

// The copy of the kept uninstaller comes out wrong: as if the disk changed it.
class CorruptingCopies : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  long WriteNewFile(const std::string& path, const std::string& bytes) override {
    const bool uninstaller = path.size() > 13 && path.compare(path.size() - 13, 13, "SetUp.exe.new") == 0;
    return ForwardingFileSystem::WriteNewFile(path, uninstaller ? bytes + "!" : bytes);
  }
};

// The kept uninstaller is the program that ran, read through the handle held since start-up,
// whatever lies under its name by the end.
TEST(RecordedInstall, UninstallerIsTheProgramThatRan) {
  const std::string kept = std::string(kRecordFolder) + "\\SetUp.exe";
  struct Case {
    const char* situation;
    bool corrupt;
    int exitCode;
    const char* keptContent;  // "" when none is kept
    const char* logged;
  } cases[] = {
      {"swapped after start-up", false, 0, "setup program", "uninstaller kept"},
      {"a copy that does not match", true, 1603, "",
       "FAILED: uninstaller not kept, the copy is not the running program"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.situation);
    Machine machine({acadmachine::StandardAcad(2021)});
    CorruptingCopies corrupting(machine.m.files);
    // As a user who may write in the distribution folder would: renamed away, another put there.
    const auto swap = [&] { machine.m.files.AddFile("C:\\Setup\\SetUp.exe", "another program"); };
    EXPECT_EQ(c.exitCode, machine.Install(c.corrupt ? &corrupting : nullptr, swap));
    EXPECT_EQ(c.keptContent, machine.m.files.Content(kept));
    EXPECT_NE(std::string::npos, machine.Log().find(c.logged)) << machine.Log();
    EXPECT_EQ(c.exitCode == 0, machine.m.registry.HasKey(kHkeyLocalMachine, kArp));
  }
}

}  // namespace
