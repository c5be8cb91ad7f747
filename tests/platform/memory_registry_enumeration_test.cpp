// Enumerating subkeys of the in-memory registry while keys come and go: the position it keeps
// between calls must never hand out a stale name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/memory/memory_registry.h"

namespace {

const char kParent[] = "SOFTWARE\\Parent";

std::string NameAt(MemoryRegistry& reg, RegHandle key, uint32_t index) {
  char name[256];
  uint32_t size = sizeof name;
  long rc = reg.EnumSubkey(key, index, name, &size);
  return rc == kOk ? std::string(name, size) : "error " + std::to_string(rc);
}

struct EnumerationTest : ::testing::Test {
  void SetUp() override {
    for (const char* name : {"B", "D", "F", "H"}) reg.AddKey(kHkeyLocalMachine, std::string(kParent) + "\\" + name);
    ASSERT_EQ(kOk, reg.Open(kHkeyLocalMachine, kParent, RegAccess::ReadWrite, &key));
  }
  void TearDown() override { reg.Close(key); }

  MemoryRegistry reg;
  RegHandle key = 0;
};

TEST_F(EnumerationTest, InOrderOutOfOrderAndRepeatedIndexesGiveTheSameNames) {
  EXPECT_EQ("B", NameAt(reg, key, 0));
  EXPECT_EQ("D", NameAt(reg, key, 1));
  EXPECT_EQ("H", NameAt(reg, key, 3));
  EXPECT_EQ("F", NameAt(reg, key, 2));  // backwards
  EXPECT_EQ("F", NameAt(reg, key, 2));  // again
  EXPECT_EQ("B", NameAt(reg, key, 0));
  EXPECT_EQ("error " + std::to_string(kErrNoMoreItems), NameAt(reg, key, 4));
  EXPECT_EQ("H", NameAt(reg, key, 3));
}

TEST_F(EnumerationTest, KeysAddedOrRemovedHalfWayShiftTheIndexes) {
  EXPECT_EQ("B", NameAt(reg, key, 0));
  EXPECT_EQ("D", NameAt(reg, key, 1));

  RegHandle added = 0;
  ASSERT_EQ(kOk, reg.Create(key, "C", &added));  // sorts before the position reached
  reg.Close(added);
  EXPECT_EQ("D", NameAt(reg, key, 2));
  EXPECT_EQ("F", NameAt(reg, key, 3));

  ASSERT_EQ(kOk, reg.Delete(key, "B"));
  EXPECT_EQ("F", NameAt(reg, key, 3 - 1));
  EXPECT_EQ("H", NameAt(reg, key, 3));

  reg.AddKey(kHkeyLocalMachine, std::string(kParent) + "\\A");  // seeding, not the interface
  EXPECT_EQ("F", NameAt(reg, key, 3));

  reg.RemoveTree(kHkeyLocalMachine, std::string(kParent) + "\\F");
  EXPECT_EQ("H", NameAt(reg, key, 3));
  EXPECT_EQ("error " + std::to_string(kErrNoMoreItems), NameAt(reg, key, 4));
}

TEST_F(EnumerationTest, TwoHandlesOnOneKeyEnumerateIndependently) {
  RegHandle other = 0;
  ASSERT_EQ(kOk, reg.Open(kHkeyLocalMachine, kParent, RegAccess::Read, &other));
  std::vector<std::string> first, second;
  for (uint32_t i = 0; i < 4; ++i) {
    first.push_back(NameAt(reg, key, i));
    second.push_back(NameAt(reg, other, 3 - i));
  }
  reg.Close(other);
  EXPECT_EQ((std::vector<std::string>{"B", "D", "F", "H"}), first);
  EXPECT_EQ((std::vector<std::string>{"H", "F", "D", "B"}), second);
}

TEST(MemoryRegistryEnumeration, AnEmptiedRootEnumeratesNothing) {
  MemoryRegistry reg;
  reg.AddKey(kHkeyCurrentUser, "Software\\A");
  reg.AddKey(kHkeyCurrentUser, "Software\\B");
  RegHandle software = 0;
  ASSERT_EQ(kOk, reg.Open(kHkeyCurrentUser, "Software", RegAccess::Read, &software));
  EXPECT_EQ("B", NameAt(reg, software, 1));
  reg.Close(software);
  EXPECT_EQ("Software", NameAt(reg, kHkeyCurrentUser, 0));
  reg.RemoveTree(kHkeyCurrentUser, "");
  EXPECT_EQ("error " + std::to_string(kErrNoMoreItems), NameAt(reg, kHkeyCurrentUser, 0));
}

}  // namespace
