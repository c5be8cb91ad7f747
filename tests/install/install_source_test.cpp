#include <gtest/gtest.h>

#include "install/install.h"
#include "install_test_support.h"
#include "tests/memory/memory_platform.h"

namespace {

const char kMissingText[] =
    "未找到安装所需的Data文件夹 !\n\n可能安装文件下载后没有解压，\n\n请解压后再执行SetUp.exe !";

class InstallSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m.files.AddDrive('D');
    m.files.AddFolder("D:\\Dist");
    m.files.SetModulePath("D:\\Dist\\SetUp.exe");
  }

  bool Find() { return FindInstallSource(m.platform(), kOwner, &source); }

  void ExpectMissingMessageOnce() {
    ASSERT_EQ(1u, m.boxes.Shown().size());
    const ShownBox& box = m.boxes.Shown()[0];
    EXPECT_EQ(kMissingText, box.text);
    EXPECT_EQ("Tessarune软件安装", box.caption);
    EXPECT_EQ(kMbOk, box.style);
    EXPECT_EQ(kOwner, box.owner);
  }

  MemoryPlatform m;
  std::string source;
};

TEST_F(InstallSourceTest, DataFolderBesideTheExecutableIsTheSource) {
  m.files.AddFolder("D:\\Dist\\Data");
  EXPECT_TRUE(Find());
  EXPECT_EQ("D:\\Dist\\Data", source);
  EXPECT_TRUE(m.boxes.Shown().empty());
}

TEST_F(InstallSourceTest, DataFolderWinsOverTheMarkerFile) {
  m.files.AddFolder("D:\\Dist\\Data");
  m.files.AddFile("D:\\Dist\\Quilox2010.arx", "arx");
  EXPECT_TRUE(Find());
  EXPECT_EQ("D:\\Dist\\Data", source);
}

TEST_F(InstallSourceTest, MarkerFileMakesTheExecutablesFolderTheSource) {
  m.files.AddFile("D:\\Dist\\Quilox2010.arx", "arx");
  EXPECT_TRUE(Find());
  EXPECT_EQ("D:\\Dist", source);
  EXPECT_TRUE(m.boxes.Shown().empty());
}

TEST_F(InstallSourceTest, NamesMatchWithoutRegardToCase) {
  m.files.AddFolder("D:\\Dist\\DATA");
  EXPECT_TRUE(Find());
  EXPECT_EQ("D:\\Dist\\Data", source);

  MemoryPlatform flat;
  flat.files.SetModulePath("C:\\Flat\\SetUp.exe");
  flat.files.AddFile("C:\\Flat\\quilox2010.ARX", "arx");
  EXPECT_TRUE(FindInstallSource(flat.platform(), kOwner, &source));
  EXPECT_EQ("C:\\Flat", source);
}

TEST_F(InstallSourceTest, NeitherDataNorMarkerShowsTheMessage) {
  m.files.AddFile("D:\\Dist\\readme.txt", "");
  EXPECT_FALSE(Find());
  ExpectMissingMessageOnce();
}

TEST_F(InstallSourceTest, AFileNamedDataIsNoDataFolder) {
  m.files.AddFile("D:\\Dist\\Data", "not a folder");
  EXPECT_FALSE(Find());
  ExpectMissingMessageOnce();

  // With the marker beside it the flat distribution is used.
  m.files.AddFile("D:\\Dist\\Quilox2010.arx", "arx");
  EXPECT_TRUE(Find());
  EXPECT_EQ("D:\\Dist", source);
}

TEST_F(InstallSourceTest, AFolderNamedLikeTheMarkerIsNoMarker) {
  m.files.AddFolder("D:\\Dist\\Quilox2010.arx");
  EXPECT_FALSE(Find());
  ExpectMissingMessageOnce();
}

TEST_F(InstallSourceTest, ExecutablesFolderThatDoesNotExistShowsTheMessage) {
  m.files.SetModulePath("E:\\Gone\\SetUp.exe");
  EXPECT_FALSE(Find());
  ExpectMissingMessageOnce();
}

// 0x81 0x5C and 0xD5 0x5C are double-byte characters whose trail byte is a backslash.
TEST_F(InstallSourceTest, CutsTheExecutablesPathAtTheRealLastBackslash) {
  m.files.AddFolder("D:\\\x81\x5C\\\xD5\x5C" "安装\\Data");
  m.files.SetModulePath("D:\\\x81\x5C\\\xD5\x5C" "安装\\\x81\x5C" "SetUp.exe");
  EXPECT_TRUE(Find());
  EXPECT_EQ("D:\\\x81\x5C\\\xD5\x5C" "安装\\Data", source);

  m.files.AddFile("D:\\\xD5\x5C\\Quilox2010.arx", "arx");
  m.files.SetModulePath("D:\\\xD5\x5C\\\xD5\x5C.exe");
  EXPECT_TRUE(Find());
  EXPECT_EQ("D:\\\xD5\x5C", source);
  EXPECT_TRUE(m.boxes.Shown().empty());
}

TEST_F(InstallSourceTest, UsesTheExecutablesPathWholeHoweverLong) {
  const std::string dir = PathOfLength("D:\\Dist", 300);
  m.files.AddFolder(dir + "\\Data");
  m.files.SetModulePath(dir + "\\SetUp.exe");
  EXPECT_TRUE(Find());
  EXPECT_EQ(dir + "\\Data", source);
}

TEST_F(InstallSourceTest, ExecutablePathWithoutBackslashLooksInTheCurrentDrivesRoot) {
  m.files.AddFolder("C:\\Data");
  m.files.SetModulePath("SetUp.exe");
  EXPECT_TRUE(Find());
  EXPECT_EQ("\\Data", source);
}

TEST(GetPathKind, TellsNothingFromFileFromFolder) {
  MemoryPlatform m;
  m.files.AddFile("C:\\a\\file.txt", "x", kAttrReadOnly | kAttrHidden);
  m.files.AddFolder("C:\\a\\plain");
  m.files.AddFolder("C:\\a\\marked", kAttrDirectory | kAttrReadOnly | kAttrHidden | kAttrNotContentIndexed);

  EXPECT_EQ(PathNotFound, GetPathKind(m.files, "C:\\a\\nothing"));
  EXPECT_EQ(PathNotFound, GetPathKind(m.files, "C:\\b\\file.txt"));
  EXPECT_EQ(PathIsFile, GetPathKind(m.files, "C:\\a\\file.txt"));
  EXPECT_EQ(PathIsFile, GetPathKind(m.files, "C:\\A\\FILE.TXT"));
  EXPECT_EQ(PathIsFolder, GetPathKind(m.files, "C:\\a\\plain"));
  EXPECT_EQ(PathIsFolder, GetPathKind(m.files, "C:\\a\\marked"));
  EXPECT_EQ(0u, m.files.OpenListings());
}

}  // namespace
