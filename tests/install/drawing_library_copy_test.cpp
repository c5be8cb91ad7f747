#include <gtest/gtest.h>

#include "install/install.h"
#include "install_test_support.h"
#include "tests/memory/memory_platform.h"

namespace {

const std::string kLibraryName = "Quilox扩展绘图库";

class DrawingLibraryCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m.files.AddDrive('D');
    m.files.SetModulePath("D:\\Dist\\SetUp.exe");
    m.files.AddFolder("D:\\Dist\\Data");
    m.files.AddFolder("C:\\Quilox\\Tessarune");
  }

  void Copy() { CopyDrawingLibrary(m.platform(), kOwner, job); }
  std::string Library() const { return "D:\\Dist\\Data\\" + kLibraryName; }
  std::string Source(const std::string& name) const { return Library() + "\\" + name; }
  std::string Target() const { return job.folder + "\\" + kLibraryName; }
  std::string Installed(const std::string& name) const { return Target() + "\\" + name; }

  MemoryPlatform m;
  CountingProgress progress;
  InstallJob job{"C:\\Quilox\\Tessarune", &progress};
};

TEST_F(DrawingLibraryCopyTest, CopiesTheFilesButNotTheSubFolders) {
  m.files.AddFile(Source("门窗.dwg"), "doors");
  m.files.AddFile(Source("SetUp.EXE"), "no name is left out here");
  m.files.AddFile(Source("Quilox_EN.shx"), "font");
  m.files.AddFile(Source("Old\\legacy.dwg"), "legacy");
  m.files.AddFolder(Source("Hidden"), kAttrDirectory | kAttrHidden | kAttrReadOnly);

  Copy();
  EXPECT_EQ((std::vector<std::string>{"Quilox_EN.shx", "SetUp.EXE", "门窗.dwg"}), m.files.Names(Target()));
  EXPECT_EQ("doors", m.files.Content(Installed("门窗.dwg")));
  EXPECT_TRUE(m.boxes.Shown().empty());
  EXPECT_EQ(2 + 5 + 1, progress.steps);
  EXPECT_EQ(0u, m.files.OpenListings());
}

TEST_F(DrawingLibraryCopyTest, ALibraryFolderThatIsALinkIsNotFollowed) {
  m.files.AddFile(Source("门窗.dwg"), "doors");
  // Users may make folders in the install folder: one made a junction before the setup ran.
  m.files.AddReparsePoint(Target(), 0xA0000003);
  Copy();
  EXPECT_TRUE(m.files.Names(Target()).empty());

  m.files.AddReparsePoint(Library(), 0xA000000C);
  m.files.AddFolder("C:\\Other");
  job.folder = "C:\\Other";
  Copy();
  EXPECT_TRUE(m.files.Names(Target()).empty());
  EXPECT_TRUE(m.boxes.Shown().empty());
}

TEST_F(DrawingLibraryCopyTest, WithoutALibraryTheEmptyFolderIsStillMade) {
  Copy();
  EXPECT_TRUE(m.files.IsFolder(Target()));
  EXPECT_TRUE(m.files.Names(Target()).empty());
  EXPECT_TRUE(m.boxes.Shown().empty());
  EXPECT_EQ(2, progress.steps);
}

TEST_F(DrawingLibraryCopyTest, CopiesEveryFileOfALargeLibrary) {
  for (int i = 0; i < 100; ++i) m.files.AddFile(Source("block" + std::to_string(i) + ".dwg"), "dwg");

  Copy();
  EXPECT_EQ(100u, m.files.Names(Target()).size());
  EXPECT_EQ(102 + 1, progress.steps);
}

TEST_F(DrawingLibraryCopyTest, ReadOnlyFilesOnEitherSideAreHandled) {
  m.files.AddFile(Source("a.dwg"), "new a", kAttrReadOnly);
  m.files.AddFile(Source("b.dwg"), "new b");
  m.files.AddFile(Installed("b.dwg"), "old b", kAttrReadOnly);

  Copy();
  EXPECT_EQ("new a", m.files.Content(Installed("a.dwg")));
  EXPECT_EQ("new b", m.files.Content(Installed("b.dwg")));
  for (const std::string& path : {Source("a.dwg"), Installed("a.dwg"), Installed("b.dwg")}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(0u, m.files.Attributes(path) & kAttrReadOnly);
  }
}

