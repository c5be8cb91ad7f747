// The uninstall on the in-memory machine: a record and what the machine holds now, and what is
// left afterwards.
#include "deploy/uninstall.h"

#include <gtest/gtest.h>

#include "deploy/record_folder.h"

#include "tests/memory/memory_environment.h"
#include "tests/memory/memory_platform.h"
#include "tests/memory/sha256_bytes.h"

namespace {

const char kInstallFolder[] = "C:\\Quilox\\Tessarune";
const char kRecordFolder[] = "C:\\Program Files\\Quilox\\Tessarune Setup";
const char kUserSid[] = "S-1-5-21-1000-2000-3000-1001";
const char kVariables[] = "Software\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Profiles\\P\\Variables";
const char kMissing[] = "<missing>";

struct Uninstall {
  MemoryPlatform m;
  MemoryEnvironment env;
  InstallRecord record;
  InstallReport report;

  Uninstall() {
    env.sid = kUserSid;
    record.installFolder = kInstallFolder;
  }
  void Run() { RemoveRecordedInstall(m.platform(), env, record, report); }
  // Whether a warning or failure line of the report names `what`.
  bool Names(const std::string& prefix, const std::string& what) const {
    for (const std::string& line : report.Lines()) {
      if (line.compare(0, prefix.size(), prefix) == 0 && line.find(what) != std::string::npos) return true;
    }
    return false;
  }
  std::string FileNow(const std::string& path) const { return m.files.IsFile(path) ? m.files.Content(path) : kMissing; }
  std::string TextNow(RegHandle root, const std::string& key, const std::string& name) const {
    uint32_t type = 0;
    std::string bytes;
    return m.registry.GetRaw(root, key, name, &type, &bytes) ? m.registry.GetText(root, key, name) : kMissing;
  }
};

TEST(Uninstall, RemovesOnlyTheInstalledFilesThatAreAsTheInstallWroteThem) {
  struct Case {
    const char* path;
    const char* written;
    const char* now;  // null: gone since
    bool removed;
    bool namedInTheLog;
  } cases[] = {
      {"C:\\Quilox\\Tessarune\\Quilox2010.arx", "module", "module", true, false},
      {"C:\\QUILOX\\tessarune\\Quilox扩展绘图库\\门窗.dwg", "drawing", "drawing", true, false},
      {"C:\\Quilox\\Tessarune\\Readme.txt", "read-me", "read-me, with the user's notes", false, true},
      {"C:\\Quilox\\Tessarune\\Quilox2018.arx", "module", "MODULE", false, true},  // the same size
      {"C:\\Quilox\\Tessarune\\Quilox2013.arx", "module", nullptr, false, false},
      // Fonts stay: drawings use them.
      {"C:\\Program Files\\AutoCAD 2010\\Fonts\\Quilox_EN.shx", "font", "font", false, false},
      // Only below the install folder, not beside it.
      {"C:\\Quilox\\Tessarune2\\Quilox2010.arx", "module", "module", false, false},
  };
  // Recorded with the hash the install checked, or (a build without a manifest) with the file's stamp.
  for (const bool hashed : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.path) + (hashed ? ", by hash" : ", by size and time"));
      Uninstall u;
      u.m.files.AddFile(c.path, c.written);
      FileStamp stamp;
      ASSERT_EQ(kOk, u.m.files.Stamp(c.path, &stamp));
      u.record.files.push_back({c.path, stamp.size, hashed ? Sha256OfBytes(c.written) : "", stamp.lastWrite});
      if (!c.now) u.m.files.Remove(c.path);
      if (c.now && std::string(c.now) != c.written) u.m.files.AddFile(c.path, c.now);
      u.Run();
      EXPECT_EQ(c.removed || !c.now, !u.m.files.IsFile(c.path));
      EXPECT_EQ(c.namedInTheLog, u.Names("warning: ", c.path));
      EXPECT_EQ(0, u.report.Failures());
    }
  }
}

