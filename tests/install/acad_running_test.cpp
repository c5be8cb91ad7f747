#include <gtest/gtest.h>

#include "install/install.h"
#include "tests/memory/memory_platform.h"

namespace {

bool RunningWith(MemoryPlatform& m, const std::vector<std::string>& names) {
  m.processes.SetProcesses(names);
  return IsAcadRunning(m.platform());
}

TEST(IsAcadRunning, FindsAcadExeInAnyCaseAnywhereInTheName) {
  for (const char* name : {"acad.exe", "ACAD.EXE", "Acad.exe", "myacad.exe", "acad.exe.tmp",
                           "中文acad.exe", "中文ACAD.EXE"}) {
    SCOPED_TRACE(name);
    MemoryPlatform m;
    EXPECT_TRUE(RunningWith(m, {"System", "explorer.exe", name, "svchost.exe"}));
    EXPECT_EQ(0u, m.processes.OpenSnapshots());
  }
}

TEST(IsAcadRunning, IgnoresNamesThatDoNotHoldTheWholeText) {
  for (const char* name : {"acad.com", "acadlt.exe", "acad.ex", "acad_exe", "a cad.exe", ""}) {
    SCOPED_TRACE(name);
    MemoryPlatform m;
    EXPECT_FALSE(RunningWith(m, {"System", name}));
  }
}

TEST(IsAcadRunning, MatchesOnlyAtTheStartOfACharacter) {
  MemoryPlatform m;
  // 0xB0 0x61 is one double-byte character whose trail byte is 'a': the bytes read "acad.exe"
  // from its second byte on, but no character sequence does.
  EXPECT_FALSE(RunningWith(m, {"\xB0" "acad.exe"}));
  EXPECT_FALSE(RunningWith(m, {"\xB0" "ACAD.EXE"}));
  // After a whole double-byte character the text does count.
  EXPECT_TRUE(RunningWith(m, {"\xB0\x61" "acad.exe"}));
}

TEST(IsAcadRunning, StopsAtTheFirstMatchAndReadsEveryEntryOtherwise) {
  MemoryPlatform m;
  EXPECT_TRUE(RunningWith(m, {"a.exe", "acad.exe", "b.exe", "ACAD.EXE", "c.exe"}));
  EXPECT_EQ(2u, m.processes.EntriesRead());
  EXPECT_EQ(0u, m.processes.OpenSnapshots());

  MemoryPlatform none;
  EXPECT_FALSE(RunningWith(none, {"a.exe", "b.exe", "c.exe", "acadlt.exe"}));
  EXPECT_EQ(4u, none.processes.EntriesRead());
  EXPECT_EQ(1u, none.processes.SnapshotsTaken());
  EXPECT_EQ(0u, none.processes.OpenSnapshots());

  MemoryPlatform empty;
  EXPECT_FALSE(RunningWith(empty, {}));
  EXPECT_EQ(0u, empty.processes.OpenSnapshots());
}

TEST(IsAcadRunning, IsFalseWhenTheListCannotBeRead) {
  MemoryPlatform noSnapshot;
  noSnapshot.processes.FailSnapshot(true);
  EXPECT_FALSE(RunningWith(noSnapshot, {"acad.exe"}));
  EXPECT_EQ(0u, noSnapshot.processes.SnapshotsTaken());

  MemoryPlatform noFirst;
  noFirst.processes.FailFirst(true);
  EXPECT_FALSE(RunningWith(noFirst, {"acad.exe"}));
  EXPECT_EQ(1u, noFirst.processes.SnapshotsTaken());
  EXPECT_EQ(0u, noFirst.processes.OpenSnapshots());
  EXPECT_EQ(0u, noFirst.processes.EntriesRead());
}

TEST(IsAcadRunning, TakesANewSnapshotEveryTime) {
  MemoryPlatform m;
  EXPECT_TRUE(RunningWith(m, {"acad.exe"}));
  EXPECT_FALSE(RunningWith(m, {"notepad.exe"}));
  EXPECT_EQ(2u, m.processes.SnapshotsTaken());
}

}  // namespace
