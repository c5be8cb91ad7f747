// Demand-load entries below the product keys of the selected releases.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/acad/acad_registry_fixture.h"

namespace {

const std::string kFolder = "D:\\Tools\\Tessarune";

class DemandLoadRegistrationTest : public AcadRegistryTest {
 protected:
  int selected[kYearCount] = {};

  void Select(int year) { selected[year - kFirstYear] = 1; }

  void DiscoverAndRegister(int bitness = targetBitness) {
    table.DiscoverReleases(platform());
    table.RegisterSelectedReleases(platform(), selected, kFolder, bitness);
    EXPECT_EQ(registry.OpenHandles(), 0u) << "registration left a registry key open";
  }

  // "name=LOADER" for every entry below the product key's Applications key, in enumeration
  // order, after checking that each holds exactly LOADCTRLS (REG_DWORD 2) and LOADER (REG_SZ).
  std::string Entries(const std::string& productKey) {
    std::string apps = productKey + "\\Applications";
    std::string text;
    for (const std::string& name : registry.SubkeyNames(kHkeyLocalMachine, apps)) {
      std::string entry = apps + "\\" + name;
      uint32_t type = 0;
      std::string bytes;
      EXPECT_TRUE(registry.GetRaw(kHkeyLocalMachine, entry, "LOADCTRLS", &type, &bytes)) << entry;
      EXPECT_EQ(type, kRegDword) << entry;
      EXPECT_EQ(bytes, std::string("\x02\x00\x00\x00", 4)) << entry;
      EXPECT_TRUE(registry.GetRaw(kHkeyLocalMachine, entry, "LOADER", &type, &bytes)) << entry;
      EXPECT_EQ(type, kRegSz) << entry;
      EXPECT_TRUE(!bytes.empty() && bytes.back() == '\0')
          << entry << ": the terminator is stored with the text";
      EXPECT_EQ(registry.ValueNames(kHkeyLocalMachine, entry).size(), 2u) << entry;
      text += (text.empty() ? "" : " ") + name + "=" + registry.GetText(kHkeyLocalMachine, entry, "LOADER");
    }
    return text;
  }
};

TEST_F(DemandLoadRegistrationTest, EveryYearPointsToItsModuleBuild) {
  struct Expected {
    int year;
    const char* entries;  // with targetBitness 64
  } expected[] = {
      {2007, "Quilox2007=D:\\Tools\\Tessarune\\Quilox2008.ARX"},
      {2008, "Quilox2008=D:\\Tools\\Tessarune\\Quilox2008.ARX"},
      {2009,
       "Quilox2008=D:\\Tools\\Tessarune\\Quilox2008.ARX Quilox2009=D:\\Tools\\Tessarune\\Quilox2009.ARX"},
      {2010,
       "Quilox2010=D:\\Tools\\Tessarune\\Quilox2010.ARX "
       "Quilox2010_32=D:\\Tools\\Tessarune\\Quilox2010_32.ARX"},
      {2011, "Quilox2011=D:\\Tools\\Tessarune\\Quilox2010.ARX"},
      {2012, "Quilox2012=D:\\Tools\\Tessarune\\Quilox2010.ARX"},
      {2013, "Quilox2013=D:\\Tools\\Tessarune\\Quilox2013.ARX"},
      {2014, "Quilox2014=D:\\Tools\\Tessarune\\Quilox2013.ARX"},
      {2015, "Quilox2015=D:\\Tools\\Tessarune\\Quilox2015.ARX"},
      {2016, "Quilox2016=D:\\Tools\\Tessarune\\Quilox2015.ARX"},
      {2017, "Quilox2017=D:\\Tools\\Tessarune\\Quilox2017.ARX"},
      {2018, "Quilox2018=D:\\Tools\\Tessarune\\Quilox2018.ARX"},
      {2019, "Quilox2019=D:\\Tools\\Tessarune\\Quilox2019.ARX"},
      {2020, "Quilox2020=D:\\Tools\\Tessarune\\Quilox2019.ARX"},
      {2021, "Quilox2021=D:\\Tools\\Tessarune\\Quilox2021.ARX"},
      {2022, "Quilox2022=D:\\Tools\\Tessarune\\Quilox2021.ARX"},
      {2023, "Quilox2023=D:\\Tools\\Tessarune\\Quilox2021.ARX"},
      {2024, "Quilox2024=D:\\Tools\\Tessarune\\Quilox2021.ARX"},
      {2025, "Quilox2025=D:\\Tools\\Tessarune\\Quilox2025.ARX"},
      {2026, "Quilox2026=D:\\Tools\\Tessarune\\Quilox2025.ARX"},
      {2027, "Quilox2027=D:\\Tools\\Tessarune\\Quilox2027.ARX"},
  };
  for (const Expected& e : expected) {
    AddInstallation(k64BitRoot + "R" + std::to_string(e.year) + "\\ACAD", "C:\\Acad",
                    "AutoCAD " + std::to_string(e.year));
    Select(e.year);
  }
  DiscoverAndRegister();
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.year);
    EXPECT_EQ(Entries(k64BitRoot + "R" + std::to_string(e.year) + "\\ACAD"), e.entries);
  }
}