TEST(Uninstall, PutsTrustedPathsBackOrTakesTheEntriesOut) {
  const std::string q = "C:\\QUILOX\\TESSARUNE", mixed = "C:\\Quilox\\Tessarune";
  struct Case {
    const char* name;
    bool created;
    std::string before, after;
    std::vector<std::string> entries;
    const char* now;  // null: the Variables key is gone
    const char* left;  // kMissing: the value is gone
  } cases[] = {
      {"appended", false, "c:\\tools", "C:\\TOOLS;" + q, {q}, "C:\\TOOLS;C:\\QUILOX\\TESSARUNE", "c:\\tools"},
      {"added to since", false, "c:\\tools", "C:\\TOOLS;" + q, {q}, "C:\\TOOLS;C:\\QUILOX\\TESSARUNE;D:\\Lisp", "C:\\TOOLS;D:\\Lisp"},
      {"another case since", false, "c:\\tools", "C:\\TOOLS;" + q, {q}, "c:\\tools;c:\\quilox\\tessarune", "c:\\tools"},
      {"a longer entry", false, "c:\\tools", "C:\\TOOLS;" + q, {q}, "C:\\TOOLS;C:\\QUILOX\\TESSARUNE2", "C:\\TOOLS;C:\\QUILOX\\TESSARUNE2"},
      {"created", true, "", mixed, {mixed}, "C:\\Quilox\\Tessarune", kMissing},
      {"created, added to", true, "", mixed, {mixed}, "C:\\Quilox\\Tessarune;D:\\Lisp", "D:\\Lisp"},
      {"an empty setting replaced", false, "", mixed, {mixed}, "C:\\Quilox\\Tessarune", ""},
      {"two bytes replaced", false, ".;", mixed, {mixed}, "C:\\Quilox\\Tessarune", ".;"},
      {"two bytes replaced, added to", false, ".;", mixed, {mixed}, "C:\\Quilox\\Tessarune;D:\\Lisp", "D:\\Lisp"},
      {"upper-cased only", false, "c:\\quilox\\tessarune", q, {}, "C:\\QUILOX\\TESSARUNE", "c:\\quilox\\tessarune"},
      {"moved, added to", false, "c:\\tools", "C:\\TOOLS;" + q + ";D:\\T", {q, "D:\\T"}, "C:\\TOOLS;C:\\QUILOX\\TESSARUNE;D:\\T;E:\\X", "C:\\TOOLS;E:\\X"},
      {"profile gone", false, "c:\\tools", "C:\\TOOLS;" + q, {q}, nullptr, kMissing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Uninstall u;
    u.record.trustedPaths.push_back({kUserSid, kVariables, c.created, c.before, c.after, c.entries});
    if (c.now) u.m.registry.SetText(kHkeyCurrentUser, kVariables, "TRUSTEDPATHS", c.now);
    u.Run();
    EXPECT_EQ(c.left, u.TextNow(kHkeyCurrentUser, kVariables, "TRUSTEDPATHS"));
    EXPECT_EQ(0, u.report.Failures());
  }
}

TEST(Uninstall, RemovesValuesItAddedWhileTheyHoldWhatItWrote) {
  const std::string key = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804";
  struct Case {
    const char* name;
    bool existed;
    const char* now;  // null: gone
    const char* left;
  } cases[] = {
      {"added", false, "C:\\Quilox", kMissing},
      {"added, changed since", false, "D:\\Other", "D:\\Other"},
      {"replaced", true, "C:\\Quilox", "C:\\Quilox"},
      {"added, gone", false, nullptr, kMissing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Uninstall u;
    RecordedValue value;
    value.key = "HKEY_LOCAL_MACHINE\\" + key;
    value.name = "QuiloxPath";
    value.existed = c.existed;
    value.type = kRegSz;
    value.data = std::string("C:\\Quilox") + '\0';
    u.record.values.push_back(value);
    u.m.registry.AddKey(kHkeyLocalMachine, key);
    if (c.now) u.m.registry.SetText(kHkeyLocalMachine, key, "QuiloxPath", c.now);
    u.Run();
    EXPECT_EQ(c.left, u.TextNow(kHkeyLocalMachine, key, "QuiloxPath"));
    EXPECT_EQ(0, u.report.Failures());
  }
}

// A whole install's record on a machine where a few things changed since.
TEST(Uninstall, LeavesTheMachineAsBeforeApartFromWhatOthersAdded) {
  Uninstall u;
  const std::string acad = "C:\\Program Files\\AutoCAD 2008";
  const std::string product = "SOFTWARE\\Autodesk\\AutoCAD\\R17.1\\ACAD-6001:804";
  const std::string product32 = "SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804";
  const std::string arp = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessarune";
  const std::string backup = std::string(kRecordFolder) + "\\Backup\\pdfplot9.hdi";
  // As before the install.
  u.m.files.AddFile(acad + "\\Fonts\\txt.shx", "AutoCAD's font");
  u.m.files.AddFile(acad + "\\Drv\\pdfplot9.hdi", "AutoCAD's driver");
  u.m.registry.AddKey(kHkeyLocalMachine, arp.substr(0, arp.rfind('\\')));
  u.m.files.AddFolder("C:\\Program Files\\Quilox\\Other product");
  u.m.registry.SetText(kHkeyLocalMachine, product, "AcadLocation", acad);
  u.m.registry.AddKey(kHkeyLocalMachine, product32);
  const std::string before = u.m.files.Dump("C:\\") + u.m.registry.Dump(kHkeyLocalMachine);

  // What the install left, and its record.
  u.m.files.AddFile(std::string(kInstallFolder) + "\\Quilox2008.arx", "module");
  u.m.files.AddFile(acad + "\\Drv\\pdfplot9.hdi", "the product's driver");
  u.m.files.AddFile(backup, "AutoCAD's driver");
  u.m.files.AddFile(std::string(kRecordFolder) + "\\InstallRecord.txt", "record");
  u.m.files.AddFile(std::string(kRecordFolder) + "\\SetUp.exe", "uninstaller");
  u.m.registry.SetText(kHkeyLocalMachine, product + "\\Applications\\Quilox2008", "LOADER", "C:\\Quilox\\Tessarune\\Quilox2008.arx");
  u.m.registry.SetText(kHkeyLocalMachine, product32 + "\\Applications\\Quilox2010_32", "LOADER", "x");
  u.m.registry.SetText(kHkeyLocalMachine, arp, "DisplayVersion", "2026.03.31");
  u.record.files = {{std::string(kInstallFolder) + "\\Quilox2008.arx", 6, Sha256OfBytes("module")},
                    {acad + "\\Drv\\pdfplot9.hdi", 20, Sha256OfBytes("the product's driver")}};
  u.record.backups = {{acad + "\\Drv\\pdfplot9.hdi", backup}};
  u.record.createdFolders = {"C:\\Quilox", kInstallFolder, "C:\\Program Files\\Quilox", kRecordFolder,
                             std::string(kRecordFolder) + "\\Backup"};
  // Every level the install made.
  u.record.createdKeys = {"HKEY_LOCAL_MACHINE\\" + product + "\\Applications",
                          "HKEY_LOCAL_MACHINE\\" + product + "\\Applications\\Quilox2008",
                          "HKEY_LOCAL_MACHINE\\" + product32 + "\\Applications",
                          "HKEY_LOCAL_MACHINE\\" + product32 + "\\Applications\\Quilox2010_32",
                          "HKEY_LOCAL_MACHINE\\" + arp,
                          "HKEY_LOCAL_MACHINE\\SOFTWARE\\Autodesk\\AutoCAD\\R24.0\\Gone since"};
  // Since the install: another add-in's entry in a key the install made, and a file of a user.
  u.m.registry.SetText(kHkeyLocalMachine, product32 + "\\Applications\\Other", "LOADER", "y");
  u.m.files.AddFile(std::string(kInstallFolder) + "\\notes.txt", "the user's");

  u.Run();
  EXPECT_EQ(0, u.report.Failures());
  EXPECT_EQ("AutoCAD's driver", u.FileNow(acad + "\\Drv\\pdfplot9.hdi"));
  EXPECT_EQ("the user's", u.FileNow(std::string(kInstallFolder) + "\\notes.txt"));
  EXPECT_TRUE(u.Names("warning: ", kInstallFolder));
  EXPECT_EQ((std::vector<std::string>{"Other"}), u.m.registry.SubkeyNames(kHkeyLocalMachine, product32 + "\\Applications"));
  EXPECT_TRUE(u.Names("warning: ", product32 + "\\Applications"));
  // The rest is as before: the record folder, the Add/Remove Programs entry and the keys are gone.
  u.m.files.Remove(std::string(kInstallFolder) + "\\notes.txt");
  u.m.files.RemoveDirectory(kInstallFolder);
  u.m.files.RemoveDirectory("C:\\Quilox");
  u.m.registry.RemoveTree(kHkeyLocalMachine, product32 + "\\Applications");
  EXPECT_EQ(before, u.m.files.Dump("C:\\") + u.m.registry.Dump(kHkeyLocalMachine));
}

// The kept programs in use (the kept uninstaller waits for its copy) are set aside before anything
// is scheduled: the restart never removes a path that a later install uses, and they never ask
// for the restart.
TEST(Uninstall, KeptProgramsInUseAreSetAsideAndOnlyTheirNewNamesWaitForTheRestart) {
  const std::string folder = kRecordFolder;
  const std::string module = std::string(kInstallFolder) + "\\Quilox2010.arx";
  const std::string copy = "C:\\Temp\\Tessarune-Uninstall-1";
  struct Case {
    const char* name;
    std::string copyFolder;  // the temporary copy's, empty: this run is not that copy
    std::vector<std::string> pending;
    bool recordFolderLeft;
  } cases[] = {
      {"into the copy's folder", copy,
       {copy + "\\TessaruneUser.exe.1.removed", copy + "\\SetUp.exe.1.removed"}, false},
      {"the copy on another volume", "D:\\Temp\\Tessarune-Uninstall-1",
       {folder + "\\TessaruneUser.exe.1.removed", folder + "\\SetUp.exe.1.removed"}, true},
      {"no copy", "", {folder + "\\TessaruneUser.exe.1.removed", folder + "\\SetUp.exe.1.removed"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Uninstall u;
    u.m.files.AddFile(module, "module");
    u.m.files.AddFile(folder + "\\InstallRecord.txt", "record");
    u.m.files.AddFile(folder + "\\SetUp.exe", "uninstaller");
    u.m.files.AddFile(folder + "\\TessaruneUser.exe", "user program");
    u.m.files.AddDrive('D');
    if (!c.copyFolder.empty()) u.m.files.AddFile(c.copyFolder + "\\SetUp.exe", "running copy");
    for (const char* locked : {"\\SetUp.exe", "\\TessaruneUser.exe"}) u.m.files.Lock(folder + locked);
    u.record.files = {{module, 6, Sha256OfBytes("module")}};
    u.record.createdFolders = {"C:\\Quilox", kInstallFolder, "C:\\Program Files\\Quilox", kRecordFolder};
    RemoveRecordedInstall(u.m.platform(), u.env, u.record, u.report, c.copyFolder);
    EXPECT_EQ(0, u.report.Failures());
    EXPECT_FALSE(u.report.Restart());
    EXPECT_EQ(c.pending, u.m.files.PendingAtRestart());
    EXPECT_EQ(c.recordFolderLeft, u.m.files.IsFolder(folder));
    EXPECT_FALSE(u.m.files.IsFile(folder + "\\SetUp.exe"));
    EXPECT_FALSE(u.m.files.IsFile(folder + "\\InstallRecord.txt"));
  }
}

// A removal that fails is named in the log; the others are still done.
TEST(Uninstall, AFailedRemovalIsAFailureAndTheRestIsStillDone) {
  const std::string key = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Applications\\Quilox2010";
  const std::string file = std::string(kInstallFolder) + "\\Quilox2010.arx";
  const std::string other = std::string(kInstallFolder) + "\\Readme.txt";
  struct Case {
    const char* name;
    std::string failing;  // named in the failure
    void (*fault)(Uninstall&);
  } cases[] = {
      {"a file that may not be deleted", file,
       [](Uninstall& u) { u.m.files.SetAttributes(std::string(kInstallFolder) + "\\Quilox2010.arx", kAttrReadOnly); }},
      {"a key that may not be deleted", key,
       [](Uninstall& u) {
         u.m.registry.DenyWrite(kHkeyLocalMachine,
                                "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Applications\\Quilox2010");
       }},
      {"a trusted path that cannot be written", "TRUSTEDPATHS",
       [](Uninstall& u) { u.m.registry.DenyWrite(kHkeyCurrentUser, kVariables); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Uninstall u;
    u.m.files.AddFile(file, "module");
    u.m.files.AddFile(other, "read-me");
    u.m.registry.SetText(kHkeyLocalMachine, key, "LOADER", file);
    u.m.registry.SetText(kHkeyCurrentUser, kVariables, "TRUSTEDPATHS", "C:\\TOOLS;C:\\QUILOX\\TESSARUNE");
    u.record.files = {{file, 6, Sha256OfBytes("module")}, {other, 7, Sha256OfBytes("read-me")}};
    u.record.createdKeys = {"HKEY_LOCAL_MACHINE\\" + key};
    RecordedTrustedPath change;
    change.sid = kUserSid;
    change.variablesKey = kVariables;
    change.entries = {"C:\\QUILOX\\TESSARUNE"};
    u.record.trustedPaths = {change};
    c.fault(u);
    u.Run();
    EXPECT_EQ(1, u.report.Failures());
    EXPECT_TRUE(u.Names("FAILED: ", c.failing));
    // Everything else went.
    EXPECT_FALSE(u.m.files.IsFile(other));
    EXPECT_EQ(c.failing == file, u.m.files.IsFile(file));
    EXPECT_EQ(c.failing == key, u.m.registry.HasKey(kHkeyLocalMachine, key));
    EXPECT_EQ(c.failing == "TRUSTEDPATHS" ? "C:\\TOOLS;C:\\QUILOX\\TESSARUNE" : "C:\\TOOLS",
              u.TextNow(kHkeyCurrentUser, kVariables, "TRUSTEDPATHS"));
  }
}

// A whole install on a machine that changed since: what is gone already is no failure. A run
// that fails keeps the record of what remains, and Add/Remove Programs; the next run finishes.
TEST(Uninstall, FinishesOnAChangedMachineAndAFailedRunLeavesWhatRemains) {
  const std::string acad = "C:\\Program Files\\AutoCAD 2008";
  const std::string module = std::string(kInstallFolder) + "\\Quilox2008.arx";
  const std::string driver = acad + "\\Drv\\pdfplot9.hdi";
  const std::string backup = std::string(kRecordFolder) + "\\Backup\\pdfplot9.hdi";
  const std::string recordFile = std::string(kRecordFolder) + "\\InstallRecord.txt";
  const std::string key = "SOFTWARE\\Autodesk\\AutoCAD\\R17.1\\ACAD-6001:804\\Applications\\Quilox2008";
  struct Case {
    const char* name;
    void (*change)(Uninstall&);  // before the first run
    void (*mend)(Uninstall&);    // null: the first run finishes
    size_t files, backups, folders;  // in the record the failed run leaves
    bool putBack = true;
  } cases[] = {
      {"the file gone", [](Uninstall& u) { u.m.files.Remove(std::string(kInstallFolder) + "\\Quilox2008.arx"); }, nullptr, 0, 0, 0, true},
      {"the install folder gone",
       [](Uninstall& u) {
         u.m.files.Remove(std::string(kInstallFolder) + "\\Quilox2008.arx");
         u.m.files.RemoveDirectory(kInstallFolder);
       },
       nullptr, 0, 0, 0, true},
      {"the key gone", [](Uninstall& u) { u.m.registry.RemoveTree(kHkeyLocalMachine, "SOFTWARE\\Autodesk\\AutoCAD\\R17.1"); }, nullptr, 0, 0, 0, true},
      {"the profile gone", [](Uninstall& u) { u.m.registry.RemoveTree(kHkeyCurrentUser, "Software\\Autodesk"); }, nullptr, 0, 0, 0, true},
      {"AutoCAD 2008 gone",
       [](Uninstall& u) {
         u.m.files.Remove("C:\\Program Files\\AutoCAD 2008\\Drv\\pdfplot9.hdi");
         u.m.files.RemoveDirectory("C:\\Program Files\\AutoCAD 2008\\Drv");
       },
       nullptr, 0, 0, 0, true},
      {"the backup gone", [](Uninstall& u) { u.m.files.Remove(std::string(kRecordFolder) + "\\Backup\\pdfplot9.hdi"); },
       nullptr, 0, 0, 0, false},
      {"a file that may not be deleted",
       [](Uninstall& u) { u.m.files.SetAttributes(std::string(kInstallFolder) + "\\Quilox2008.arx", kAttrReadOnly); },
       [](Uninstall& u) { u.m.files.SetAttributes(std::string(kInstallFolder) + "\\Quilox2008.arx", kAttrArchive); },
       1, 0, 2, true},
      {"a folder level of a user's", [](Uninstall& u) { u.m.files.SetOwner(kInstallFolder, Ownership::Other); },
       [](Uninstall& u) { u.m.files.SetOwner(kInstallFolder, Ownership::Administration); }, 1, 0, 2, true},
      {"a backup in use", [](Uninstall& u) { u.m.files.Lock(std::string(kRecordFolder) + "\\Backup\\pdfplot9.hdi"); },
       [](Uninstall& u) { u.m.files.Unlock(std::string(kRecordFolder) + "\\Backup\\pdfplot9.hdi"); }, 0, 1, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Uninstall u;
    u.m.files.AddFile(module, "module");
    u.m.files.AddFile(driver, "the product's driver");
    u.m.files.AddFile(backup, "AutoCAD's driver");
    u.m.registry.SetText(kHkeyLocalMachine, key, "LOADER", module);
    u.m.registry.SetText(kHkeyLocalMachine, kUninstallKey, "DisplayVersion", "2026.03.31");
    u.m.registry.SetText(kHkeyCurrentUser, kVariables, "TRUSTEDPATHS", "C:\\TOOLS;C:\\Quilox\\Tessarune");
    u.record.version = "2026.03.31";
    u.record.files = {{module, 6, Sha256OfBytes("module")}, {driver, 20, Sha256OfBytes("the product's driver")}};
    u.record.backups = {{driver, backup}};
    u.record.createdFolders = {"C:\\Quilox", kInstallFolder, "C:\\Program Files\\Quilox", kRecordFolder};
    u.record.createdKeys = {"HKEY_LOCAL_MACHINE\\" + key, std::string("HKEY_LOCAL_MACHINE\\") + kUninstallKey};
    u.record.trustedPaths.push_back({kUserSid, kVariables, false, "C:\\TOOLS", "C:\\TOOLS;C:\\Quilox\\Tessarune",
                                     {"C:\\Quilox\\Tessarune"}});
    u.m.files.AddFile(recordFile, SerializeInstallRecord(u.m.codePage, u.record));
    c.change(u);

    EXPECT_EQ(c.mend ? 1603 : 0, RunUninstall(u.m.platform(), u.env, true, u.report));
    if (c.mend) {
      InstallRecord left;
      ASSERT_TRUE(ParseInstallRecord(u.m.codePage, u.FileNow(recordFile), &left));
      EXPECT_EQ(c.files, left.files.size());
      EXPECT_EQ(c.backups, left.backups.size());
      EXPECT_EQ(c.folders, left.createdFolders.size());
      EXPECT_TRUE(left.createdKeys.empty() && left.values.empty() && left.trustedPaths.empty());
      EXPECT_TRUE(u.m.registry.HasKey(kHkeyLocalMachine, kUninstallKey));
      c.mend(u);
      InstallReport again;
      EXPECT_EQ(0, RunUninstall(u.m.platform(), u.env, true, again));
    }
    EXPECT_FALSE(u.m.files.IsFolder("C:\\Quilox"));
    EXPECT_FALSE(u.m.files.IsFolder("C:\\Program Files\\Quilox"));
    EXPECT_FALSE(u.m.registry.HasKey(kHkeyLocalMachine, kUninstallKey));
    EXPECT_FALSE(u.m.registry.HasKey(kHkeyLocalMachine, key));
    EXPECT_NE("C:\\TOOLS;C:\\Quilox\\Tessarune", u.TextNow(kHkeyCurrentUser, kVariables, "TRUSTEDPATHS"));
    const bool drvThere = u.m.files.IsFolder(acad + "\\Drv");
    EXPECT_EQ(drvThere && c.putBack, u.FileNow(driver) == "AutoCAD's driver");
    EXPECT_EQ(!drvThere, u.Names("backup dropped", driver));
  }
}

// The exit codes, as Windows Installer's, and the boxes of an interactive run.
TEST(Uninstall, ExitCodeAndBoxesFollowTheRecordAutoCadAndTheAnswer) {
  const std::string file = std::string(kInstallFolder) + "\\Quilox2010.arx";
  enum class Record { None, Kept, Unreadable, Foreign };
  struct Case {
    const char* name;
    bool silent;
    Record record;
    bool acadRunning;
    int answer;  // to the question; 0: none asked
    bool readOnly;  // the installed file cannot be deleted
    int exitCode;
    size_t boxes;
    bool removed;
  } cases[] = {
      {"nothing recorded, silent", true, Record::None, false, 0, false, 0, 0, false},
      {"nothing recorded", false, Record::None, false, 0, false, 0, 1, false},
      {"a record that is not one", true, Record::Unreadable, false, 0, false, 1603, 0, false},
      {"a record a user could have written", true, Record::Foreign, false, 0, false, 1603, 0, false},
      {"AutoCAD runs, silent", true, Record::Kept, true, 0, false, 1618, 0, false},
      {"AutoCAD runs", false, Record::Kept, true, 0, false, 1618, 1, false},
      {"declined", false, Record::Kept, false, kIdNo, false, 1602, 1, false},
      {"accepted", false, Record::Kept, false, kIdYes, false, 0, 2, true},
      {"silent", true, Record::Kept, false, 0, false, 0, 0, true},
      {"a removal fails, silent", true, Record::Kept, false, 0, true, 1603, 0, false},
      {"a removal fails", false, Record::Kept, false, kIdYes, true, 1603, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Uninstall u;
    u.m.files.AddFile(file, "module", c.readOnly ? kAttrReadOnly : kAttrArchive);
    u.record.version = "2026.03.31";
    u.record.files = {{file, 6, Sha256OfBytes("module")}};
    const std::string recordFile = std::string(kRecordFolder) + "\\InstallRecord.txt";
    if (c.record != Record::None && c.record != Record::Unreadable) {
      u.m.files.AddFile(recordFile, SerializeInstallRecord(u.m.codePage, u.record));
    }
    if (c.record == Record::Foreign) u.m.files.SetOwner(kRecordFolder, Ownership::Other);
    if (c.record == Record::Unreadable) u.m.files.AddFile(recordFile, "not a record");
    if (c.acadRunning) u.m.processes.SetProcesses({"explorer.exe", "acad.exe"});
    if (c.answer) u.m.boxes.Answer(c.answer);
    EXPECT_EQ(c.exitCode, RunUninstall(u.m.platform(), u.env, c.silent, u.report));
    EXPECT_EQ(c.boxes, u.m.boxes.Shown().size());
    if (c.answer) {
      EXPECT_EQ(kMbYesNo, u.m.boxes.Shown()[0].style & 0xF);
    }
    // The result names what stayed.
    if (c.boxes == 2) {
      EXPECT_EQ(c.readOnly, u.m.boxes.Shown()[1].text.find(file) != std::string::npos);
    }
    EXPECT_EQ(!c.removed, u.m.files.IsFile(file));
  }
}

// A folder level that someone else owns, or that is a link by now, is left alone with everything
// below it and named; what lies outside it still goes.
TEST(Uninstall, LeavesAFolderItCannotTrustWithEverythingBelowIt) {
  const std::string library = std::string(kInstallFolder) + "\\Quilox扩展绘图库";
  const std::vector<std::string> levels{"C:\\Quilox", kInstallFolder, library};
  const std::vector<std::string> files{std::string(kInstallFolder) + "\\Quilox2010.arx", library + "\\门窗.dwg"};
  const std::string acad = "C:\\Program Files\\AutoCAD 2008";
  const std::string driver = acad + "\\Drv\\pdfplot9.hdi";
  const std::string backup = std::string(kRecordFolder) + "\\Backup\\pdfplot9.hdi";
  struct Case {
    std::string level;
    bool link;  // otherwise a user's
  };
  std::vector<Case> cases;
  for (const std::string& level : levels) cases.insert(cases.end(), {{level, true}, {level, false}});
  // The plotter driver is put back neither through a link nor into someone else's folder.
  for (const std::string& level : {acad, acad + "\\Drv", std::string(kRecordFolder) + "\\Backup"}) {
    cases.insert(cases.end(), {{level, true}, {level, false}});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level + (c.link ? ", a link" : ", a user's"));
    Uninstall u;
    for (const std::string& file : files) u.m.files.AddFile(file, "installed");
    u.m.files.AddFile(driver, "the product's driver");
    u.m.files.AddFile(backup, "AutoCAD's driver");
    for (const std::string& file : files) u.record.files.push_back({file, 9, Sha256OfBytes("installed")});
    u.record.createdFolders = levels;
    u.record.backups = {{driver, backup}};
    u.m.files.AddFile(std::string(kRecordFolder) + "\\InstallRecord.txt",
                      SerializeInstallRecord(u.m.codePage, u.record));
    if (c.link) u.m.files.AddReparsePoint(c.level, 0xA0000003);
    if (!c.link) u.m.files.SetOwner(c.level, Ownership::Other);

    EXPECT_EQ(1603, RunUninstall(u.m.platform(), u.env, true, u.report));
    EXPECT_TRUE(u.Names("FAILED: folder refused", c.level));
    EXPECT_TRUE(u.m.files.IsFolder(c.level));
    for (const std::string& file : files) {
      const bool below = file.compare(0, c.level.size() + 1, c.level + "\\") == 0;
      EXPECT_EQ(below, u.m.files.IsFile(file)) << file;
    }
    const bool putBack = c.level.compare(0, acad.size(), acad) != 0 && c.level.find("Backup") == std::string::npos;
    EXPECT_EQ(putBack ? "AutoCAD's driver" : "the product's driver", u.FileNow(driver));
    EXPECT_EQ(!putBack, u.m.files.IsFile(backup)) << "kept to be put back by hand";
  }
}

}  // namespace
