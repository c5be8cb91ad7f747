// The Install command's window-free part on an in-memory machine: the running-AutoCAD warning,
// forming and creating the install folder, the installation steps in order, the completion.
#include "ui/install_steps.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/memory/memory_platform.h"

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

// ---- One trailing backslash ----

TEST(RemoveOneTrailingBackslash, RemovesExactlyOneBackslashAtTheEnd) {
  Cp936CodePage cp;
  struct Case {
    const char* before;
    const char* after;
    bool removed;
  };
  const Case cases[] = {
      {"C:\\Quilox\\", "C:\\Quilox", true},
      {"C:\\Quilox", "C:\\Quilox", false},
      {"C:\\Tools\\\\", "C:\\Tools\\", true},  // only one of two
      {"D:\\", "D:", true},
      {"\\", "", true},
      {"Quilox", "Quilox", false},
      {"C:\\工具\\", "C:\\工具", true},
  };
  for (const Case& c : cases) {
    std::string path = c.before;
    EXPECT_EQ(c.removed, RemoveOneTrailingBackslash(cp, path)) << c.before;
    EXPECT_EQ(c.after, path) << c.before;
  }
}

TEST(RemoveOneTrailingBackslash, KeepsTheTrailByteOfADoubleByteCharacter) {
  Cp936CodePage cp;
  // 俓 is 82 5C in code page 936: its second byte looks like a backslash.
  std::string path = "C:\\工具\\俓";
  ASSERT_EQ("\x82\x5C", path.substr(path.size() - 2));
  EXPECT_FALSE(RemoveOneTrailingBackslash(cp, path));
  EXPECT_EQ("C:\\工具\\俓", path);

  // After the character, a real backslash goes.
  path = "C:\\工具\\俓\\";
  EXPECT_TRUE(RemoveOneTrailingBackslash(cp, path));
  EXPECT_EQ("C:\\工具\\俓", path);
}

// ---- The install folder ----

class InstallFolderTest : public ::testing::Test {
 protected:
  InstallFolderResult Prepare(std::string& path) { return PrepareInstallFolder(m.platform(), kOwner, path); }

  MemoryPlatform m;
};

TEST_F(InstallFolderTest, DefaultPathCreatesThePathAndTheInstallFolder) {
  std::string path = "C:\\Quilox";
  EXPECT_EQ(InstallFolderResult::Created, Prepare(path));
  EXPECT_EQ("C:\\Quilox\\Tessarune", path);
  EXPECT_TRUE(m.files.IsFolder("C:\\Quilox"));
  EXPECT_TRUE(m.files.IsFolder("C:\\Quilox\\Tessarune"));
  EXPECT_TRUE(m.boxes.Shown().empty());
}

TEST_F(InstallFolderTest, OneTrailingBackslashGoesBeforeTheProductFolderIsAppended) {
  std::string path = "C:\\Quilox\\";
  EXPECT_EQ(InstallFolderResult::Created, Prepare(path));
  EXPECT_EQ("C:\\Quilox\\Tessarune", path);

  path = "C:\\Tools\\\\";
  m.files.AddFolder("C:\\Tools");
  EXPECT_EQ(InstallFolderResult::Created, Prepare(path));
  EXPECT_EQ("C:\\Tools\\\\Tessarune", path);  // the doubled separator stays; Windows accepts it
  EXPECT_TRUE(m.files.IsFolder("C:\\Tools\\Tessarune"));
}

TEST_F(InstallFolderTest, DriveRootGivesAFolderInTheRoot) {
  m.files.AddDrive('D');
  std::string path = "D:\\";
  EXPECT_EQ(InstallFolderResult::Created, Prepare(path));
  EXPECT_EQ("D:\\Tessarune", path);
  EXPECT_TRUE(m.files.IsFolder("D:\\Tessarune"));
  EXPECT_TRUE(m.boxes.Shown().empty());
}

TEST_F(InstallFolderTest, MissingParentCreatesNothingAndSaysNothing) {
  std::string path = "C:\\A\\B";
  EXPECT_EQ(InstallFolderResult::Created, Prepare(path));
  EXPECT_EQ("C:\\A\\B\\Tessarune", path);
  EXPECT_FALSE(m.files.Exists("C:\\A"));
  EXPECT_FALSE(m.files.Exists("C:\\A\\B"));
  EXPECT_TRUE(m.boxes.Shown().empty());
}

TEST_F(InstallFolderTest, ChineseFolderEndingInA5CTrailByteKeepsItsLastCharacter) {
  m.files.AddFolder("C:\\工具");
  std::string path = "C:\\工具\\俓";
  EXPECT_EQ(InstallFolderResult::Created, Prepare(path));
  EXPECT_EQ("C:\\工具\\俓\\Tessarune", path);
  EXPECT_TRUE(m.files.IsFolder("C:\\工具\\俓\\Tessarune"));
}

TEST_F(InstallFolderTest, EmptyPathTouchesNothing) {
  std::string path;
  EXPECT_EQ(InstallFolderResult::EmptyPath, Prepare(path));
  EXPECT_EQ(0u, m.files.Calls());
  EXPECT_TRUE(m.boxes.Shown().empty());
}

