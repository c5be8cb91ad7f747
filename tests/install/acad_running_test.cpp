#include <gtest/gtest.h>

#include "install/install.h"
#include "tests/memory/memory_platform.h"

namespace {

bool RunningWith(MemoryPlatform& m, const std::vector<std::string>& names) {
  m.processes.SetProcesses(names);
  return IsAcadRunning(m.platform());
}

TEST(IsAcadRunning, SeesAcadExeInAnyCaseAnywhereInTheNameAtACharacterStart) {
  struct Case {
    const char* name;
    bool running;
  } cases[] = {
      {"acad.exe", true},     {"ACAD.EXE", true},   {"myacad.exe", true}, {"acad.exe.tmp", true},
      {"中文ACAD.EXE", true}, {"acad.com", false},  {"acadlt.exe", false}, {"acad.ex", false},
      {"a cad.exe", false},   {"", false},
      // 0xB0 0x61 is one double-byte character whose trail byte is 'a': the bytes read "acad.exe"
      // from its second byte on, but no character sequence does.
      {"\xB0" "acad.exe", false}, {"\xB0" "ACAD.EXE", false}, {"\xB0\x61" "acad.exe", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryPlatform m;
    EXPECT_EQ(c.running, RunningWith(m, {"System", "explorer.exe", c.name, "svchost.exe"}));
    EXPECT_EQ(0u, m.processes.OpenSnapshots());
  }
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

}  // namespace
