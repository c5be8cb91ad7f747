// The Install command's window-free part on an in-memory machine: the running-AutoCAD warning,
// forming and creating the install folder, the installation steps in order, the completion.
#include "setup/install_steps.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/memory/memory_platform.h"
#include "tests/support/descriptor_rights.h"

namespace {

constexpr WindowRef kOwner = 0x1D1A;
constexpr char kWarningCaption[] = "Tessarune软件安装";

int Index(int year) { return year - kFirstYear; }

std::string OfLength(const std::string& base, size_t length) {
  std::string path = base;
  while (path.size() < length) path += path.size() % 50 == 0 ? '\\' : 'p';
  if (path.back() == '\\') path.back() = 'q';
  return path;
}

// ---- The running-AutoCAD warning ----

class RunningAcadTest : public ::testing::Test {
 protected:
  bool Press() { return StopForRunningAcad(m.platform(), kOwner, warn); }

  MemoryPlatform m;
  bool warn = true;
};

TEST_F(RunningAcadTest, WarnsOnTheFirstPressOnlyThenNeverLooksAgain) {
  m.processes.SetProcesses({"explorer.exe", "ACAD.EXE"});
  EXPECT_TRUE(Press());
  EXPECT_FALSE(warn);
  ASSERT_EQ(1u, m.boxes.Shown().size());
  const ShownBox& box = m.boxes.Shown()[0];
  EXPECT_EQ(kOwner, box.owner);
  EXPECT_EQ("请关闭AutoCAD后再进行安装 !", box.text);
  EXPECT_EQ(kWarningCaption, box.caption);
  EXPECT_EQ(kMbOk, box.style);  // OK only, no icon

  // AutoCAD still runs: the second press goes on, without a box and without a snapshot.
  const size_t snapshots = m.processes.SnapshotsTaken();
  EXPECT_FALSE(Press());
  EXPECT_FALSE(Press());
  EXPECT_EQ(1u, m.boxes.Shown().size());
  EXPECT_EQ(snapshots, m.processes.SnapshotsTaken());
}

TEST_F(RunningAcadTest, WhileAutoCadIsNotRunningEveryPressChecksAgain) {
  m.processes.SetProcesses({"explorer.exe", "notepad.exe"});
  EXPECT_FALSE(Press());
  EXPECT_FALSE(Press());
  EXPECT_TRUE(warn);
  EXPECT_EQ(2u, m.processes.SnapshotsTaken());
  EXPECT_TRUE(m.boxes.Shown().empty());

  m.processes.SetProcesses({"explorer.exe", "acad.exe"});
  EXPECT_TRUE(Press());
  EXPECT_FALSE(warn);
  EXPECT_EQ(1u, m.boxes.Shown().size());
}

// ---- The install folder ----

TEST(InstallFolder, FormsAndCreatesThePathAndTheInstallFolderOneLevelEach) {
  struct Case {
    const char* chosen;
    const char* installPath;
    const char* folderAfter;  // a folder that exists afterwards, or null
    const char* missingAfter;  // a folder that is not created, or null
  } cases[] = {
      {"C:\\Quilox", "C:\\Quilox\\Tessarune", "C:\\Quilox\\Tessarune", nullptr},
      {"C:\\Quilox\\", "C:\\Quilox\\Tessarune", "C:\\Quilox\\Tessarune", nullptr},
      // Only one backslash goes; Windows takes the doubled separator as one.
      {"C:\\Tools\\\\", "C:\\Tools\\\\Tessarune", "C:\\Tools\\Tessarune", nullptr},
      {"D:\\", "D:\\Tessarune", "D:\\Tessarune", nullptr},
      // 俓 is 82 5C: its trail byte is no backslash.
      {"C:\\工具\\俓", "C:\\工具\\俓\\Tessarune", "C:\\工具\\俓\\Tessarune", nullptr},
      {"C:\\A\\B", "C:\\A\\B\\Tessarune", nullptr, "C:\\A"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen);
    MemoryPlatform m;
    m.files.AddDrive('D');
    m.files.AddFolder("C:\\Tools");
    m.files.AddFolder("C:\\工具");
    std::string path = c.chosen;
    FolderHolds holds;
    EXPECT_EQ(InstallFolderResult::Created, PrepareInstallFolder(m.platform(), kOwner, path, holds));
    EXPECT_EQ(c.installPath, path);
    if (c.folderAfter != nullptr) {
      EXPECT_TRUE(m.files.IsFolder(c.folderAfter));
    }
    if (c.missingAfter != nullptr) {
      EXPECT_FALSE(m.files.Exists(c.missingAfter));
    }
    EXPECT_TRUE(m.boxes.Shown().empty());
  }
}

TEST(InstallFolder, TypedPathThatIsNotUsableGetsThePickersMessageAndTouchesNothing) {
  MemoryPlatform m;
  std::string path = "C:Quilox";
  FolderHolds holds;
  EXPECT_EQ(InstallFolderResult::Invalid, PrepareInstallFolder(m.platform(), kOwner, path, holds));
  EXPECT_EQ("C:Quilox", path);
  EXPECT_FALSE(m.files.Exists("C:\\Quilox"));
  ASSERT_EQ(1u, m.boxes.Shown().size());
  EXPECT_EQ(kOwner, m.boxes.Shown()[0].owner);
  EXPECT_EQ("The folder:\n\nC:Quilox\n\nis invalid. Please reenter.", m.boxes.Shown()[0].text);
  EXPECT_EQ("SetUp", m.boxes.Shown()[0].caption);
  EXPECT_EQ(kMbOk | kMbIconExclamation, m.boxes.Shown()[0].style);
}

constexpr uint32_t kDelete = 0x10000, kWriteDac = 0x40000, kWriteOwner = 0x80000, kDeleteChild = 0x40;
constexpr char kLinkTail[] = " 是链接或不属于管理员，为安全起见不能安装到这里。";
constexpr char kChangeableTail[] = " 可被其他用户改名或删除，为安全起见不能安装到这里。";
constexpr char kNoPermissionsTail[] = " 所在的磁盘不能设置权限（如 FAT32、exFAT），为安全起见不能安装到这里。";

// Every level from below the drive's root down to the install folder, the root as the parent of
// the first, and the Data folder: one message naming the first that fails, and nothing changed.
TEST(InstallFolder, EveryLevelIsCheckedBeforeAnythingIsChanged) {
  constexpr uint32_t kJunction = 0xA0000003;
  constexpr uint32_t kSymbolicLink = 0xA000000C;
  constexpr uint32_t kCloudPlaceholder = 0x9000001A;
  const struct {
    const char* chosen;
    std::function<void(MemoryFileSystem&)> prepare;
    const char* refused;  // null: installed
    const char* tail;
  } cases[] = {
      {"C:\\Quilox", [](MemoryFileSystem& f) { f.AddReparsePoint("C:\\Quilox", kJunction); }, "C:\\Quilox", kLinkTail},
      {"C:\\Quilox", [](MemoryFileSystem& f) { f.AddReparsePoint("C:\\Quilox\\Tessarune", kSymbolicLink); },
       "C:\\Quilox\\Tessarune", kLinkTail},
      {"C:\\CAD\\Tools", [](MemoryFileSystem& f) { f.AddReparsePoint("C:\\CAD", kJunction); }, "C:\\CAD", kLinkTail},
      {"C:\\Quilox", [](MemoryFileSystem& f) { f.AddReparsePoint("C:\\Setup\\Data", kJunction); }, "C:\\Setup\\Data",
       kLinkTail},
      {"C:\\Quilox", [](MemoryFileSystem& f) { f.AddFolder("C:\\Quilox"); f.SetOwner("C:\\Quilox", Ownership::Other); },
       "C:\\Quilox", kLinkTail},
      {"C:\\Quilox\\", [](MemoryFileSystem& f) {
         f.AddFolder("C:\\Quilox\\Tessarune");
         f.SetOwner("C:\\Quilox\\Tessarune", Ownership::Other);
       }, "C:\\Quilox\\Tessarune", kLinkTail},
      {"C:\\CAD\\Quilox", [](MemoryFileSystem& f) { f.SetOwner("C:\\CAD", Ownership::Other); }, "C:\\CAD", kLinkTail},
      {"D:\\", [](MemoryFileSystem& f) { f.SetOwner("D:\\", Ownership::Other); }, "D:\\", kLinkTail},
      {"D:\\Tools", [](MemoryFileSystem& f) { f.SetOwner("D:\\", Ownership::Other); }, "D:\\", kLinkTail},
      // What the entries on a level, or on its parent, let others do.
      {"C:\\CAD\\Tools", [](MemoryFileSystem& f) { f.SetOthersRights("C:\\CAD", kDelete); }, "C:\\CAD", kChangeableTail},
      {"C:\\CAD\\Tools", [](MemoryFileSystem& f) { f.SetOthersRights("C:\\CAD", kWriteDac); }, "C:\\CAD", kChangeableTail},
      {"C:\\CAD\\Tools", [](MemoryFileSystem& f) { f.SetOthersRights("C:\\CAD", kWriteOwner); }, "C:\\CAD",
       kChangeableTail},
      {"C:\\CAD\\Tools", [](MemoryFileSystem& f) { f.SetOthersRights("C:\\CAD", kDeleteChild); }, "C:\\CAD\\Tools",
       kChangeableTail},
      {"C:\\CAD", [](MemoryFileSystem& f) {
         f.AddFile("C:\\CAD\\notes.txt", "");
         f.SetOthersRights("C:\\CAD", kDeleteChild);
       }, "C:\\CAD\\Tessarune", kChangeableTail},
      {"C:\\CAD\\Tools", [](MemoryFileSystem& f) { f.SetOthersRights("C:\\", kDeleteChild); }, "C:\\CAD",
       kChangeableTail},
      {"D:\\Quilox", [](MemoryFileSystem& f) { f.RemovePermissions('D'); }, "D:\\Quilox\\Tessarune",
       kNoPermissionsTail},
      // A drive's root is not judged by its own entries; a chosen folder that holds nothing but the
      // install folder is not either (it gets the protected descriptor); generic and read rights
      // change nothing; a placeholder of a file kept in the cloud is no link; a missing drive is
      // left to the copies.
      {"C:\\CAD\\Tools", [](MemoryFileSystem& f) { f.SetOthersRights("C:\\", kDelete | kWriteDac); }, nullptr, ""},
      {"C:\\Lone", [](MemoryFileSystem& f) {
         f.AddFolder("C:\\Lone");
         f.SetOthersRights("C:\\Lone", 0x1F01FF);
       }, nullptr, ""},
      {"C:\\CAD\\Tools", [](MemoryFileSystem& f) { f.SetOthersRights("C:\\CAD", 0x1201BF & ~kDelete); }, nullptr, ""},
      {"C:\\Quilox", [](MemoryFileSystem& f) { f.AddReparsePoint("C:\\Quilox", kCloudPlaceholder); }, nullptr, ""},
      {"Q:\\Quilox", [](MemoryFileSystem&) {}, nullptr, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chosen + std::string(" ") + (c.refused ? c.refused : "-"));
    MemoryPlatform m;
    m.files.AddDrive('D');
    m.files.AddFolder("C:\\CAD\\Tools");
    m.files.AddFolder("C:\\Setup\\Data");
    c.prepare(m.files);
    const std::string before = m.files.Dump("C:\\") + m.files.Dump("D:\\");
    std::string path = c.chosen;
    FolderHolds holds;
    const InstallFolderResult result = PrepareInstallFolder(m.platform(), kOwner, path, holds);
    if (c.refused == nullptr) {
      EXPECT_EQ(InstallFolderResult::Created, result);
      EXPECT_TRUE(m.boxes.Shown().empty());
      continue;
    }
    EXPECT_EQ(InstallFolderResult::Untrusted, result);
    EXPECT_EQ(c.chosen, path);
    EXPECT_EQ(before, m.files.Dump("C:\\") + m.files.Dump("D:\\"));
    EXPECT_EQ(0u, m.files.HeldFolders());
    ASSERT_EQ(1u, m.boxes.Shown().size());
    const ShownBox& box = m.boxes.Shown()[0];
    EXPECT_EQ(kOwner, box.owner);
    EXPECT_EQ("文件夹 " + std::string(c.refused) + c.tail, box.text);
    EXPECT_EQ(kWarningCaption, box.caption);
    EXPECT_EQ(kMbOk | kMbIconExclamation, box.style);
  }
}

// A level that was missing when looked at must be made by this run: one someone else made
// meanwhile, or put in the place of the one just made, is refused, and nothing is held.
TEST(InstallFolder, ALevelMadeBySomeoneElseWhileTheSetupMakesItIsRefused) {
  const struct {
    const char* existing;  // or null
    const char* racedFor;
    bool afterOurs;
  } cases[] = {
      {nullptr, "C:\\Quilox", false},
      {nullptr, "C:\\Quilox\\Tessarune", false},  // the moment C:\Quilox appears
      {"C:\\Quilox", "C:\\Quilox\\Tessarune", false},
      {nullptr, "C:\\Quilox", true},
      {nullptr, "C:\\Quilox\\Tessarune", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.racedFor + std::string(c.afterOurs ? " after" : " before"));
    MemoryPlatform m;
    if (c.existing) m.files.AddFolder(c.existing);
    m.files.Race(c.racedFor, c.afterOurs);
    std::string path = "C:\\Quilox";
    FolderHolds holds;
    EXPECT_EQ(InstallFolderResult::Untrusted, PrepareInstallFolder(m.platform(), kOwner, path, holds));
    EXPECT_EQ(0u, m.files.RacersLeft()) << "the racer won";
    EXPECT_EQ(0u, m.files.HeldFolders());
    ASSERT_EQ(1u, m.boxes.Shown().size());
    EXPECT_EQ("文件夹 " + std::string(c.racedFor) + kLinkTail, m.boxes.Shown()[0].text);
  }
}

// Both levels are made with the rule of Program Files, read entry by entry as Windows applies it.
TEST(InstallFolder, LevelsAreMadeSoThatUsersMayReadAndRunButNotAddOrChange) {
  using descriptor::Target;
  constexpr uint32_t kRead = 0x1, kAddFile = 0x2, kAddFolder = 0x4, kWriteEa = 0x10, kExecute = 0x20;
  constexpr uint32_t kWriteData = 0x2, kWriteAttributes = 0x100, kFullControl = 0x1F01FF;
  constexpr uint32_t kChanges = kDelete | kWriteDac | kWriteOwner | kWriteAttributes | kWriteEa | kWriteData;
  MemoryPlatform m;
  std::string path = "C:\\Quilox";
  FolderHolds holds;
  ASSERT_EQ(InstallFolderResult::Created, PrepareInstallFolder(m.platform(), kOwner, path, holds));
  for (const char* level : {"C:\\Quilox", "C:\\Quilox\\Tessarune"}) {
    SCOPED_TRACE(level);
    const descriptor::Descriptor d = descriptor::Parse(m.files.Descriptor(level));
    ASSERT_TRUE(d.parsed) << m.files.Descriptor(level);
    EXPECT_EQ("BA", d.owner);
    EXPECT_TRUE(d.protectedDacl) << "nothing inherited from C:\\";
    for (Target target : {Target::Folder, Target::SetupsFile, Target::SetupsFolder, Target::UsersOwnFile}) {
      const uint32_t rights = descriptor::UserRights(d, target);
      EXPECT_EQ(kRead | kExecute, rights & (kRead | kExecute)) << static_cast<int>(target);
      EXPECT_EQ(0u, rights & (kChanges | kDeleteChild | kAddFile | kAddFolder)) << static_cast<int>(target);
    }
    for (const char* trustee : {"SY", "BA"}) {
      for (Target target : {Target::Folder, Target::SetupsFile, Target::SetupsFolder}) {
        EXPECT_EQ(kFullControl, descriptor::TrusteeRights(d, trustee, target)) << trustee << static_cast<int>(target);
      }
    }
  }
}

// What an earlier installation left is secured again and held; the chosen folder only when it
// holds nothing but the install folder, and never a drive's root. Every level is held.
TEST(InstallFolder, ExistingInstallFolderIsSecuredAgainAndHeldAndSoIsAParentHoldingNothingElse) {
  const struct {
    const char* chosen;
    std::vector<const char*> existing;
    const char* chosenLevel;
    bool chosenSecured;
    bool installSecured;
    size_t held;  // the root, each level, and each level secured once more
  } cases[] = {
      {"C:\\Quilox", {"C:\\Quilox\\Tessarune\\Quilox2010.arx"}, "C:\\Quilox", true, true, 5},
      {"C:\\Quilox", {"C:\\Quilox\\TESSARUNE\\a", "C:\\Quilox\\Tools\\b"}, "C:\\Quilox", false, true, 4},
      {"C:\\Quilox", {"C:\\Quilox\\notes.txt"}, "C:\\Quilox", false, false, 3},
      {"C:\\Quilox\\", {"C:\\Quilox\\x\\"}, "C:\\Quilox", false, false, 3},
      {"D:\\", {"D:\\Tessarune\\a"}, "D:\\", false, true, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chosen + std::string(" ") + c.existing[0]);
    MemoryPlatform m;
    m.files.AddDrive('D');
    for (const char* item : c.existing) {
      if (std::string(item).back() == '\\') m.files.AddFolder(item);
      else m.files.AddFile(item, "old");
    }
    const std::string installFolder = (c.chosenLevel + std::string(c.chosenLevel[3] ? "\\" : "")) + "Tessarune";
    const bool installExisted = m.files.Exists(installFolder);
    std::string path = c.chosen;
    {
      FolderHolds holds;
      ASSERT_EQ(InstallFolderResult::Created, PrepareInstallFolder(m.platform(), kOwner, path, holds));
      EXPECT_EQ(installFolder, path);
      EXPECT_EQ(c.held, m.files.HeldFolders());
    }
    EXPECT_EQ(0u, m.files.HeldFolders());
    // Secured or made: either way the install folder has the descriptor; the chosen one keeps
    // what it had unless it was secured or made.
    EXPECT_EQ(c.installSecured, installExisted);
    EXPECT_NE("", m.files.Descriptor(installFolder));
    EXPECT_EQ(c.chosenSecured, m.files.Descriptor(c.chosenLevel) != "");
    if (c.chosenSecured) {
      EXPECT_EQ(m.files.Descriptor(installFolder), m.files.Descriptor(c.chosenLevel));
    }
    EXPECT_TRUE(m.boxes.Shown().empty());
  }
}

// What is inside an existing install folder becomes the administration's with the folder's rules,
// whoever had put it there; links and files with more than one name are left as they were, and
// so is what lies behind a link. Nothing is removed.
TEST(InstallFolder, WhatAnExistingInstallFolderHoldsIsTakenOverExceptLinks) {
  const char kFolder[] = "C:\\Quilox\\Tessarune\\";
  MemoryPlatform m;
  m.files.AddFile(std::string(kFolder) + "Quilox2010.arx", "ours");
  m.files.AddFile(std::string(kFolder) + "acad.mnl", "theirs");
  m.files.AddFile(std::string(kFolder) + "Sub\\Deeper\\x.dll", "theirs");
  m.files.AddFile(std::string(kFolder) + "hosts", "linked");
  m.files.AddReparsePoint(std::string(kFolder) + "Elsewhere", 0xA0000003);
  m.files.AddFile(std::string(kFolder) + "Elsewhere\\behind.txt", "behind");
  for (const char* theirs : {"acad.mnl", "Sub", "Sub\\Deeper\\x.dll", "hosts", "Elsewhere", "Elsewhere\\behind.txt"}) {
    m.files.SetOwner(kFolder + std::string(theirs), Ownership::Other);
  }
  m.files.SetLinks(std::string(kFolder) + "hosts", 2);
  const std::string before = m.files.Dump("C:\\");
  std::string path = "C:\\Quilox";
  FolderHolds holds;
  ASSERT_EQ(InstallFolderResult::Created, PrepareInstallFolder(m.platform(), kOwner, path, holds));
  EXPECT_EQ(before, m.files.Dump("C:\\"));
  const struct {
    const char* name;
    bool taken;
  } items[] = {
      {"Quilox2010.arx", true}, {"acad.mnl", true}, {"Sub", true}, {"Sub\\Deeper", true},
      {"Sub\\Deeper\\x.dll", true}, {"hosts", false}, {"Elsewhere", false}, {"Elsewhere\\behind.txt", false},
  };
  for (const auto& item : items) {
    const std::string at = kFolder + std::string(item.name);
    EXPECT_EQ(item.taken, m.files.OwnerOf(at) == Ownership::Administration) << item.name;
    EXPECT_EQ(item.taken, m.files.Descriptor(at) == m.files.Descriptor(path)) << item.name;
  }
}

TEST(InstallFolder, EmptyPathTouchesNothing) {
  MemoryPlatform m;
  std::string path;
  FolderHolds holds;
  EXPECT_EQ(InstallFolderResult::EmptyPath, PrepareInstallFolder(m.platform(), kOwner, path, holds));
  EXPECT_EQ(0u, m.files.Calls());
  EXPECT_TRUE(m.boxes.Shown().empty());
}

// The install folder may be at most 241 bytes: its longest demand-load text, "\Quilox2010_32.ARX"
// appended, must fit 259 characters.
TEST(InstallFolder, InstallFolderOfMoreThan241BytesIsRefusedBeforeAnythingIsCreated) {
  std::string chinese = "C:\\";
  while (chinese.size() < 232) chinese += "长";  // 2 bytes each: counted in bytes
  struct Case {
    std::string chosen;
    bool refused;
  } cases[] = {
      {OfLength("C:\\Long", 231), false},  // + "\Tessarune": 241
      {OfLength("C:\\Long", 231) + "\\", false},  // the trailing backslash goes first
      {OfLength("C:\\Long", 232), true},
      {chinese, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen.size());
    MemoryPlatform m;
    std::string path = c.chosen;
    FolderHolds holds;
    if (!c.refused) {
      EXPECT_EQ(InstallFolderResult::Created, PrepareInstallFolder(m.platform(), kOwner, path, holds));
      EXPECT_EQ(241u, path.size());
      EXPECT_TRUE(m.boxes.Shown().empty());
      continue;
    }
    EXPECT_EQ(InstallFolderResult::TooLong, PrepareInstallFolder(m.platform(), kOwner, path, holds));
    EXPECT_EQ(c.chosen, path);
    EXPECT_EQ(0u, m.files.Calls());
    ASSERT_EQ(1u, m.boxes.Shown().size());
    const ShownBox& box = m.boxes.Shown()[0];
    EXPECT_EQ(kOwner, box.owner);
    EXPECT_EQ("安装路径过长，请选择较短的安装路径 !", box.text);
    EXPECT_EQ(kWarningCaption, box.caption);
    EXPECT_EQ(kMbOk | kMbIconExclamation, box.style);
  }
}

// ---- The installation steps ----

const char kAcad2008[] = "C:\\Program Files\\Autodesk\\AutoCAD 2008";
const char kAcad2010[] = "C:\\Program Files\\Autodesk\\AutoCAD 2010";
const char kKey2008[] = "SOFTWARE\\Autodesk\\AutoCAD\\R17.1\\ACAD-6001:804\\";
const char kKey2010[] = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\";
const char kProfile2008[] = "SOFTWARE\\Autodesk\\AutoCAD\\R17.1\\ACAD-6001:804\\Profiles\\<<未命名配置>>\\Variables";
const char kProfile2010[] = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Profiles\\<<未命名配置>>\\Variables";
const char kInstallFolder[] = "C:\\Quilox\\Tessarune";
const char kLibrary[] = "Quilox扩展绘图库";

// At every step, what the installation had done so far.
struct StepView {
  bool libraryCopied;
  bool registered;
  bool fontsCopied;
};

class RecordingProgress : public ProgressSink {
 public:
  explicit RecordingProgress(MemoryPlatform& m) : m_(m) {}
  void Step() override {
    steps.push_back({m_.files.IsFile(std::string(kInstallFolder) + "\\" + kLibrary + "\\门窗.dwg"),
                     m_.registry.HasKey(kHkeyLocalMachine, std::string(kKey2010) + "Applications\\Quilox2010"),
                     m_.files.IsFile(std::string(kAcad2010) + "\\Fonts\\Quilox_EN.shx")});
  }
  std::vector<StepView> steps;

