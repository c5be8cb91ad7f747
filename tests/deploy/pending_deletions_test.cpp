// The restart operations an install cancels before it writes into its record folder again.
#include "deploy/pending_deletions.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/utf16.h"
#include "tests/memory/memory_platform.h"

namespace {

const char kFolder[] = "C:\\Program Files\\Quilox\\Tessarune Setup";

// Pairs as MoveFileEx writes them, UTF-16 each ended by a NUL, then `tail`.
std::string List(const std::vector<std::pair<std::string, std::string>>& pairs, const std::string& tail = std::string(2, '\0')) {
  std::string list;
  for (const auto& pair : pairs) list += Utf16FromUtf8(pair.first + '\0' + pair.second + '\0');
  return list + tail;
}

TEST(PendingDeletions, OnlyThePairsOfTheFolderGoTheRestStaysByteForByte) {
  const std::pair<std::string, std::string> ours = {"\\??\\C:\\Program Files\\Quilox\\Tessarune Setup", ""};
  const std::pair<std::string, std::string> oursInOtherCase = {"\\??\\c:\\PROGRAM FILES\\quilox\\tessarune setup\\SetUp.exe", ""};
  const std::pair<std::string, std::string> beside = {"\\??\\C:\\Program Files\\Quilox\\Tessarune Setup2\\x", ""};
  const std::pair<std::string, std::string> renamedInto = {"\\??\\C:\\Temp\\a", "!\\??\\C:\\Program Files\\Quilox\\Tessarune Setup\\a"};
  const std::pair<std::string, std::string> chinese = {u8"\\??\\D:\\软件\\旧.dll", u8"\\??\\D:\\软件\\新.dll"};
  struct Case {
    const char* name;
    std::string list;
    std::string expected;
    size_t removed;
  } cases[] = {
      {"the folder and a file in it", List({ours, beside, oursInOtherCase, chinese}), List({beside, chinese}), 2},
      {"a rename into it is another's", List({renamedInto}), List({renamedInto}), 0},
      {"without a final NUL", List({chinese, ours}, ""), List({chinese}, ""), 1},
      {"a tail that is no pair", List({ours}, std::string("\0\0x\0\0", 5)), List({}, std::string("\0\0x\0\0", 5)), 1},
      {"a path cut off", List({chinese}, Utf16FromUtf8("\\??\\C:\\Program Files\\Quilox\\Tessarune Setup")),
       List({chinese}, Utf16FromUtf8("\\??\\C:\\Program Files\\Quilox\\Tessarune Setup")), 0},
      {"an odd byte", List({ours}, std::string("\0\0\0", 3)), std::string("\0\0\0", 3), 1},
      {"empty", "", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    size_t removed = 99;
    EXPECT_EQ(c.expected, WithoutPendingOperationsIn(c.list, kFolder, &removed));
    EXPECT_EQ(c.removed, removed);
  }
}

// Through the registry: the value keeps its other pairs, and goes when none is left.
TEST(PendingDeletions, CancelledInTheSessionManagersList) {
  const std::pair<std::string, std::string> ours = {"\\??\\C:\\Program Files\\Quilox\\Tessarune Setup\\SetUp.exe", ""};
  const std::pair<std::string, std::string> other = {"\\??\\C:\\Windows\\Temp\\x.tmp", ""};
  for (const bool othersToo : {true, false}) {
    SCOPED_TRACE(othersToo ? "with another pair" : "alone");
    MemoryPlatform m;
    RegKey key(m.registry);
    ASSERT_EQ(kOk, key.Create(kHkeyLocalMachine, kSessionManagerKey));
    const std::string list = othersToo ? List({other, ours}) : List({ours});
    ASSERT_EQ(kOk, m.registry.SetWideValue(key.Handle(), kPendingOperationsValue, kRegMultiSz, list));
    InstallReport report;
    CancelPendingOperationsIn(m.registry, m.codePage, kFolder, report);
    uint32_t type = 0;
    std::string now;
    const long rc = m.registry.GetWideBytes(key.Handle(), kPendingOperationsValue, &type, &now);
    if (othersToo) {
      ASSERT_EQ(kOk, rc);
      EXPECT_EQ(List({other}), now);
    } else {
      EXPECT_EQ(kErrFileNotFound, rc);
    }
    ASSERT_EQ(1u, report.Lines().size());
    EXPECT_EQ(std::string("restart operations on ") + kFolder + " cancelled: 1", report.Lines()[0]);
  }
}

}  // namespace
