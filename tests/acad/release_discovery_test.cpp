// Discovery of AutoCAD installations below HKEY_LOCAL_MACHINE.
#include <gtest/gtest.h>

#include "tests/acad/acad_registry_fixture.h"

namespace {

class ReleaseDiscoveryTest : public AcadRegistryTest {
 protected:
  void Discover() {
    table.DiscoverReleases(platform());
    EXPECT_EQ(registry.OpenHandles(), 0u) << "discovery left a registry key open";
  }
};

TEST_F(ReleaseDiscoveryTest, FilesAnInstallationUnderTheYearOfItsProductName) {
  AddInstallation(k64BitRoot + "R18.0\\ACAD-8001:804", "C:\\Program Files\\AutoCAD 2010\\",
                  "AutoCAD 2010 - 简体中文 (Simplified Chinese)");
  std::string before = registry.Dump(kHkeyLocalMachine);
  Discover();
  EXPECT_EQ(FoundYears(), "2010");
  EXPECT_EQ(Folders(2010), "C:\\Program Files\\AutoCAD 2010");
  EXPECT_EQ(Keys(2010), k64BitRoot + "R18.0\\ACAD-8001:804\\");
  EXPECT_EQ(registry.Dump(kHkeyLocalMachine), before) << "discovery only reads";
}

TEST_F(ReleaseDiscoveryTest, EmptyRegistryFindsNothing) {
  Discover();
  EXPECT_EQ(FoundYears(), "");
  for (int i = 0; i < kYearCount; ++i) EXPECT_TRUE(table.productKeys[i].empty());
}

TEST_F(ReleaseDiscoveryTest, YearIsTheLowestYearWhoseFirstOccurrenceIsAfterTheFirstCharacter) {
  struct Case {
    const char* productName;
    int year;  // 0: left out
  } cases[] = {
      {"AutoCAD 2008 (replaces 2007)", 2007},  // the lower year wins wherever it stands
      {"AutoCAD 2027", 2027},
      {"2010 AutoCAD", 0},          // a year at position 0 does not count
      {"2009 AutoCAD 2011", 2011},  // a later, different year still counts
      {"2010 AutoCAD 2010", 0},     // the first occurrence decides, not a later one
      {"2021AutoCAD 2021", 0},
      {"AutoCAD 2006", 0},
      {"AutoCAD 2028", 0},
      {"AutoCAD LT", 0},
      {"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.productName);
    machine.registry.RemoveTree(kHkeyLocalMachine, "SOFTWARE");
    table = AcadReleaseTable();
    AddInstallation(k64BitRoot + "R99\\P", "C:\\Acad", c.productName);
    Discover();
    EXPECT_EQ(FoundYears(), c.year == 0 ? "" : std::to_string(c.year));
  }
}

TEST_F(ReleaseDiscoveryTest, ThirtyTwoBitViewCountsFor2007To2010OnlyAndComesFirst) {
  AddInstallation(k64BitRoot + "R17.2\\ACAD-7001:804", "C:\\Acad64", "AutoCAD 2009");
  AddInstallation(k32BitRoot + "R17.2\\ACAD-7001:804", "C:\\Acad32", "AutoCAD 2009");
  AddInstallation(k32BitRoot + "R18.1\\ACAD-9001:804", "C:\\Acad2011x86", "AutoCAD 2011");
  AddInstallation(k32BitRoot + "R17.0\\ACAD-5001:804", "C:\\Acad2007x86", "AutoCAD 2007");
  Discover();
  EXPECT_EQ(FoundYears(), "2007 2009");
  EXPECT_EQ(Folders(2009), "C:\\Acad32|C:\\Acad64");
  EXPECT_EQ(Keys(2009), k32BitRoot + "R17.2\\ACAD-7001:804\\|" + k64BitRoot + "R17.2\\ACAD-7001:804\\");
  EXPECT_EQ(Keys(2007), k32BitRoot + "R17.0\\ACAD-5001:804\\");
}

TEST_F(ReleaseDiscoveryTest, InstallationsOfOneYearComeInEnumerationOrder) {
  // Created in reverse: the registry enumerates names in sorted order.
  AddInstallation(k64BitRoot + "R18.0\\ACAD-8002:804", "C:\\Map3D", "AutoCAD Map 3D 2010");
  AddInstallation(k64BitRoot + "R18.0\\ACAD-8001:804", "C:\\Acad", "AutoCAD 2010");
  AddInstallation(k64BitRoot + "R17.2\\ACAD-7005:804", "C:\\Mech", "AutoCAD Mechanical 2010");
  Discover();
  EXPECT_EQ(Folders(2010), "C:\\Mech|C:\\Acad|C:\\Map3D");
  EXPECT_EQ(Keys(2010), k64BitRoot + "R17.2\\ACAD-7005:804\\|" + k64BitRoot + "R18.0\\ACAD-8001:804\\|" +
                            k64BitRoot + "R18.0\\ACAD-8002:804\\");
}

TEST_F(ReleaseDiscoveryTest, NeedsBothValuesOnTheSameKey) {
  registry.SetText(kHkeyLocalMachine, k64BitRoot + "R18.0\\OnlyLocation", "AcadLocation", "C:\\A");
  registry.SetText(kHkeyLocalMachine, k64BitRoot + "R18.0\\OnlyName", "ProductName", "AutoCAD 2010");
  // Location on the product key, name one level below it: the location hides the name's key.
  registry.SetText(kHkeyLocalMachine, k64BitRoot + "R18.0\\Split", "AcadLocation", "C:\\B");
  registry.SetText(kHkeyLocalMachine, k64BitRoot + "R18.0\\Split\\Below", "ProductName", "AutoCAD 2010");
  Discover();
  EXPECT_EQ(FoundYears(), "");
}

TEST_F(ReleaseDiscoveryTest, WalksDownToAnyDepthButNotBelowAnInstallationKey) {
  AddInstallation(k64BitRoot + "R19.0\\Group\\Flavour\\ACAD-9001:804", "C:\\Deep", "AutoCAD 2013");
  AddInstallation(k64BitRoot + "R20.0\\ACAD-E001:804", "C:\\Outer", "AutoCAD 2015");
  AddInstallation(k64BitRoot + "R20.0\\ACAD-E001:804\\Inner", "C:\\Inner", "AutoCAD 2016");
  Discover();
  EXPECT_EQ(FoundYears(), "2013 2015");
  EXPECT_EQ(Keys(2013), k64BitRoot + "R19.0\\Group\\Flavour\\ACAD-9001:804\\");
  EXPECT_EQ(Folders(2015), "C:\\Outer");
}

TEST_F(ReleaseDiscoveryTest, RemovesOneTrailingBackslashMultibyteAware) {
  const std::string dbcs = "淺";  // GBK 9C 5C: its trail byte looks like a backslash
  ASSERT_EQ(dbcs, "\x9C\x5C");
  const std::string locations[] = {"D:\\AutoCAD\\\\", "C:\\", "\\", "C:\\" + dbcs, "C:\\" + dbcs + "\\", ""};
  const char* names[] = {"A1", "A2", "A3", "A4", "A5", "A6"};
  for (int i = 0; i < 6; ++i)
    AddInstallation(k64BitRoot + "R18.0\\" + names[i], locations[i], "AutoCAD 2010");
  Discover();
  EXPECT_EQ(Folders(2010), "D:\\AutoCAD\\|C:|\\|C:\\" + dbcs + "|C:\\" + dbcs + "|");
}

TEST_F(ReleaseDiscoveryTest, ReadsValuesUpTo520BytesWhateverTheirTypeAndTermination) {
  const std::string full(520, 'x');
  registry.SetRaw(kHkeyLocalMachine, k64BitRoot + "R18.0\\A1", "AcadLocation", kRegSz, full);  // no NUL
  registry.SetText(kHkeyLocalMachine, k64BitRoot + "R18.0\\A1", "ProductName", "AutoCAD 2010");
  registry.SetRaw(kHkeyLocalMachine, k64BitRoot + "R18.0\\A2", "AcadLocation", kRegExpandSz,
                  std::string("C:\\Two\0junk", 11));
  registry.SetRaw(kHkeyLocalMachine, k64BitRoot + "R18.0\\A2", "ProductName", kRegBinary, "AutoCAD 2010");
  // Too large for the buffer: counts as absent, so the walk looks below and finds the inner key.
  registry.SetRaw(kHkeyLocalMachine, k64BitRoot + "R18.0\\A3", "AcadLocation", kRegSz, std::string(521, 'y'));
  registry.SetText(kHkeyLocalMachine, k64BitRoot + "R18.0\\A3", "ProductName", "AutoCAD 2010");
  AddInstallation(k64BitRoot + "R18.0\\A3\\Inner", "C:\\Inner", "AutoCAD 2011");
  Discover();
  EXPECT_EQ(Folders(2010), full + "|C:\\Two");
  EXPECT_EQ(Folders(2011), "");
  EXPECT_EQ(FoundYears(), "2010");
}

TEST_F(ReleaseDiscoveryTest, PassesOverKeysThatCannotBeReadOrEnumerated) {
  AddInstallation(k64BitRoot + "R17.0\\ACAD-5001:804", "C:\\Skipped2007", "AutoCAD 2007");
  AddInstallation(k64BitRoot + "R17.1\\ACAD-6001:804", "C:\\Denied2008", "AutoCAD 2008");
  AddInstallation(k64BitRoot + "R17.2\\ACAD-7001:804", "C:\\Denied2009", "AutoCAD 2009");
  AddInstallation(k64BitRoot + "R17.2\\ACAD-7002:804", "C:\\Good2009", "AutoCAD 2009");
  AddInstallation(k64BitRoot + "R18.0\\ACAD-8001:804", "C:\\Unread2010", "AutoCAD 2010");
  AddInstallation(k64BitRoot + "R18.1\\ACAD-9001:804", "C:\\Skipped2011", "AutoCAD 2011");
  AddInstallation(k32BitRoot + "R18.0\\ACAD-8001:804", "C:\\Hidden32", "AutoCAD 2010");
  registry.FailEnum(kHkeyLocalMachine, "SOFTWARE\\Autodesk\\AutoCAD", 0);     // R17.0
  registry.DenyOpen(kHkeyLocalMachine, k64BitRoot + "R17.1");                 // a release key
  registry.DenyOpen(kHkeyLocalMachine, k64BitRoot + "R17.2\\ACAD-7001:804");  // a product key
  registry.FailQuery(kHkeyLocalMachine, k64BitRoot + "R18.0\\ACAD-8001:804", "ProductName");
  registry.DenyOpen(kHkeyLocalMachine, "SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD");  // the 32-bit root
  AddInstallation(k64BitRoot + "R18.1\\ACAD-9002:804", "C:\\Second2011", "AutoCAD 2011");
  registry.FailEnum(kHkeyLocalMachine, k64BitRoot + "R18.1", 0);  // inside a release key
  Discover();
  EXPECT_EQ(FoundYears(), "2009 2011");
  EXPECT_EQ(Folders(2009), "C:\\Good2009");
  EXPECT_EQ(Folders(2011), "C:\\Second2011");
}

}  // namespace