 private:
  MemoryPlatform& m_;
};

class InstallStepsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m.files.AddFile("C:\\Setup\\SetUp.exe", "setup");
    for (const char* name : {"Quilox2008.arx", "Quilox2010.arx", "Quilox2010_32.arx", "Readme.txt"}) {
      m.files.AddFile(Data(name), std::string("payload ") + name);
    }
    m.files.AddFile(Data("SetUp.exe"), "setup");
    m.files.AddFile(Data("Quilox_EN.shx"), "en font");
    m.files.AddFile(Data("Quilox_HZ.shx"), "hz font");
    m.files.AddFile(Data("Quilox.prt5"), "driver");
    m.files.AddFile(Data(std::string(kLibrary) + "\\门窗.dwg"), "doors");
    m.files.AddFolder(kInstallFolder);

    AddAcad(2008, kAcad2008, kKey2008, kProfile2008);
    AddAcad(2010, kAcad2010, kKey2010, kProfile2010);
  }

  static std::string Data(const std::string& name) { return "C:\\Setup\\Data\\" + name; }
  static std::string Installed(const std::string& name) { return std::string(kInstallFolder) + "\\" + name; }

  void AddAcad(int year, const std::string& folder, const std::string& key, const std::string& profile) {
    m.files.AddFile(folder + "\\Fonts\\txt.shx", "acad font");
    m.files.AddFile(folder + "\\Drv\\pdfplot9.hdi", "acad driver");
    m.registry.AddKey(kHkeyLocalMachine, key);
    m.registry.AddKey(kHkeyCurrentUser, profile);
    table.acadFolders[Index(year)].push_back(folder);
    table.productKeys[Index(year)].push_back(key);
  }

  void Select(std::initializer_list<int> years) {
    for (int year : years) selected[Index(year)] = 1;
  }

  bool Run() { return RunInstallSteps(m.platform(), kOwner, table, selected, kInstallFolder, progress); }

  std::string Loader(const std::string& key, const std::string& entry) const {
    return m.registry.GetText(kHkeyLocalMachine, key + "Applications\\" + entry, "LOADER");
  }
  bool AnyEntry() const {
    return m.registry.HasKey(kHkeyLocalMachine, std::string(kKey2008) + "Applications") ||
           m.registry.HasKey(kHkeyLocalMachine, std::string(kKey2010) + "Applications");
  }
  bool HasFonts(const std::string& acad) const {
    return m.files.Content(acad + "\\Fonts\\Quilox_EN.shx") == "en font" &&
           m.files.Content(acad + "\\Fonts\\Quilox_HZ.shx") == "hz font";
  }
  // Entries a listing of the folder yields: ".", ".." and every name.
  int ListedEntries(const std::string& folder) const { return 2 + static_cast<int>(m.files.Names(folder).size()); }

  MemoryPlatform m;
  AcadReleaseTable table;
  int selected[kYearCount] = {};
  RecordingProgress progress{m};
};

