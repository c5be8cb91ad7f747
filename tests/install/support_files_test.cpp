#include <gtest/gtest.h>

#include "install/install.h"
#include "install_test_support.h"
#include "tests/memory/memory_platform.h"

namespace {

int Index(int year) { return year - kFirstYear; }

class SupportFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m.files.AddDrive('D');
    m.files.SetModulePath("D:\\Dist\\SetUp.exe");
    m.files.AddFile("D:\\Dist\\Data\\Quilox_EN.shx", "en font");
    m.files.AddFile("D:\\Dist\\Data\\Quilox_HZ.shx", "hz font");
    m.files.AddFile("D:\\Dist\\Data\\Quilox.prt5", "driver");
  }

  // An AutoCAD installation with its own Fonts and Drv folders.
  std::string AddAcad(int year, const std::string& folder) {
    m.files.AddFile(folder + "\\Fonts\\txt.shx", "acad font");
    m.files.AddFile(folder + "\\Drv\\pdfplot9.hdi", "acad driver");
    table.acadFolders[Index(year)].push_back(folder);
    return folder;
  }

  void Install() { InstallSupportFiles(m.platform(), kOwner, table, selected); }

  bool HasFonts(const std::string& folder) const {
    return m.files.Content(folder + "\\Fonts\\Quilox_EN.shx") == "en font" &&
           m.files.Content(folder + "\\Fonts\\Quilox_HZ.shx") == "hz font";
  }

  MemoryPlatform m;
  AcadReleaseTable table;
  int selected[kYearCount] = {};
};

TEST_F(SupportFilesTest, Release2008GetsTheFontsAndThePlotterDriver) {
  const std::string acad = AddAcad(2008, "C:\\Program Files\\AutoCAD 2008");
  selected[Index(2008)] = 1;

  Install();
  EXPECT_TRUE(HasFonts(acad));
  EXPECT_EQ("driver", m.files.Content(acad + "\\Drv\\pdfplot9.hdi"));
  EXPECT_TRUE(m.boxes.Shown().empty());
}

TEST_F(SupportFilesTest, OtherReleasesGetTheFontsOnly) {
  const std::string acad2007 = AddAcad(2007, "C:\\Program Files\\AutoCAD 2007");
  const std::string acad2010 = AddAcad(2010, "C:\\Program Files\\AutoCAD 2010");
  const std::string acad2027 = AddAcad(2027, "C:\\Program Files\\AutoCAD 2027");
  selected[Index(2007)] = 1;
  selected[Index(2010)] = 1;
  selected[Index(2027)] = 7;  // any non-zero value means ticked

  Install();
  for (const std::string& acad : {acad2007, acad2010, acad2027}) {
    SCOPED_TRACE(acad);
    EXPECT_TRUE(HasFonts(acad));
    EXPECT_EQ("acad driver", m.files.Content(acad + "\\Drv\\pdfplot9.hdi"));
    EXPECT_EQ(std::vector<std::string>{"pdfplot9.hdi"}, m.files.Names(acad + "\\Drv"));
  }
}

TEST_F(SupportFilesTest, OnlyTickedYearsAreServed) {
  const std::string acad2008 = AddAcad(2008, "C:\\AutoCAD 2008");
  const std::string acad2010 = AddAcad(2010, "C:\\AutoCAD 2010");
  selected[Index(2010)] = 1;
  selected[Index(2011)] = 1;  // ticked but not found: nothing to do

  Install();
  EXPECT_TRUE(HasFonts(acad2010));
  EXPECT_FALSE(m.files.IsFile(acad2008 + "\\Fonts\\Quilox_EN.shx"));
  EXPECT_EQ("acad driver", m.files.Content(acad2008 + "\\Drv\\pdfplot9.hdi"));
}

TEST_F(SupportFilesTest, EveryInstallationOfAYearIsServed) {
  const std::string x86 = AddAcad(2008, "C:\\Program Files (x86)\\AutoCAD 2008");
  const std::string x64 = AddAcad(2008, "C:\\Program Files\\AutoCAD 2008");
  selected[Index(2008)] = 1;

  Install();
  for (const std::string& acad : {x86, x64}) {
    SCOPED_TRACE(acad);
    EXPECT_TRUE(HasFonts(acad));
    EXPECT_EQ("driver", m.files.Content(acad + "\\Drv\\pdfplot9.hdi"));
  }
}