TEST_F(DemandLoadRegistrationTest, ThirtyTwoBitBuildWritesNoSecondEntries) {
  AddInstallation(k64BitRoot + "R17.2\\ACAD", "C:\\Acad2009", "AutoCAD 2009");
  AddInstallation(k64BitRoot + "R18.0\\ACAD", "C:\\Acad2010", "AutoCAD 2010");
  Select(2009);
  Select(2010);
  DiscoverAndRegister(32);
  EXPECT_EQ(Entries(k64BitRoot + "R17.2\\ACAD"), "Quilox2009=" + kFolder + "\\Quilox2009.ARX");
  EXPECT_EQ(Entries(k64BitRoot + "R18.0\\ACAD"), "Quilox2010=" + kFolder + "\\Quilox2010.ARX");
}

TEST_F(DemandLoadRegistrationTest, OnlyModulesThatWereInstalledAreRegistered) {
  AddInstallation(k64BitRoot + "R17.2\\ACAD", "C:\\Acad2009", "AutoCAD 2009");
  AddInstallation(k64BitRoot + "R18.0\\ACAD", "C:\\Acad2010", "AutoCAD 2010");
  AddInstallation(k64BitRoot + "R19.0\\ACAD", "C:\\Acad2013", "AutoCAD 2013");
  Select(2009);
  Select(2010);
  Select(2013);
  table.DiscoverReleases(platform());
  const StringList installed = {"quilox2008.arx", "Quilox2010_32.ARX", "readme.txt", "Quilox2013.ARX.bak"};
  table.RegisterSelectedReleases(platform(), selected, kFolder, 64, &installed);
  EXPECT_EQ(Entries(k64BitRoot + "R17.2\\ACAD"), "Quilox2008=" + kFolder + "\\Quilox2008.ARX");
  EXPECT_EQ(Entries(k64BitRoot + "R18.0\\ACAD"), "Quilox2010_32=" + kFolder + "\\Quilox2010_32.ARX");
  EXPECT_EQ(Entries(k64BitRoot + "R19.0\\ACAD"), "");
}

TEST_F(DemandLoadRegistrationTest, WritesBelowEveryProductKeyOfTheYearInBothViewsAndOnlySelectedYears) {
  const std::string keys[] = {k32BitRoot + "R18.0\\ACAD-8001:804", k64BitRoot + "R18.0\\ACAD-8001:804",
                              k64BitRoot + "R18.0\\ACAD-8002:804"};
  for (const std::string& key : keys) AddInstallation(key, "C:\\Acad", "AutoCAD 2010");
  AddInstallation(k64BitRoot + "R17.2\\ACAD-7001:804", "C:\\Acad2009", "AutoCAD 2009");
  Select(2010);
  DiscoverAndRegister();
  for (const std::string& key : keys) {
    EXPECT_EQ(Entries(key),
              "Quilox2010=" + kFolder + "\\Quilox2010.ARX Quilox2010_32=" + kFolder + "\\Quilox2010_32.ARX")
        << key;
  }
  EXPECT_FALSE(registry.HasKey(kHkeyLocalMachine, k64BitRoot + "R17.2\\ACAD-7001:804\\Applications"));
}

TEST_F(DemandLoadRegistrationTest, RerunLeavesOneSetOfEntriesWithoutForeignValues) {
  const std::string product = k64BitRoot + "R17.0\\ACAD";
  AddInstallation(product, "C:\\Acad", "AutoCAD 2007");
  registry.SetText(kHkeyLocalMachine, product + "\\Applications\\Quilox2007", "LOADER",
                   "X:\\Old\\Quilox2008.ARX");
  registry.SetText(kHkeyLocalMachine, product + "\\Applications\\Quilox2007", "DESCRIPTION",
                   "someone else's");
  registry.SetText(kHkeyLocalMachine, product + "\\Applications\\OtherAddIn", "LOADER", "X:\\Other.arx");
  Select(2007);
  DiscoverAndRegister();
  table.RegisterSelectedReleases(platform(), selected, kFolder);
  EXPECT_EQ(registry.SubkeyNames(kHkeyLocalMachine, product + "\\Applications"),
            (std::vector<std::string>{"OtherAddIn", "Quilox2007"}));
  EXPECT_EQ(registry.ValueNames(kHkeyLocalMachine, product + "\\Applications\\Quilox2007").size(), 2u);
  EXPECT_EQ(registry.GetText(kHkeyLocalMachine, product + "\\Applications\\Quilox2007", "LOADER"),
            kFolder + "\\Quilox2008.ARX");
  EXPECT_EQ(registry.GetText(kHkeyLocalMachine, product + "\\Applications\\OtherAddIn", "LOADER"),
            "X:\\Other.arx");
}

