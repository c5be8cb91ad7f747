// The real process list: Tool Help sees this test itself (Wine lists the processes of its own
// prefix only, which holds this one), and every snapshot handle is closed again.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <iterator>
#include <set>
#include <vector>

#include "platform/win32/win32_processes.h"

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The handle values open in this process (GetProcessHandleCount says 0 under Wine, so the
// handle table is probed slot by slot instead).
std::set<uintptr_t> OpenHandles() {
  std::set<uintptr_t> open;
  for (uintptr_t value = 4; value < 0x4000; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) open.insert(value);
  }
  return open;
}

std::vector<uintptr_t> Added(const std::set<uintptr_t>& before, const std::set<uintptr_t>& after) {
  std::vector<uintptr_t> added;
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
  return added;
}

TEST(Win32ProcessList, SeesThisTestsOwnExecutable) {
  Win32ProcessList list;
  std::unique_ptr<ProcessSnapshot> snapshot = list.Take();
  ASSERT_NE(nullptr, snapshot);
  std::vector<std::string> names;
  std::string name;
  for (bool more = snapshot->First(&name); more; more = snapshot->Next(&name)) names.push_back(Lower(name));
  EXPECT_NE(names.end(), std::find(names.begin(), names.end(), "platform_processes_win32_test.exe"))
      << names.size() << " processes listed";
  for (const std::string& n : names) EXPECT_EQ(std::string::npos, n.find('\\')) << "a file name, no folder: " << n;
}

TEST(Win32ProcessList, SnapshotHandleIsClosedWithTheSnapshot) {
  Win32ProcessList list;
  std::set<uintptr_t> before = OpenHandles();
  std::unique_ptr<ProcessSnapshot> snapshot = list.Take();
  ASSERT_NE(nullptr, snapshot);
  std::string name;
  ASSERT_TRUE(snapshot->First(&name));
  EXPECT_EQ(1u, Added(before, OpenHandles()).size()) << "an open snapshot holds one handle";
  snapshot.reset();
  EXPECT_TRUE(Added(before, OpenHandles()).empty()) << "destroying the snapshot closes it";
}

TEST(Win32ProcessList, RunWaitsForTheProgramAndGivesItsExitCode) {
  Win32ProcessList list;
  int exitCode = -1;
  EXPECT_EQ(0, list.Run("cmd.exe /c exit 1618", &exitCode));
  EXPECT_EQ(1618, exitCode);
  EXPECT_EQ(ERROR_FILE_NOT_FOUND, list.Run("\"C:\\Windows\\no such program.exe\" /S", &exitCode));
}

}  // namespace