TEST_F(InstallStepsTest, InstallsFilesEntriesTrustedPathsAndSupportFiles) {
  Select({2008, 2010});
  ASSERT_TRUE(Run());

  // Everything but the setup and the fonts; the plotter driver's source goes along.
  EXPECT_EQ((std::vector<std::string>{"Quilox.prt5", "Quilox2008.arx", "Quilox2010.arx", "Quilox2010_32.arx",
                                      kLibrary, "Readme.txt"}),
            m.files.Names(kInstallFolder));
  EXPECT_EQ("doors", m.files.Content(Installed(std::string(kLibrary) + "\\门窗.dwg")));

  EXPECT_EQ(Installed("Quilox2008.ARX"), Loader(kKey2008, "Quilox2008"));
  EXPECT_EQ(Installed("Quilox2010.ARX"), Loader(kKey2010, "Quilox2010"));
  EXPECT_EQ(Installed("Quilox2010_32.ARX"), Loader(kKey2010, "Quilox2010_32"));
  EXPECT_EQ(kInstallFolder, m.registry.GetText(kHkeyCurrentUser, kProfile2008, "TRUSTEDPATHS"));
  EXPECT_EQ(kInstallFolder, m.registry.GetText(kHkeyCurrentUser, kProfile2010, "TRUSTEDPATHS"));

  EXPECT_TRUE(HasFonts(kAcad2008));
  EXPECT_TRUE(HasFonts(kAcad2010));
  EXPECT_EQ("driver", m.files.Content(std::string(kAcad2008) + "\\Drv\\pdfplot9.hdi"));
  EXPECT_EQ("acad driver", m.files.Content(std::string(kAcad2010) + "\\Drv\\pdfplot9.hdi"));
  EXPECT_TRUE(m.boxes.Shown().empty());
  EXPECT_EQ(0u, m.registry.OpenHandles());
}