TEST_F(DrawingLibraryCopyTest, ALockedFileIsLeftOutSilently) {
  m.files.AddFile(Source("a.dwg"), "new a");
  m.files.AddFile(Source("b.dwg"), "new b");
  m.files.AddFile(Source("c.dwg"), "new c");
  m.files.AddFile(Installed("b.dwg"), "old b");
  m.files.Lock(Installed("b.dwg"));

  Copy();
  EXPECT_EQ("new a", m.files.Content(Installed("a.dwg")));
  EXPECT_EQ("old b", m.files.Content(Installed("b.dwg")));
  EXPECT_EQ("new c", m.files.Content(Installed("c.dwg")));
  EXPECT_TRUE(m.boxes.Shown().empty());
}

TEST_F(DrawingLibraryCopyTest, ZoneIdentifierIsCarriedAlong) {
  m.files.AddFile(Source("a.dwg"), "a");
  m.files.AddStream(Source("a.dwg"), "Zone.Identifier", "[ZoneTransfer]\r\nZoneId=3");

  Copy();
  EXPECT_TRUE(m.files.HasStream(Source("a.dwg"), "Zone.Identifier"));
  EXPECT_TRUE(m.files.HasStream(Installed("a.dwg"), "Zone.Identifier"));
}

TEST_F(DrawingLibraryCopyTest, MissingSourceShowsItsMessageAndDoesNothing) {
  m.files.SetModulePath("D:\\Empty\\SetUp.exe");

  Copy();
  EXPECT_EQ(1u, m.boxes.Shown().size());
  EXPECT_FALSE(m.files.IsFolder(Target()));
  EXPECT_EQ(0, progress.steps);
}

// Paths too long for their 260-byte buffers are left out, never cut short.

TEST_F(DrawingLibraryCopyTest, FilesWhosePathsDoNotFitAreLeftOutSilently) {
  // The target folder is 250 characters long.
  job.folder = PathOfLength("C:\\Quilox", 250 - 1 - kLibraryName.size());
  m.files.AddFolder(job.folder);
  m.files.AddFile(Source("a.dwg"), "a");          // 250 + 6 = 256
  m.files.AddFile(Source("long_name.dwg"), "b");  // 250 + 14 = 264

  Copy();
  ASSERT_EQ(250u, Target().size());
  EXPECT_EQ(std::vector<std::string>{"a.dwg"}, m.files.Names(Target()));
  EXPECT_TRUE(m.boxes.Shown().empty());
  EXPECT_EQ(2 + 2 + 1, progress.steps);
}

TEST_F(DrawingLibraryCopyTest, TargetFolderThatDoesNotFitIsNotMade) {
  m.files.AddFile(Source("a.dwg"), "a");
  job.folder = PathOfLength("C:\\Quilox", 250);
  m.files.AddFolder(job.folder);

  Copy();
  EXPECT_TRUE(m.files.Names(job.folder).empty());
  EXPECT_TRUE(m.boxes.Shown().empty());
  EXPECT_EQ(2 + 1 + 1, progress.steps);
}

TEST_F(DrawingLibraryCopyTest, SearchPatternThatDoesNotFitCopiesNothing) {
  // "<exeDir>\Data\Quilox扩展绘图库\*.*" is 260 characters long.
  const std::string exeDir = PathOfLength("D:\\Deep", 260 - 4 - 1 - kLibraryName.size() - 5);
  m.files.SetModulePath(exeDir + "\\SetUp.exe");
  m.files.AddFile(exeDir + "\\Data\\" + kLibraryName + "\\a", "a");

  Copy();
  EXPECT_TRUE(m.files.IsFolder(Target()));
  EXPECT_TRUE(m.files.Names(Target()).empty());
  EXPECT_TRUE(m.boxes.Shown().empty());
  EXPECT_EQ(2, progress.steps);
}

}  // namespace
