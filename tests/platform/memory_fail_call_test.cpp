// FailCall of the in-memory registry and file system: exactly the chosen call fails, with the
// error Windows gives for it, and every other call behaves as without it.
#include <gtest/gtest.h>

#include <string>

#include "tests/memory/memory_file_system.h"
#include "tests/memory/memory_registry.h"

namespace {

const char kKey[] = "SOFTWARE\\Autodesk";

TEST(MemoryRegistryFailCall, FailsOnlyTheChosenCallWithAccessDenied) {
  MemoryRegistry reg;
  reg.SetText(kHkeyLocalMachine, kKey, "v", "x");
  reg.AddKey(kHkeyLocalMachine, std::string(kKey) + "\\Sub");
  reg.FailCall(3);

  RegHandle h = 0;
  ASSERT_EQ(kOk, reg.Open(kHkeyLocalMachine, kKey, RegAccess::ReadWrite, &h));  // 1
  uint32_t count = 0;
  EXPECT_EQ(kOk, reg.SubkeyCount(h, &count));  // 2
  EXPECT_EQ(1u, count);
  EXPECT_TRUE(reg.FailedCall().empty());
  EXPECT_EQ(kErrAccessDenied, reg.SetString(h, "v", "new"));  // 3
  EXPECT_EQ("SetValue v", reg.FailedCall());
  EXPECT_EQ("x", reg.GetText(kHkeyLocalMachine, kKey, "v"));  // the failed write changed nothing
  EXPECT_EQ(kOk, reg.SetString(h, "v", "new"));                // 4: only once
  EXPECT_EQ("new", reg.GetText(kHkeyLocalMachine, kKey, "v"));
  reg.Close(h);
  EXPECT_EQ(0u, reg.OpenHandles());
}

TEST(MemoryRegistryFailCall, EveryKindOfCallCanFailButClose) {
  // Call numbers 1 to 7: Open, SubkeyCount, EnumSubkey, QueryValue, Create, Close, Delete.
  const char* const failed[] = {"Open SOFTWARE\\Autodesk", "SubkeyCount ", "EnumSubkey ", "QueryValue v",
                                "Create New", "", "Delete New"};
  for (size_t number = 1; number <= 7; ++number) {
    MemoryRegistry reg;
    reg.SetText(kHkeyLocalMachine, kKey, "v", "x");
    reg.AddKey(kHkeyLocalMachine, std::string(kKey) + "\\Sub");
    reg.FailCall(number);

    long rc[8] = {};
    RegHandle h = 0, c = 0;
    rc[1] = reg.Open(kHkeyLocalMachine, kKey, RegAccess::ReadWrite, &h);
    if (rc[1] != kOk) h = kHkeyLocalMachine;  // the root: the calls below still have a key
    uint32_t n = 0;
    rc[2] = reg.SubkeyCount(h, &n);
    char name[64];
    n = sizeof name;
    rc[3] = reg.EnumSubkey(h, 0, name, &n);
    n = 0;
    rc[4] = reg.QueryValue(h, "v", nullptr, nullptr, &n);
    rc[5] = reg.Create(h, "New", &c);
    reg.Close(c);
    rc[7] = reg.Delete(h, "New");
    reg.Close(h);

    EXPECT_EQ(failed[number - 1], reg.FailedCall()) << number;
    if (number != 6) {
      EXPECT_EQ(kErrAccessDenied, rc[number]) << number;
    }
    // The calls after it see the registry as it was: only a failed Open sends them to the root.
    for (size_t i = number + 1; i <= 7 && number != 1; ++i) {
      if (i != 6 && !(number == 5 && i == 7)) {
        EXPECT_EQ(kOk, rc[i]) << number << " then " << i;
      }
    }
    EXPECT_EQ(number == 5, !reg.HasKey(kHkeyLocalMachine, std::string(kKey) + "\\New") &&
                               rc[7] == kErrFileNotFound) << number;
    EXPECT_EQ(0u, reg.OpenHandles()) << number;
  }
}

TEST(MemoryRegistryFailCall, ZeroTurnsItOff) {
  MemoryRegistry reg;
  reg.AddKey(kHkeyLocalMachine, kKey);
  reg.FailCall(1);
  reg.FailCall(0);
  RegHandle h = 0;
  EXPECT_EQ(kOk, reg.Open(kHkeyLocalMachine, kKey, RegAccess::Read, &h));
  reg.Close(h);
  EXPECT_TRUE(reg.FailedCall().empty());
}

TEST(MemoryFileSystemFailCall, EachOperationFailsAsWindowsFailsIt) {
  auto fresh = [](MemoryFileSystem& fs) {
    fs.AddFile("C:\\a.txt", "a", kAttrReadOnly);
    fs.AddStream("C:\\a.txt", "Zone.Identifier", "z");
  };
  for (size_t number = 1; number <= 7; ++number) {
    MemoryFileSystem fs;
    fresh(fs);
    fs.FailCall(number);
    const bool copied = fs.Copy("C:\\a.txt", "C:\\b.txt", false) == kOk;                   // 1
    const bool made = fs.MakeDirectory("C:\\d") == kOk;                                     // 2
    const uint32_t attributes = fs.Attributes("C:\\a.txt");                                 // 3
    const bool set = fs.SetAttributes("C:\\a.txt", kAttrArchive) == kOk;                    // 4
    const bool removed = fs.Remove("C:\\a.txt:Zone.Identifier") == kOk;                     // 5
    FindEntry entry;
    std::unique_ptr<DirListing> listing = fs.FindFirst("C:\\*.*", &entry);                  // 6
    const bool next = listing && listing->Next(&entry);                                     // 7

    EXPECT_EQ(number != 1, copied) << number;
    EXPECT_EQ(number != 1, fs.IsFile("C:\\b.txt")) << number;
    EXPECT_EQ(number != 2, made) << number;
    EXPECT_EQ(number != 2, fs.IsFolder("C:\\d")) << number;
    EXPECT_EQ(number == 3 ? kInvalidAttributes : kAttrReadOnly, attributes) << number;
    EXPECT_EQ(number != 4, set) << number;
    // A file still read-only keeps its stream too.
    EXPECT_EQ(number != 4 && number != 5, removed) << number;
    EXPECT_EQ(number == 4 || number == 5, fs.HasStream("C:\\a.txt", "Zone.Identifier")) << number;
    EXPECT_EQ(number != 6, listing != nullptr) << number;
    EXPECT_EQ(number < 6, next) << number;
    EXPECT_FALSE(fs.FailedCall().empty()) << number;
  }
}

TEST(MemoryFileSystemFailCall, AListingBreaksOffForGoodAtTheFailedNext) {
  MemoryFileSystem fs;
  for (const char* name : {"a", "b", "c", "d"}) fs.AddFile(std::string("C:\\F\\") + name, name);
  FindEntry entry;
  std::unique_ptr<DirListing> listing = fs.FindFirst("C:\\F\\*.*", &entry);  // call 1: "."
  ASSERT_TRUE(listing);
  EXPECT_EQ(".", entry.name);
  fs.FailCall(fs.Calls() + 3);
  EXPECT_TRUE(listing->Next(&entry));  // ".."
  EXPECT_TRUE(listing->Next(&entry));  // "a"
  EXPECT_EQ("a", entry.name);
  EXPECT_FALSE(listing->Next(&entry));  // breaks off here
  EXPECT_EQ("Next", fs.FailedCall());
  EXPECT_EQ(kErrAccessDenied, listing->Error()) << "not the end of the listing";
  EXPECT_FALSE(listing->Next(&entry));  // and stays broken
  EXPECT_EQ(kErrAccessDenied, listing->Error());
  EXPECT_EQ(5u, fs.Calls());
}

TEST(MemoryFileSystemFailCall, PathsThatCannotFailStillCount) {
  MemoryFileSystem fs;
  fs.FailCall(1);
  EXPECT_EQ("C:\\Setup\\SetUp.exe", fs.ModulePath());
  EXPECT_EQ("C:\\", fs.CurrentDir());
  EXPECT_EQ(2u, fs.Calls());
  EXPECT_TRUE(fs.FailedCall().empty());
}

}  // namespace
