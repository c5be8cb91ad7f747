// The in-memory process list: what the running-AutoCAD check is tested against.
#include <gtest/gtest.h>

#include "tests/memory/memory_processes.h"

namespace {

std::vector<std::string> ReadAll(ProcessSnapshot& snapshot) {
  std::vector<std::string> names;
  std::string name;
  for (bool more = snapshot.First(&name); more; more = snapshot.Next(&name)) names.push_back(name);
  return names;
}

TEST(MemoryProcessList, SnapshotListsTheNamesInOrderAndCountsWhatItHandsOut) {
  MemoryProcessList list;
  list.SetProcesses({"System", "explorer.exe", "acad.exe"});
  std::unique_ptr<ProcessSnapshot> snapshot = list.Take();
  ASSERT_NE(nullptr, snapshot);
  EXPECT_EQ((std::vector<std::string>{"System", "explorer.exe", "acad.exe"}), ReadAll(*snapshot));
  EXPECT_EQ(3u, list.EntriesRead());

  std::string name;
  EXPECT_FALSE(snapshot->Next(&name)) << "the end stays the end";
  ASSERT_TRUE(snapshot->First(&name)) << "First starts over";
  EXPECT_EQ("System", name);
  EXPECT_EQ(4u, list.EntriesRead());
}

TEST(MemoryProcessList, SnapshotKeepsTheListAsItWasWhenTaken) {
  MemoryProcessList list;
  list.SetProcesses({"acad.exe"});
  std::unique_ptr<ProcessSnapshot> snapshot = list.Take();
  list.SetProcesses({});
  EXPECT_EQ((std::vector<std::string>{"acad.exe"}), ReadAll(*snapshot));
  EXPECT_TRUE(ReadAll(*list.Take()).empty());
}

TEST(MemoryProcessList, SnapshotsCountAsOpenUntilDestroyed) {
  MemoryProcessList list;
  {
    std::unique_ptr<ProcessSnapshot> one = list.Take();
    std::unique_ptr<ProcessSnapshot> two = list.Take();
    EXPECT_EQ(2u, list.OpenSnapshots());
    EXPECT_EQ(2u, list.SnapshotsTaken());
  }
  EXPECT_EQ(0u, list.OpenSnapshots());
  EXPECT_EQ(2u, list.SnapshotsTaken());
}

TEST(MemoryProcessList, FailuresOfSnapshotAndFirstEntry) {
  MemoryProcessList list;
  list.SetProcesses({"acad.exe"});
  list.FailSnapshot(true);
  EXPECT_EQ(nullptr, list.Take());
  EXPECT_EQ(0u, list.SnapshotsTaken()) << "no handle to close";
  EXPECT_EQ(0u, list.OpenSnapshots());

  list.FailSnapshot(false);
  list.FailFirst(true);
  std::unique_ptr<ProcessSnapshot> snapshot = list.Take();
  ASSERT_NE(nullptr, snapshot);
  std::string name = "unchanged";
  EXPECT_FALSE(snapshot->First(&name));
  EXPECT_EQ("unchanged", name);
  EXPECT_EQ(0u, list.EntriesRead());
  EXPECT_EQ(1u, list.OpenSnapshots()) << "a failed First still leaves the snapshot to close";
}

}  // namespace
