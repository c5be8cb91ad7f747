// What only the in-memory registry offers: seeding, reading back, faults and handle counting.
// The Windows behaviour it shares with advapi32 is checked in registry_contract_test.cpp.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/memory/memory_registry.h"

namespace {

const RegHandle kHklm = kHkeyLocalMachine;
const char kAutodesk[] = "Software\\Autodesk\\AutoCAD";

long TryOpen(MemoryRegistry& reg, RegHandle parent, const std::string& path, RegAccess access) {
  RegHandle h = 0;
  long rc = reg.Open(parent, path, access, &h);
  if (rc == kOk) reg.Close(h);
  return rc;
}

TEST(MemoryRegistrySeeding, SeededKeysAndValuesReadBackThroughTheInterface) {
  MemoryRegistry reg;
  reg.SetText(kHklm, "Software\\Autodesk\\AutoCAD\\R17.1\\ACAD-6001:804", "AcadLocation", "C:\\CAD");
  reg.SetRaw(kHklm, kAutodesk, "Bits", kRegDword, std::string("\x40\0\0\0", 4));
  reg.AddKey(kHkeyCurrentUser, "Software\\Empty");

  EXPECT_TRUE(reg.HasKey(kHklm, "software\\AUTODESK\\autocad\\r17.1"));
  EXPECT_FALSE(reg.HasKey(kHkeyCurrentUser, kAutodesk));  // roots are separate
  EXPECT_TRUE(reg.HasKey(kHkeyCurrentUser, "Software\\Empty"));

  std::string bytes;
  uint32_t type = 0;
  ASSERT_TRUE(reg.GetRaw(kHklm, "Software\\Autodesk\\AutoCAD\\R17.1\\ACAD-6001:804", "acadlocation", &type, &bytes));
  EXPECT_EQ(kRegSz, type);
  EXPECT_EQ(std::string("C:\\CAD\0", 7), bytes);  // SetText stores the terminator

  RegHandle h = 0;
  ASSERT_EQ(kOk, reg.Open(kHklm, kAutodesk, RegAccess::Read, &h));
  unsigned char data[8];
  uint32_t size = sizeof data;
  ASSERT_EQ(kOk, reg.QueryValue(h, "Bits", &type, data, &size));
  EXPECT_EQ(kRegDword, type);
  EXPECT_EQ(4u, size);
  EXPECT_EQ(0x40, data[0]);
  reg.Close(h);
}

TEST(MemoryRegistrySeeding, ReadingBackShowsWhatTheLogicWrote) {
  MemoryRegistry reg;
  RegHandle h = 0;
  ASSERT_EQ(kOk, reg.Create(kHklm, "Software\\Quilox\\Applications\\Quilox18", &h));
  ASSERT_EQ(kOk, reg.SetString(h, "LOADER", "C:\\Quilox\\Tessarune\\a.arx"));
  ASSERT_EQ(kOk, reg.SetDword(h, "LOADCTRLS", 2));
  const unsigned char raw[] = {'n', 'o', 'n', 'u', 'l'};
  ASSERT_EQ(kOk, reg.SetValue(h, "Raw", kRegSz, raw, sizeof raw));
  reg.Close(h);

  const std::string key = "Software\\Quilox\\Applications\\Quilox18";
  EXPECT_EQ("C:\\Quilox\\Tessarune\\a.arx", reg.GetText(kHklm, key, "loader"));
  EXPECT_EQ("nonul", reg.GetText(kHklm, key, "Raw"));  // no terminator stored, none invented
  EXPECT_EQ("", reg.GetText(kHklm, key, "Missing"));
  std::string bytes;
  ASSERT_TRUE(reg.GetRaw(kHklm, key, "Raw", nullptr, &bytes));
  EXPECT_EQ(5u, bytes.size());
  EXPECT_FALSE(reg.GetRaw(kHklm, key, "Missing", nullptr, &bytes));

  EXPECT_EQ((std::vector<std::string>{"LOADCTRLS", "LOADER", "Raw"}), reg.ValueNames(kHklm, key));
  EXPECT_EQ(
      "Software\n"
      "Software\\Quilox\n"
      "Software\\Quilox\\Applications\n"
      "Software\\Quilox\\Applications\\Quilox18\n"
      "Software\\Quilox\\Applications\\Quilox18 : \"LOADCTRLS\" = dword:00000002\n"
      "Software\\Quilox\\Applications\\Quilox18 : \"LOADER\" = sz:\"C:\\Quilox\\Tessarune\\a.arx\"\n"
      "Software\\Quilox\\Applications\\Quilox18 : \"Raw\" = type1:6e,6f,6e,75,6c\n",
      reg.Dump(kHklm));
  EXPECT_EQ("", reg.Dump(kHkeyCurrentUser));
}

TEST(MemoryRegistrySeeding, SubkeyNamesComeInEnumerationOrder) {
  MemoryRegistry reg;
  for (const char* name : {"R19.0", "r17.1", "R18.2", "_Misc"}) reg.AddKey(kHklm, std::string(kAutodesk) + "\\" + name);
  EXPECT_EQ((std::vector<std::string>{"r17.1", "R18.2", "R19.0", "_Misc"}), reg.SubkeyNames(kHklm, kAutodesk));
  EXPECT_TRUE(reg.SubkeyNames(kHklm, "Software\\Nothing").empty());
}

TEST(MemoryRegistrySeeding, RemovedTreeLeavesOpenHandlesFailingNotDangling) {
  MemoryRegistry reg;
  reg.SetText(kHklm, "Software\\Gone\\Deep\\Deeper", "v", "x");
  RegHandle deeper = 0;
  ASSERT_EQ(kOk, reg.Open(kHklm, "Software\\Gone\\Deep\\Deeper", RegAccess::ReadWrite, &deeper));
  RegHandle gone = 0;
  ASSERT_EQ(kOk, reg.Open(kHklm, "Software\\Gone", RegAccess::Read, &gone));

  reg.RemoveTree(kHklm, "Software\\Gone");
  EXPECT_FALSE(reg.HasKey(kHklm, "Software\\Gone"));
  EXPECT_TRUE(reg.HasKey(kHklm, "Software"));

  unsigned char data[4];
  uint32_t size = sizeof data;
  EXPECT_EQ(kErrKeyDeleted, reg.QueryValue(deeper, "v", nullptr, data, &size));
  EXPECT_EQ(kErrKeyDeleted, reg.SetString(deeper, "v", "y"));
  char name[8];
  size = sizeof name;
  EXPECT_EQ(kErrKeyDeleted, reg.EnumSubkey(gone, 0, name, &size));
  RegHandle h = 0;
  EXPECT_EQ(kErrKeyDeleted, reg.Create(gone, "Deep", &h));
  EXPECT_FALSE(reg.HasKey(kHklm, "Software\\Gone\\Deep"));  // nothing revived under the old handle
  reg.Close(deeper);
  reg.Close(gone);
  EXPECT_EQ(0u, reg.OpenHandles());

  reg.RemoveTree(kHklm, "Software\\Never");  // missing: nothing happens
  reg.RemoveTree(kHklm, "");                 // a root is emptied, not removed
  EXPECT_EQ("", reg.Dump(kHklm));
  EXPECT_EQ(kOk, reg.Create(kHklm, "Software", &h));
  reg.Close(h);
}

TEST(MemoryRegistrySeeding, DoubledSeparatorsAreRefused) {
  MemoryRegistry reg;
  reg.AddKey(kHklm, "Software\\A\\B");
  RegHandle h = 0;
  // A path glued with a doubled backslash is a bug in the caller; real Windows versions differ here.
  EXPECT_EQ(kErrBadPathname, reg.Open(kHklm, "Software\\\\A", RegAccess::Read, &h));
  EXPECT_EQ(kErrBadPathname, reg.Create(kHklm, "Software\\A\\\\C", &h));
  EXPECT_FALSE(reg.HasKey(kHklm, "Software\\A\\C"));
  EXPECT_THROW(reg.AddKey(kHklm, "\\Software"), std::invalid_argument);
}

TEST(MemoryRegistryFaults, DenyOpenRefusesEveryOpenOfThatKeyOnly) {
  MemoryRegistry reg;
  reg.AddKey(kHklm, "Software\\Locked\\Inside");
  reg.DenyOpen(kHklm, "software\\LOCKED");

  EXPECT_EQ(kErrAccessDenied, TryOpen(reg, kHklm, "Software\\Locked", RegAccess::Read));
  EXPECT_EQ(kErrAccessDenied, TryOpen(reg, kHklm, "Software\\Locked", RegAccess::ReadWrite));
  RegHandle h = 0;
  EXPECT_EQ(kErrAccessDenied, reg.Create(kHklm, "Software\\Locked", &h));
  EXPECT_EQ(kErrAccessDenied, reg.Create(kHklm, "Software\\Locked\\New", &h));  // cannot add below it
  EXPECT_FALSE(reg.HasKey(kHklm, "Software\\Locked\\New"));
  // Passing through it to a key below is allowed, as on Windows.
  EXPECT_EQ(kOk, TryOpen(reg, kHklm, "Software\\Locked\\Inside", RegAccess::Read));
  EXPECT_EQ(kOk, reg.Delete(kHklm, "Software\\Locked\\Inside"));
  EXPECT_EQ(kErrAccessDenied, reg.Delete(kHklm, "Software\\Locked"));  // deleting needs it opened
  EXPECT_TRUE(reg.HasKey(kHklm, "Software\\Locked"));
  EXPECT_EQ(0u, reg.OpenHandles());
}

TEST(MemoryRegistryFaults, DenyWriteAllowsReadingOnly) {
  MemoryRegistry reg;
  reg.SetText(kHklm, "Software\\ReadOnly", "v", "old");
  reg.AddKey(kHklm, "Software\\ReadOnly\\Sub");
  reg.DenyWrite(kHklm, "Software\\ReadOnly");

  EXPECT_EQ(kOk, TryOpen(reg, kHklm, "Software\\ReadOnly", RegAccess::Read));
  EXPECT_EQ(kErrAccessDenied, TryOpen(reg, kHklm, "Software\\ReadOnly", RegAccess::ReadWrite));
  RegHandle h = 0;
  EXPECT_EQ(kErrAccessDenied, reg.Create(kHklm, "Software\\ReadOnly", &h));
  EXPECT_EQ(kErrAccessDenied, reg.Create(kHklm, "Software\\ReadOnly\\New\\Deeper", &h));
  EXPECT_FALSE(reg.HasKey(kHklm, "Software\\ReadOnly\\New"));
  // Its existing subkeys are keys of their own.
  EXPECT_EQ(kOk, TryOpen(reg, kHklm, "Software\\ReadOnly\\Sub", RegAccess::ReadWrite));

  // A handle opened for reading (or obtained otherwise) still cannot set values.
  ASSERT_EQ(kOk, reg.Open(kHklm, "Software\\ReadOnly", RegAccess::Read, &h));
  EXPECT_EQ(kErrAccessDenied, reg.SetString(h, "v", "new"));
  reg.Close(h);
  EXPECT_EQ("old", reg.GetText(kHklm, "Software\\ReadOnly", "v"));

  ASSERT_EQ(kOk, reg.Delete(kHklm, "Software\\ReadOnly\\Sub"));
  EXPECT_EQ(kErrAccessDenied, reg.Delete(kHklm, "Software\\ReadOnly"));
  EXPECT_TRUE(reg.HasKey(kHklm, "Software\\ReadOnly"));
}

TEST(MemoryRegistryFaults, FaultsNamedBeforeTheKeyExistsApplyOnceItIs) {
  MemoryRegistry reg;
  reg.DenyWrite(kHklm, "Software\\Later");
  RegHandle h = 0;
  EXPECT_EQ(kErrAccessDenied, reg.Create(kHklm, "Software\\Later", &h));
  EXPECT_FALSE(reg.HasKey(kHklm, "Software\\Later"));
  EXPECT_FALSE(reg.HasKey(kHklm, "Software"));  // a refused create leaves no level behind
  reg.AddKey(kHklm, "Software\\Later");
  EXPECT_EQ(kErrAccessDenied, TryOpen(reg, kHklm, "Software\\Later", RegAccess::ReadWrite));
}

TEST(MemoryRegistryFaults, FailQueryHitsOneValueOfOneKey) {
  MemoryRegistry reg;
  reg.SetText(kHklm, kAutodesk, "ProductName", "AutoCAD 2010");
  reg.SetText(kHklm, kAutodesk, "AcadLocation", "C:\\CAD");
  reg.SetText(kHklm, "Software\\Other", "ProductName", "x");
  reg.FailQuery(kHklm, kAutodesk, "productname");

  RegHandle h = 0;
  ASSERT_EQ(kOk, reg.Open(kHklm, kAutodesk, RegAccess::Read, &h));
  unsigned char data[32];
  uint32_t size = sizeof data;
  long rc = reg.QueryValue(h, "ProductName", nullptr, data, &size);
  EXPECT_NE(kOk, rc);
  EXPECT_NE(kErrMoreData, rc);
  size = 0;
  EXPECT_NE(kOk, reg.QueryValue(h, "ProductName", nullptr, nullptr, &size));  // asking the size fails too
  size = sizeof data;
  EXPECT_EQ(kOk, reg.QueryValue(h, "AcadLocation", nullptr, data, &size));
  reg.Close(h);

  ASSERT_EQ(kOk, reg.Open(kHklm, "Software\\Other", RegAccess::Read, &h));
  size = sizeof data;
  EXPECT_EQ(kOk, reg.QueryValue(h, "ProductName", nullptr, data, &size));
  reg.Close(h);
}

TEST(MemoryRegistryFaults, FailEnumHitsOneIndex) {
  MemoryRegistry reg;
  for (const char* name : {"A", "B", "C"}) reg.AddKey(kHklm, std::string(kAutodesk) + "\\" + name);
  reg.FailEnum(kHklm, kAutodesk, 1);

  RegHandle h = 0;
  ASSERT_EQ(kOk, reg.Open(kHklm, kAutodesk, RegAccess::Read, &h));
  char name[16];
  uint32_t size = sizeof name;
  EXPECT_EQ(kOk, reg.EnumSubkey(h, 0, name, &size));
  size = sizeof name;
  long rc = reg.EnumSubkey(h, 1, name, &size);
  EXPECT_NE(kOk, rc);
  EXPECT_NE(kErrNoMoreItems, rc);
  size = sizeof name;
  EXPECT_EQ(kOk, reg.EnumSubkey(h, 2, name, &size));
  EXPECT_STREQ("C", name);
  reg.Close(h);
}

TEST(MemoryRegistryCounting, OpenHandlesCountsWhatIsOpenNow) {
  MemoryRegistry reg;
  reg.AddKey(kHklm, kAutodesk);
  EXPECT_EQ(0u, reg.OpenHandles());

  RegHandle a = 0, b = 0, c = 0;
  ASSERT_EQ(kOk, reg.Open(kHklm, kAutodesk, RegAccess::Read, &a));
  ASSERT_EQ(kOk, reg.Create(kHklm, "Software\\New", &b));
  ASSERT_EQ(kOk, reg.Open(a, "", RegAccess::Read, &c));
  EXPECT_EQ(3u, reg.OpenHandles());

  RegHandle failed = 0;
  EXPECT_EQ(kErrFileNotFound, reg.Open(kHklm, "Software\\Missing", RegAccess::Read, &failed));
  EXPECT_EQ(3u, reg.OpenHandles());

  reg.Close(kHklm);  // roots are not counted and not closable
  reg.Close(a);
  reg.Close(a);  // twice: harmless
  EXPECT_EQ(2u, reg.OpenHandles());
  reg.Close(b);
  reg.Close(c);
  EXPECT_EQ(0u, reg.OpenHandles());

  // A closed handle is dead, not recycled for another key.
  uint32_t count = 0;
  EXPECT_EQ(kErrInvalidHandle, reg.SubkeyCount(a, &count));
  {
    RegKey key(reg);
    ASSERT_EQ(kOk, key.Open(kHklm, kAutodesk, RegAccess::Read));
    EXPECT_NE(a, key.Handle());
  }
  EXPECT_EQ(0u, reg.OpenHandles());
}

TEST(MemoryRegistryCounting, CallsCountsEveryInterfaceOperation) {
  MemoryRegistry reg;
  reg.AddKey(kHklm, kAutodesk);  // seeding is not counted
  reg.SetText(kHklm, kAutodesk, "v", "x");
  EXPECT_EQ(0u, reg.Calls());

  RegHandle h = 0;
  reg.Open(kHklm, kAutodesk, RegAccess::ReadWrite, &h);
  uint32_t n = 0;
  reg.SubkeyCount(h, &n);
  char name[8];
  n = sizeof name;
  reg.EnumSubkey(h, 0, name, &n);
  n = 0;
  reg.QueryValue(h, "v", nullptr, nullptr, &n);
  reg.SetDword(h, "d", 1);
  RegHandle c = 0;
  reg.Create(h, "C", &c);
  reg.Close(c);
  reg.Delete(h, "C");
  reg.Close(h);
  reg.Open(kHklm, "Missing", RegAccess::Read, &h);  // failures count too
  EXPECT_EQ(10u, reg.Calls());
  reg.HasKey(kHklm, kAutodesk);
  reg.Dump(kHklm);
  EXPECT_EQ(10u, reg.Calls());
}

}  // namespace
