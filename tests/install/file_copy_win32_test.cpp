// The copies against the real file system. Wine differences: as root, Wine lets a program
// overwrite a read-only file, and it has no alternate data streams; both rules are tested on the
// in-memory file system instead.
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

TEST_F(Win32FileCopyTest, DrawingLibraryFolderIsMadeEvenWithoutALibrary) {
  CopyDrawingLibrary(Plain(), kOwner, job);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(Installed(kLibraryName).c_str()));
  EXPECT_TRUE(ListNames(Installed(kLibraryName)).empty());
  EXPECT_EQ(2, progress.steps);
}

// Closes the handle that holds the file open, as the user closing AutoCAD would, then answers.
class ReleasingBoxes : public MessageBoxes {
 public:
  ReleasingBoxes(HANDLE& holder, int answer) : holder_(holder), answer_(answer) {}
  int Show(WindowRef owner, const std::string& text, const std::string& caption, unsigned style) override {
    shown.push_back(ShownBox{owner, text, caption, style});
    if (holder_ != INVALID_HANDLE_VALUE) CloseHandle(holder_);
    holder_ = INVALID_HANDLE_VALUE;
    return answer_;
  }
  std::vector<ShownBox> shown;

 private:
  HANDLE& holder_;
  int answer_;
};

class HeldFileTest : public Win32FileCopyTest {
 protected:
  void SetUp() override {
    Win32FileCopyTest::SetUp();
    ASSERT_TRUE(WriteTextFile(data + "\\a.txt", "new a"));
    ASSERT_TRUE(WriteTextFile(data + "\\b.txt", "new b"));
    ASSERT_TRUE(WriteTextFile(Installed("b.txt"), "old b"));
    holder = CreateFileA(Installed("b.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    // Without this the test would prove nothing.
    ASSERT_FALSE(CopyFileA((data + "\\b.txt").c_str(), Installed("b.txt").c_str(), FALSE));
    ASSERT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
  }
  void TearDown() override {
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
  }

  HANDLE holder = INVALID_HANDLE_VALUE;
};

TEST_F(HeldFileTest, RetryAfterTheFileIsReleasedCopiesIt) {
  ReleasingBoxes releasing(holder, kIdRetry);

  EXPECT_TRUE(CopyPayload(With(releasing), kOwner, job));
  ASSERT_EQ(1u, releasing.shown.size());
  EXPECT_EQ("拷贝文件 " + Installed("b.txt") +
                " 失败，可能原因如下：\n\n1、AutoCAD未关闭\n\n2、系统权限未开放，请以管理者权限登陆系统",
            releasing.shown[0].text);
  EXPECT_EQ("Tessarune软件安装", releasing.shown[0].caption);
  EXPECT_EQ(kMbAbortRetryIgnore, releasing.shown[0].style);
  EXPECT_EQ("new a", ReadTextFile(Installed("a.txt")));
  EXPECT_EQ("new b", ReadTextFile(Installed("b.txt")));
}

TEST_F(HeldFileTest, IgnoreKeepsTheOldFileAndAbortStops) {
  boxes.Answer(kIdIgnore);
  EXPECT_TRUE(CopyPayload(Plain(), kOwner, job));
  EXPECT_EQ("new a", ReadTextFile(Installed("a.txt")));

  boxes.Answer(kIdAbort);
  EXPECT_FALSE(CopyPayload(Plain(), kOwner, job));
  EXPECT_EQ(2u, boxes.Shown().size());

  // The holder shares nothing, not even reading: look only once it has let go.
  CloseHandle(holder);
  holder = INVALID_HANDLE_VALUE;
  EXPECT_EQ("old b", ReadTextFile(Installed("b.txt")));
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