TEST_F(InstallStepsTest, StepsTheBarAfterTheCopiesTheRegistrationAndTheSupportFiles) {
  Select({2010});
  ASSERT_TRUE(Run());
  // One step per listed entry and one for the end of each listing, then three of the sequence.
  const int copySteps = ListedEntries("C:\\Setup\\Data") + 1 + ListedEntries(Data(kLibrary)) + 1;
  ASSERT_EQ(static_cast<size_t>(copySteps + 3), progress.steps.size());
  const StepView* last = &progress.steps[copySteps];
  EXPECT_TRUE(last[0].libraryCopied);
  EXPECT_FALSE(last[0].registered);
  EXPECT_TRUE(last[1].registered);
  EXPECT_FALSE(last[1].fontsCopied);
  EXPECT_TRUE(last[2].fontsCopied);
  // While the copies ran, nothing had been registered.
  for (int i = 0; i < copySteps; ++i) EXPECT_FALSE(progress.steps[i].registered) << i;
}

TEST_F(InstallStepsTest, MissingDataFolderStopsBeforeAnythingIsChanged) {
  m.files.SetModulePath("C:\\Elsewhere\\SetUp.exe");
  Select({2008, 2010});
  EXPECT_FALSE(Run());

  ASSERT_EQ(1u, m.boxes.Shown().size());
  EXPECT_EQ(kOwner, m.boxes.Shown()[0].owner);
  EXPECT_EQ(kWarningCaption, m.boxes.Shown()[0].caption);
  EXPECT_TRUE(m.files.Names(kInstallFolder).empty());
  EXPECT_FALSE(AnyEntry());
  EXPECT_EQ("", m.registry.GetText(kHkeyCurrentUser, kProfile2008, "TRUSTEDPATHS"));
  EXPECT_FALSE(m.files.Exists(std::string(kAcad2008) + "\\Fonts\\Quilox_EN.shx"));
  EXPECT_TRUE(progress.steps.empty());
}

// ---- Completion ----

TEST(CompletionMessages, ShowTheTwoTextsInOrderOwnedByTheDialog) {
  MemoryPlatform m;
  ShowCompletionMessages(m.platform(), kOwner);
  ASSERT_EQ(2u, m.boxes.Shown().size());
  for (const ShownBox& box : m.boxes.Shown()) {
    EXPECT_EQ(kOwner, box.owner);
    EXPECT_EQ("Tessarune工具箱安装", box.caption);
    EXPECT_EQ(kMbOk, box.style);
  }
  EXPECT_EQ("安装完成，重启CAD即可使用 !", m.boxes.Shown()[0].text);
  EXPECT_EQ(
      "若要导入早期版本（2024年版本及更早版本）的设置，可点击:\n\n"
      " [软件设置] -> [设置导出导入] -> [早期版本设置导入]",
      m.boxes.Shown()[1].text);
}

}  // namespace