TEST_F(DemandLoadRegistrationTest, EntryWithSubkeysCannotBeDeletedAndIsReused) {
  const std::string entry = k64BitRoot + "R17.1\\ACAD\\Applications\\Quilox2008";
  AddInstallation(k64BitRoot + "R17.1\\ACAD", "C:\\Acad", "AutoCAD 2008");
  registry.SetText(kHkeyLocalMachine, entry, "DESCRIPTION", "kept");
  registry.SetText(kHkeyLocalMachine, entry, "LOADCTRLS", "wrong type");
  registry.AddKey(kHkeyLocalMachine, entry + "\\Commands");
  Select(2008);
  DiscoverAndRegister();
  EXPECT_EQ(registry.GetText(kHkeyLocalMachine, entry, "DESCRIPTION"), "kept");
  EXPECT_EQ(registry.GetText(kHkeyLocalMachine, entry, "LOADER"), kFolder + "\\Quilox2008.ARX");
  uint32_t type = 0;
  std::string bytes;
  ASSERT_TRUE(registry.GetRaw(kHkeyLocalMachine, entry, "LOADCTRLS", &type, &bytes));
  EXPECT_EQ(type, kRegDword);
}

TEST_F(DemandLoadRegistrationTest, PassesOverProductKeysThatVanishedOrCannotBeWritten) {
  AddInstallation(k64BitRoot + "R19.0\\ACAD-1", "C:\\Gone", "AutoCAD 2013");
  AddInstallation(k64BitRoot + "R19.0\\ACAD-2", "C:\\Locked", "AutoCAD 2013");
  AddInstallation(k64BitRoot + "R19.0\\ACAD-3", "C:\\Fine", "AutoCAD 2013");
  table.DiscoverReleases(platform());
  ASSERT_EQ(Folders(2013), "C:\\Gone|C:\\Locked|C:\\Fine");
  registry.RemoveTree(kHkeyLocalMachine, k64BitRoot + "R19.0\\ACAD-1");
  registry.DenyWrite(kHkeyLocalMachine, k64BitRoot + "R19.0\\ACAD-2");
  table.RegisterRelease(platform(), 2013, kFolder);
  EXPECT_EQ(registry.OpenHandles(), 0u);
  EXPECT_FALSE(registry.HasKey(kHkeyLocalMachine, k64BitRoot + "R19.0\\ACAD-1"))
      << "a vanished key is not recreated";
  EXPECT_FALSE(registry.HasKey(kHkeyLocalMachine, k64BitRoot + "R19.0\\ACAD-2\\Applications"));
  EXPECT_EQ(Entries(k64BitRoot + "R19.0\\ACAD-3"), "Quilox2013=" + kFolder + "\\Quilox2013.ARX");
}

TEST_F(DemandLoadRegistrationTest, NoSelectionWritesNoEntryButStillTrustsTheFolder) {
  AddInstallation(k64BitRoot + "R18.0\\ACAD", "C:\\Acad", "AutoCAD 2010");
  std::string variables = AddProfile("R18.0", "ACAD-8001:804", "<<Unnamed Profile>>", nullptr);
  std::string before = registry.Dump(kHkeyLocalMachine);
  DiscoverAndRegister();
  EXPECT_EQ(registry.Dump(kHkeyLocalMachine), before);
  EXPECT_EQ(registry.GetText(kHkeyCurrentUser, variables, "TRUSTEDPATHS"), kFolder);
}

TEST_F(DemandLoadRegistrationTest, LoaderTextLongerThan259CharactersIsNeverWrittenCutShort) {
  const std::string product = k64BitRoot + "R18.0\\ACAD";
  AddInstallation(product, "C:\\Acad", "AutoCAD 2010");
  registry.SetText(kHkeyLocalMachine, product + "\\Applications\\Quilox2010_32", "LOADER",
                   "C:\\Previous\\Quilox2010_32.ARX");
  Select(2010);
  table.DiscoverReleases(platform());
  // "\Quilox2010.ARX" makes exactly 259 characters; "\Quilox2010_32.ARX" three too many.
  const std::string folder = "C:\\" + std::string(241, 'f');
  table.RegisterSelectedReleases(platform(), selected, folder);
  std::string own = registry.GetText(kHkeyLocalMachine, product + "\\Applications\\Quilox2010", "LOADER");
  EXPECT_EQ(own.size(), 259u);
  EXPECT_EQ(own, folder + "\\Quilox2010.ARX");
  EXPECT_EQ(registry.GetText(kHkeyLocalMachine, product + "\\Applications\\Quilox2010_32", "LOADER"),
            "C:\\Previous\\Quilox2010_32.ARX")
      << "a skipped entry is left as it was";
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

}  // namespace
