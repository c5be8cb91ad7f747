// The copies against the real file system. Wine differences: as root, Wine lets a program
// overwrite a read-only file, and it has no alternate data streams; both rules are tested on the
// in-memory file system instead, as is the question after a failed copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "install/install.h"
#include "install_test_support.h"
#include "tests/memory/memory_registry.h"
#include "tests/memory/scripted_message_boxes.h"
#include "platform/win32/win32_code_page.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_processes.h"
#include "win32_test_folder.h"

namespace {

const std::string kLibraryName = "Quilox扩展绘图库";

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

class Win32FileCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dist = temp.Path() + "\\Dist";
    data = dist + "\\Data";
    MakeFolders(temp.Path(), "Dist\\Data");
    MakeFolders(temp.Path(), "Quilox\\Tessarune");
    ASSERT_TRUE(WriteTextFile(dist + "\\SetUp.exe", "exe"));
    job.folder = temp.Path() + "\\Quilox\\Tessarune";
    RunFrom(dist + "\\SetUp.exe");
  }

  void RunFrom(const std::string& modulePath) { files = std::make_unique<RelocatedFileSystem>(real, modulePath); }
  Platform With(MessageBoxes& shown) { return Platform{registry, *files, processes, shown, codePage}; }
  Platform Plain() { return With(boxes); }
  std::string Installed(const std::string& name) const { return job.folder + "\\" + name; }

  TempFolder temp;
  std::string dist;
  std::string data;
  Win32FileSystem real;
  std::unique_ptr<RelocatedFileSystem> files;
  MemoryRegistry registry;
  Win32ProcessList processes;
  Win32CodePage codePage;
  ScriptedMessageBoxes boxes;
  CountingProgress progress;
  InstallJob job{"", &progress};
};

TEST_F(Win32FileCopyTest, CopiesThePayloadAndTheDrawingLibrary) {
  ASSERT_TRUE(WriteTextFile(data + "\\a.txt", "new a"));
  ASSERT_TRUE(WriteTextFile(data + "\\只读.txt", "read only", FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(WriteTextFile(data + "\\SetUp.exe", "exe"));
  ASSERT_TRUE(WriteTextFile(data + "\\quilox_en.SHX", "font"));
  MakeFolders(data, "Sub");
  ASSERT_TRUE(WriteTextFile(data + "\\Sub\\inner.txt", "inner"));
  MakeFolders(data, kLibraryName + "\\Old");
  ASSERT_TRUE(WriteTextFile(data + "\\" + kLibraryName + "\\块.dwg", "block", FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(WriteTextFile(data + "\\" + kLibraryName + "\\Old\\x.dwg", "old block"));
  ASSERT_TRUE(WriteTextFile(Installed("a.txt"), "old a", FILE_ATTRIBUTE_READONLY));

  ASSERT_TRUE(CopyPayload(Plain(), kOwner, job));
  EXPECT_EQ(Sorted({"a.txt", "只读.txt"}), Sorted(ListNames(job.folder)));
  EXPECT_EQ("new a", ReadTextFile(Installed("a.txt")));
  EXPECT_EQ("read only", ReadTextFile(Installed("只读.txt")));
  EXPECT_EQ(2 + 6 + 1, progress.steps);

  CopyDrawingLibrary(Plain(), kOwner, job);
  const std::string library = Installed(kLibraryName);
  EXPECT_EQ(std::vector<std::string>{"块.dwg"}, ListNames(library));
  EXPECT_EQ("block", ReadTextFile(library + "\\块.dwg"));
  EXPECT_EQ(2 + 6 + 1 + 2 + 2 + 1, progress.steps);

  for (const std::string& path : {data + "\\只读.txt", Installed("a.txt"), Installed("只读.txt"),
                                  data + "\\" + kLibraryName + "\\块.dwg", library + "\\块.dwg"}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(IsReadOnly(path));
  }
  EXPECT_TRUE(boxes.Shown().empty());
}

// 0x81 0x5C and 0xD5 0x5C are characters of code page 936 whose trail byte is a backslash.
TEST_F(Win32FileCopyTest, ChineseFolderNamesWithBackslashTrailBytes) {
  ASSERT_EQ(936u, GetACP()) << "run under the Chinese locale (LANG=zh_CN.UTF-8)";
  const std::string folder = temp.Path() + "\\\x81\x5C\\\xD5\x5C" "安装";
  MakeFolders(temp.Path(), "\x81\x5C\\\xD5\x5C" "安装\\Data");
  ASSERT_TRUE(WriteTextFile(folder + "\\Data\\a.txt", "a"));
  RunFrom(folder + "\\\x81\x5C" "SetUp.exe");

  std::string source;
  ASSERT_TRUE(FindInstallSource(Plain(), kOwner, &source));
  EXPECT_EQ(folder + "\\Data", source);
  ASSERT_TRUE(CopyPayload(Plain(), kOwner, job));
  EXPECT_EQ("a", ReadTextFile(Installed("a.txt")));
}

}  // namespace