TEST_F(SupportFilesTest, FontsAndDrvFoldersThatAreLinksAreNotFollowed) {
  struct Case {
    const char* acad;
    uint32_t tag;
    bool followed;
  } cases[] = {
      {"C:\\Junction 2008", 0xA0000003, false},
      {"C:\\Symlink 2008", 0xA000000C, false},
      {"C:\\Cloud 2008", 0x9000601A, true},  // a placeholder stands for the folder itself
  };
  for (const Case& c : cases) {
    m.files.AddReparsePoint(std::string(c.acad) + "\\Fonts", c.tag);
    m.files.AddReparsePoint(std::string(c.acad) + "\\Drv", c.tag);
    table.acadFolders[Index(2008)].push_back(c.acad);
  }
  selected[Index(2008)] = 1;

  Install();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.acad);
    EXPECT_EQ(c.followed, HasFonts(c.acad));
    EXPECT_EQ(c.followed, m.files.IsFile(std::string(c.acad) + "\\Drv\\pdfplot9.hdi"));
  }
}

TEST_F(SupportFilesTest, MissingFoldersAndReadOnlyFilesAreLeftAsTheyWere) {
  m.files.AddFolder("C:\\Bare 2008");
  table.acadFolders[Index(2008)].push_back("C:\\Bare 2008");
  const std::string guarded = AddAcad(2009, "C:\\Guarded 2009");
  m.files.AddFile(guarded + "\\Fonts\\Quilox_EN.shx", "old en", kAttrReadOnly);
  selected[Index(2008)] = 1;
  selected[Index(2009)] = 1;

  Install();
  EXPECT_TRUE(m.files.Names("C:\\Bare 2008").empty());
  EXPECT_EQ("old en", m.files.Content(guarded + "\\Fonts\\Quilox_EN.shx"));
  EXPECT_NE(0u, m.files.Attributes(guarded + "\\Fonts\\Quilox_EN.shx") & kAttrReadOnly);
  EXPECT_EQ("hz font", m.files.Content(guarded + "\\Fonts\\Quilox_HZ.shx"));
  EXPECT_TRUE(m.boxes.Shown().empty());
}

TEST_F(SupportFilesTest, MissingSourceShowsItsMessageForEveryInstallation) {
  const std::string first = AddAcad(2008, "C:\\AutoCAD 2008");
  const std::string second = AddAcad(2010, "C:\\AutoCAD 2010");
  m.files.SetModulePath("D:\\Empty\\SetUp.exe");
  selected[Index(2008)] = 1;
  selected[Index(2010)] = 1;

  Install();
  EXPECT_EQ(2u, m.boxes.Shown().size());
  EXPECT_EQ(std::vector<std::string>{"txt.shx"}, m.files.Names(first + "\\Fonts"));
  EXPECT_EQ("acad driver", m.files.Content(first + "\\Drv\\pdfplot9.hdi"));
  EXPECT_EQ(std::vector<std::string>{"txt.shx"}, m.files.Names(second + "\\Fonts"));
}

TEST_F(SupportFilesTest, PathsThatDoNotFitAreLeftOutSilently) {
  // "<folder>\Fonts\Quilox_EN.shx" is 260 characters long, "<folder>\Drv\pdfplot9.hdi" 257.
  const std::string deep = PathOfLength("C:\\Deep", 260 - 20);
  AddAcad(2008, deep);
  const std::string plain = AddAcad(2008, "C:\\AutoCAD 2008");
  selected[Index(2008)] = 1;

  Install();
  EXPECT_EQ(std::vector<std::string>{"txt.shx"}, m.files.Names(deep + "\\Fonts"));
  EXPECT_EQ("driver", m.files.Content(deep + "\\Drv\\pdfplot9.hdi"));
  EXPECT_TRUE(HasFonts(plain));
  EXPECT_TRUE(m.boxes.Shown().empty());
}

}  // namespace
