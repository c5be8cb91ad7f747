// What the log relies on from its file mechanics, checked against the in-memory twin and, in the
// Windows build, against the real file system in a fresh temporary folder.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/memory/memory_file_system.h"
#include "tests/memory/memory_log_files.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_log_files.h"
#endif

namespace {

struct Place {
  virtual ~Place() = default;
  virtual LogFiles& Logs() = 0;
  virtual FileSystem& Files() = 0;
  virtual std::string Root() = 0;
};

struct MemoryPlace : Place {
  MemoryFileSystem files;
  MemoryLogFiles logs{files};
  MemoryPlace() { files.AddFolder(Root()); }
  LogFiles& Logs() override { return logs; }
  FileSystem& Files() override { return files; }
  std::string Root() override { return "C:\\Work"; }
};

#ifdef _WIN32
struct Win32Place : Place {
  Win32FileSystem files;
  Win32LogFiles logs;
  std::string root;
  Win32Place() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root = std::string(temp) + "tessa-log-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(root.c_str(), nullptr);
  }
  ~Win32Place() override {
    for (const char* name : {"a.log", "~a.new", "b.txt"}) DeleteFileA((root + "\\" + name).c_str());
    RemoveDirectoryA(root.c_str());
  }
  LogFiles& Logs() override { return logs; }
  FileSystem& Files() override { return files; }
  std::string Root() override { return root; }
};
#endif

std::string Read(FileSystem& files, const std::string& path) {
  std::string bytes;
  return files.ReadFile(path, &bytes) == kOk ? bytes : "<none>";
}

void CheckPlace(Place& place) {
  FileSystem& files = place.Files();
  const std::string root = place.Root();
  long error = kOk;
  // Made under the temporary name, renamed over what was there, then appended to.
  ASSERT_EQ(kOk, files.WriteNewFile(root + "\\a.log", "earlier"));
  std::unique_ptr<LogFile> log = place.Logs().Create(root, "~a.new", "a.log", &error);
  ASSERT_NE(nullptr, log) << error;
  EXPECT_FALSE(files.Exists(root + "\\~a.new"));
  EXPECT_EQ(kOk, log->Append("one\r\n"));
  EXPECT_EQ(kOk, log->Append("two\r\n"));
  log.reset();
  EXPECT_EQ("one\r\ntwo\r\n", Read(files, root + "\\a.log"));

  // A temporary name already taken: nothing is written, what was there stays.
  ASSERT_EQ(kOk, files.WriteNewFile(root + "\\b.txt", "theirs"));
  EXPECT_EQ(nullptr, place.Logs().Create(root, "b.txt", "a.log", &error));
  EXPECT_EQ(kErrFileExists, error);
  EXPECT_EQ("theirs", Read(files, root + "\\b.txt"));
  EXPECT_EQ("one\r\ntwo\r\n", Read(files, root + "\\a.log"));

  // A folder that is not there, or a file.
  EXPECT_EQ(nullptr, place.Logs().Create(root + "\\missing", "~a.new", "a.log", &error));
  EXPECT_TRUE(IsNotFound(error)) << error;
  EXPECT_EQ(nullptr, place.Logs().Create(root + "\\b.txt", "~a.new", "a.log", &error));
  EXPECT_NE(kOk, error);
}

TEST(LogFilesContract, Memory) {
  MemoryPlace place;
  CheckPlace(place);
}

#ifdef _WIN32
TEST(LogFilesContract, Win32) {
  Win32Place place;
  CheckPlace(place);
}
#endif

}  // namespace