TEST_F(InstallFolderTest, LongestFolderLeavesRoomForTheLongestModuleText) {
  EXPECT_EQ(259 - std::strlen("\\Quilox2010_32.ARX"), LongestInstallFolder());

  const size_t chosenLength = LongestInstallFolder() - std::strlen("\\Tessarune");
  std::string path = OfLength("C:\\Long", chosenLength);
  EXPECT_EQ(InstallFolderResult::Created, Prepare(path));
  EXPECT_EQ(LongestInstallFolder(), path.size());
  EXPECT_TRUE(m.boxes.Shown().empty());

  // A trailing backslash does not count against the limit: it goes first.
  path = OfLength("C:\\Long", chosenLength) + "\\";
  EXPECT_EQ(InstallFolderResult::Created, Prepare(path));
}

TEST_F(InstallFolderTest, TooLongIsRefusedBeforeAnythingIsCreated) {
  const std::string chosen = OfLength("C:\\Long", LongestInstallFolder() - std::strlen("\\Tessarune") + 1);
  std::string path = chosen;
  EXPECT_EQ(InstallFolderResult::TooLong, Prepare(path));
  EXPECT_EQ(chosen, path);
  EXPECT_EQ(0u, m.files.Calls());
  ASSERT_EQ(1u, m.boxes.Shown().size());
  const ShownBox& box = m.boxes.Shown()[0];
  EXPECT_EQ(kOwner, box.owner);
  EXPECT_EQ("安装路径过长，请选择较短的安装路径 !", box.text);
  EXPECT_EQ(kWarningCaption, box.caption);
  EXPECT_EQ(kMbOk | kMbIconExclamation, box.style);

  // Counted in bytes, as the registry's texts are: 2 bytes per Chinese character.
  std::string chinese = "C:\\";
  while (chinese.size() + 2 <= chosen.size()) chinese += "长";
  if (chinese.size() < chosen.size()) chinese += "x";
  ASSERT_EQ(chosen.size(), chinese.size());
  EXPECT_EQ(InstallFolderResult::TooLong, Prepare(chinese));
}

TEST_F(InstallFolderTest, TheLimitIsWhereRegistrationStillWritesEveryEntry) {
  const std::string productKey = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\";
  m.registry.AddKey(kHkeyLocalMachine, productKey);
  AcadReleaseTable table;
  table.productKeys[Index(2010)].push_back(productKey);
  int selected[kYearCount] = {};
  selected[Index(2010)] = 1;

  table.installFolder = OfLength("C:\\Long", LongestInstallFolder());
  table.RegisterSelectedReleases(m.platform(), selected);
  EXPECT_EQ(table.installFolder + "\\Quilox2010_32.ARX",
            m.registry.GetText(kHkeyLocalMachine, productKey + "Applications\\Quilox2010_32", "LOADER"));

  // One more character and the longest entry would be left out: that is why such a path is refused.
  m.registry.RemoveTree(kHkeyLocalMachine, productKey + "Applications");
  table.installFolder = OfLength("C:\\Long", LongestInstallFolder() + 1);
  table.RegisterSelectedReleases(m.platform(), selected);
  EXPECT_FALSE(m.registry.HasKey(kHkeyLocalMachine, productKey + "Applications\\Quilox2010_32"));
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

  EXPECT_EQ(kInstallFolder, table.installFolder);
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

TEST_F(InstallStepsTest, NothingTickedStillCopiesAndTrustsTheFolderButRegistersNothing) {
  ASSERT_TRUE(Run());
  EXPECT_TRUE(m.files.IsFile(Installed("Readme.txt")));
  EXPECT_TRUE(m.files.IsFolder(Installed(kLibrary)));
  EXPECT_FALSE(AnyEntry());
  EXPECT_EQ(kInstallFolder, m.registry.GetText(kHkeyCurrentUser, kProfile2008, "TRUSTEDPATHS"));
  EXPECT_FALSE(m.files.Exists(std::string(kAcad2008) + "\\Fonts\\Quilox_EN.shx"));
  EXPECT_EQ("acad driver", m.files.Content(std::string(kAcad2008) + "\\Drv\\pdfplot9.hdi"));
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
  EXPECT_EQ("", table.installFolder);
  EXPECT_FALSE(m.files.Exists(std::string(kAcad2008) + "\\Fonts\\Quilox_EN.shx"));
  EXPECT_TRUE(progress.steps.empty());
}

TEST_F(InstallStepsTest, AbortAfterAFailedCopyStopsTheInstallation) {
  m.files.AddFile(Installed("Readme.txt"), "older read-me");
  m.files.Lock(Installed("Readme.txt"));
  m.boxes.Answer(kIdAbort);
  Select({2008});
  EXPECT_FALSE(Run());

  ASSERT_EQ(1u, m.boxes.Shown().size());
  EXPECT_NE(std::string::npos, m.boxes.Shown()[0].text.find(Installed("Readme.txt")));
  EXPECT_FALSE(m.files.Exists(Installed(kLibrary)));
  EXPECT_FALSE(AnyEntry());
  EXPECT_FALSE(m.files.Exists(std::string(kAcad2008) + "\\Fonts\\Quilox_EN.shx"));
}

TEST_F(InstallStepsTest, IgnoreAfterAFailedCopyGoesOnToTheEnd) {
  m.files.AddFile(Installed("Readme.txt"), "older read-me");
  m.files.Lock(Installed("Readme.txt"));
  m.boxes.Answer(kIdIgnore);
  Select({2008});
  EXPECT_TRUE(Run());

  EXPECT_EQ("older read-me", m.files.Content(Installed("Readme.txt")));
  EXPECT_EQ(Installed("Quilox2008.ARX"), Loader(kKey2008, "Quilox2008"));
  EXPECT_TRUE(HasFonts(kAcad2008));
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
