// What only the in-memory file system offers: set-up, reading back, faults, and the rules that
// the real one cannot show under Wine (streams, read-only files, double-byte names).
#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/memory/memory_file_system.h"

namespace {

std::vector<std::string> Listed(FileSystem& fs, const std::string& pattern) {
  std::vector<std::string> names;
  FindEntry entry;
  std::unique_ptr<DirListing> listing = fs.FindFirst(pattern, &entry);
  if (!listing) return names;
  do {
    names.push_back(entry.name);
  } while (listing->Next(&entry));
  return names;
}

TEST(MemoryFileSystem, StartsWithEmptyDriveCAndTheSetupPaths) {
  MemoryFileSystem fs;
  EXPECT_TRUE(fs.IsFolder("C:\\"));
  EXPECT_TRUE(fs.Names("C:\\").empty());
  EXPECT_EQ("C:\\Setup\\SetUp.exe", fs.ModulePath());
  EXPECT_FALSE(fs.Exists("C:\\Setup")) << "the module's folder is not made";
  EXPECT_EQ("C:\\", fs.CurrentDir());
  EXPECT_FALSE(fs.Exists("D:\\"));

  fs.AddDrive('d');
  fs.SetModulePath("D:\\Dist\\SetUp.exe");
  fs.SetCurrentDir("D:\\Dist");
  EXPECT_TRUE(fs.IsFolder("D:\\"));
  EXPECT_EQ("D:\\Dist\\SetUp.exe", fs.ModulePath());
  EXPECT_EQ("D:\\Dist", fs.CurrentDir());
}

TEST(MemoryFileSystem, SetUpBuildsParentsAndRefusesWhatWindowsCouldNotHold) {
  MemoryFileSystem fs;
  fs.AddFile("C:\\A\\B\\f.txt", "abc", kAttrReadOnly | kAttrDirectory);
  EXPECT_TRUE(fs.IsFolder("C:\\A\\B"));
  EXPECT_TRUE(fs.IsFile("c:\\a\\b\\F.TXT"));
  EXPECT_EQ(kAttrReadOnly, fs.Attributes("C:\\A\\B\\f.txt")) << "a file never carries the directory bit";
  EXPECT_EQ("abc", fs.Content("C:\\A\\B\\f.txt"));
  fs.AddFile("C:\\A\\B\\f.txt", "new");
  EXPECT_EQ("new", fs.Content("C:\\A\\B\\f.txt")) << "a file set up again is replaced";
  fs.AddFile("C:\\bare", "", 0);
  EXPECT_EQ(kAttrNormal, fs.Attributes("C:\\bare")) << "no attribute at all reads as NORMAL";

  fs.AddFolder("C:\\A\\Hidden", kAttrHidden);
  EXPECT_EQ(kAttrHidden | kAttrDirectory, fs.Attributes("C:\\A\\Hidden"));

  EXPECT_THROW(fs.AddFile("C:\\A\\B\\f.txt\\g.txt", "x"), std::invalid_argument);
  EXPECT_THROW(fs.AddFile("C:\\A\\B", "x"), std::invalid_argument);
  EXPECT_THROW(fs.AddFolder("Q:\\X"), std::invalid_argument);
  EXPECT_THROW(fs.AddStream("C:\\A\\missing", "s", "x"), std::invalid_argument);
  EXPECT_THROW(fs.AddStream("C:\\A\\B", "s", "x"), std::invalid_argument);
}

TEST(MemoryFileSystem, NamesAndDumpShowTheTreeInListingOrder) {
  MemoryFileSystem fs;
  fs.AddFile("C:\\D\\b.txt", "12345");
  fs.AddFile("C:\\D\\A.txt", "", kAttrReadOnly | kAttrArchive);
  fs.AddStream("C:\\D\\A.txt", "Zone.Identifier", "zz");
  fs.AddFolder("C:\\D\\Sub");
  fs.AddFile("C:\\D\\Sub\\c", "1");

  EXPECT_EQ((std::vector<std::string>{"A.txt", "b.txt", "Sub"}), fs.Names("C:\\D"));
  EXPECT_TRUE(fs.Names("C:\\Nothing").empty());
  EXPECT_TRUE(fs.Names("C:\\D\\b.txt").empty());
  EXPECT_EQ(
      "A.txt [0x21] 0 bytes\n"
      "A.txt:Zone.Identifier 2 bytes\n"
      "b.txt [0x20] 5 bytes\n"
      "Sub\\ [0x10]\n"
      "Sub\\c [0x20] 1 bytes\n",
      fs.Dump("C:\\D"));
  EXPECT_EQ("", fs.Dump("C:\\Nothing"));
}

TEST(MemoryFileSystem, CopyCarriesStreamsAndReplacesTheTargetsOwn) {
  MemoryFileSystem fs;
  fs.AddFile("C:\\S\\a.dll", "payload");
  fs.AddStream("C:\\S\\a.dll", "Zone.Identifier", "[ZoneTransfer]");
  fs.AddFile("C:\\T\\a.dll", "old");
  fs.AddStream("C:\\T\\a.dll", "Old.Stream", "old");

  ASSERT_EQ(kOk, fs.Copy("C:\\S\\a.dll", "C:\\T\\a.dll", false));
  EXPECT_TRUE(fs.HasStream("C:\\T\\a.dll", "zone.identifier"));
  EXPECT_EQ("[ZoneTransfer]", fs.Content("C:\\T\\a.dll:Zone.Identifier"));
  EXPECT_FALSE(fs.HasStream("C:\\T\\a.dll", "Old.Stream"));
  EXPECT_TRUE(fs.HasStream("C:\\S\\a.dll", "Zone.Identifier")) << "the source keeps its stream";

  EXPECT_EQ(kOk, fs.Remove("C:\\T\\a.dll:Zone.Identifier:$DATA"));
  EXPECT_FALSE(fs.HasStream("C:\\T\\a.dll", "Zone.Identifier"));
  EXPECT_EQ("payload", fs.Content("C:\\T\\a.dll"));
  EXPECT_EQ(kInvalidAttributes, fs.Attributes("C:\\T\\a.dll:Zone.Identifier"));
  EXPECT_NE(kInvalidAttributes, fs.Attributes("C:\\S\\a.dll:Zone.Identifier"));
}

TEST(MemoryFileSystem, ReadOnlyFilesResistOverwriteAndDeletion) {
  MemoryFileSystem fs;
  fs.AddFile("C:\\from", "new");
  fs.AddFile("C:\\to", "old", kAttrReadOnly);
  fs.AddStream("C:\\to", "Zone.Identifier", "z");
  EXPECT_EQ(kErrAccessDenied, fs.Copy("C:\\from", "C:\\to", false));
  EXPECT_EQ(kErrAccessDenied, fs.Remove("C:\\to"));
  EXPECT_EQ(kErrAccessDenied, fs.Remove("C:\\to:Zone.Identifier"));
  EXPECT_EQ("old", fs.Content("C:\\to"));
  ASSERT_EQ(kOk, fs.SetAttributes("C:\\to", kAttrArchive));
  EXPECT_EQ(kOk, fs.Copy("C:\\from", "C:\\to", false));
  EXPECT_EQ("new", fs.Content("C:\\to"));
}

TEST(MemoryFileSystem, CopyRefusesFoldersRootsAndItself) {
  MemoryFileSystem fs;
  fs.AddFile("C:\\f", "x");
  fs.AddFolder("C:\\Dir");
  EXPECT_EQ(kErrAccessDenied, fs.Copy("C:\\Dir", "C:\\g", false));
  EXPECT_EQ(kErrAccessDenied, fs.Copy("C:\\f", "C:\\Dir", false));
  EXPECT_EQ(kErrAccessDenied, fs.Copy("C:\\f", "C:\\", false));
  EXPECT_EQ(kErrSharingViolation, fs.Copy("C:\\f", "C:\\F", false));
  EXPECT_EQ(kErrInvalidName, fs.Copy("C:\\f", "C:\\a?b", false));
  EXPECT_TRUE(fs.IsFolder("C:\\Dir"));
  EXPECT_EQ("x", fs.Content("C:\\f"));
}

TEST(MemoryFileSystem, LockMakesCopiesFromAndOntoAFileFailUntilUnlocked) {
  MemoryFileSystem fs;
  fs.AddFile("C:\\Acad\\Fonts\\Quilox_EN.shx", "old");
  fs.AddFile("C:\\Src\\Quilox_EN.shx", "new");

  fs.Lock("c:\\acad\\\\FONTS\\quilox_en.SHX");
  EXPECT_EQ(kErrSharingViolation, fs.Copy("C:\\Src\\Quilox_EN.shx", "C:\\Acad\\Fonts\\Quilox_EN.shx", false));
  EXPECT_EQ(kErrSharingViolation, fs.Copy("C:\\Acad\\Fonts\\Quilox_EN.shx", "C:\\Src\\other", false));
  EXPECT_EQ(kErrSharingViolation, fs.Remove("C:\\Acad\\Fonts\\Quilox_EN.shx"));
  EXPECT_EQ("old", fs.Content("C:\\Acad\\Fonts\\Quilox_EN.shx"));
  EXPECT_FALSE(fs.Exists("C:\\Src\\other"));

  fs.Unlock("C:\\Acad\\Fonts\\Quilox_EN.shx");
  EXPECT_EQ(kOk, fs.Copy("C:\\Src\\Quilox_EN.shx", "C:\\Acad\\Fonts\\Quilox_EN.shx", false));
  EXPECT_EQ("new", fs.Content("C:\\Acad\\Fonts\\Quilox_EN.shx"));
}

TEST(MemoryFileSystem, DenyCreateRefusesExactlyThatFolder) {
  MemoryFileSystem fs;
  fs.DenyCreate("C:\\Quilox\\Tessarune");
  EXPECT_EQ(kOk, fs.MakeDirectory("C:\\Quilox"));
  EXPECT_EQ(kErrAccessDenied, fs.MakeDirectory("C:\\QUILOX\\tessarune"));
  EXPECT_FALSE(fs.Exists("C:\\Quilox\\Tessarune"));
  EXPECT_EQ(kOk, fs.MakeDirectory("C:\\Quilox\\Other"));
  fs.AddFolder("C:\\Quilox\\Tessarune");
  EXPECT_EQ(kErrAlreadyExists, fs.MakeDirectory("C:\\Quilox\\Tessarune")) << "existing wins over denied";
}

TEST(MemoryFileSystem, MakeDirectoryRefusesNamesWindowsRefuses) {
  MemoryFileSystem fs;
  for (const char* bad : {"C:\\a?b", "C:\\a*b", "C:\\a|b", "C:\\a<b", "C:\\a\"b", "C:\\a\x01" "b", "C:\\a:b"}) {
    EXPECT_EQ(kErrInvalidName, fs.MakeDirectory(bad)) << bad;
  }
  EXPECT_EQ(kErrPathNotFound, fs.MakeDirectory("\\\\server\\share\\x"));
  EXPECT_TRUE(fs.Names("C:\\").empty());
  EXPECT_EQ(kErrAlreadyExists, fs.MakeDirectory("C:\\"));
}

TEST(MemoryFileSystem, BreakListingEndsTheListingAfterSoManyEntries) {
  MemoryFileSystem fs;
  for (const char* name : {"a", "b", "c", "d"}) fs.AddFile(std::string("C:\\Lib\\") + name, "");
  fs.AddFile("C:\\Other\\a", "");
  fs.AddFile("C:\\Other\\b", "");
  fs.BreakListing("c:\\lib", 3);
  EXPECT_EQ((std::vector<std::string>{".", "..", "a"}), Listed(fs, "C:\\Lib\\*.*"));
  EXPECT_EQ(3u, Listed(fs, "C:\\Lib\\..\\LIB\\*").size()) << "same folder, other spelling";
  EXPECT_EQ((std::vector<std::string>{".", "..", "a", "b"}), Listed(fs, "C:\\Other\\*.*"));

  // A break is told apart from the end, and stays.
  FindEntry entry;
  std::unique_ptr<DirListing> listing = fs.FindFirst("C:\\Lib\\*.*", &entry);
  ASSERT_NE(nullptr, listing);
  while (listing->Next(&entry)) {
  }
  EXPECT_EQ(kErrNetNameDeleted, listing->Error());
  EXPECT_FALSE(listing->Next(&entry));
  EXPECT_EQ(kErrNetNameDeleted, listing->Error());
  fs.BreakListing("C:\\Lib", 6);  // as many as there are: a normal end
  listing = fs.FindFirst("C:\\Lib\\*.*", &entry);
  ASSERT_NE(nullptr, listing);
  while (listing->Next(&entry)) {
  }
  EXPECT_EQ("d", entry.name);
  EXPECT_EQ(kErrNoMoreFiles, listing->Error());
}

TEST(MemoryFileSystem, OpenListingsCountsListingsUntilDestroyed) {
  MemoryFileSystem fs;
  fs.AddFile("C:\\D\\a", "");
  FindEntry entry;
  EXPECT_EQ(0u, fs.OpenListings());
  {
    std::unique_ptr<DirListing> one = fs.FindFirst("C:\\D\\*", &entry);
    std::unique_ptr<DirListing> two = fs.FindFirst("C:\\D\\a", &entry);
    EXPECT_EQ(2u, fs.OpenListings());
    while (one->Next(&entry)) {
    }
    EXPECT_EQ(2u, fs.OpenListings()) << "reading to the end closes nothing";
  }
  EXPECT_EQ(0u, fs.OpenListings());
  EXPECT_EQ(nullptr, fs.FindFirst("C:\\D\\zz*", &entry));
  EXPECT_EQ(0u, fs.OpenListings()) << "a failed search leaves nothing open";
}

TEST(MemoryFileSystem, ListingHoldsWhatWasThereWhenItStarted) {
  MemoryFileSystem fs;
  fs.AddFile("C:\\D\\a1", "");
  fs.AddFile("C:\\D\\b1", "");
  fs.AddFile("C:\\D\\c2", "");
  FindEntry entry;
  std::unique_ptr<DirListing> listing = fs.FindFirst("C:\\D\\?1", &entry);
  ASSERT_NE(nullptr, listing);
  EXPECT_EQ("a1", entry.name);
  ASSERT_EQ(kOk, fs.Remove("C:\\D\\b1"));
  ASSERT_TRUE(listing->Next(&entry));
  EXPECT_EQ("b1", entry.name);
  EXPECT_FALSE(listing->Next(&entry));
}

TEST(MemoryFileSystem, FailSetAttributesRefusesOnlyThatPath) {
  MemoryFileSystem fs;
  fs.AddFile("C:\\a", "", kAttrReadOnly);
  fs.AddFile("C:\\b", "", kAttrReadOnly);
  fs.FailSetAttributes("C:\\A");
  EXPECT_EQ(kErrAccessDenied, fs.SetAttributes("C:\\a", kAttrNormal));
  EXPECT_EQ(kAttrReadOnly, fs.Attributes("C:\\a"));
  EXPECT_EQ(kOk, fs.SetAttributes("C:\\b", kAttrNormal));
  EXPECT_EQ(kAttrNormal, fs.Attributes("C:\\b"));
  fs.AddFolder("C:\\Dir");
  EXPECT_EQ(kOk, fs.SetAttributes("C:\\Dir", kAttrReadOnly));
  EXPECT_EQ(kAttrReadOnly | kAttrDirectory, fs.Attributes("C:\\Dir")) << "a folder stays a folder";
}

TEST(MemoryFileSystem, RelativePathsResolveAgainstTheCurrentDirectory) {
  MemoryFileSystem fs;
  fs.AddFile("C:\\Work\\a.txt", "a");
  fs.AddDrive('D');
  fs.AddFile("D:\\d.txt", "d");
  fs.SetCurrentDir("C:\\Work");
  EXPECT_TRUE(fs.IsFile("a.txt"));
  EXPECT_TRUE(fs.IsFile("C:a.txt"));
  EXPECT_TRUE(fs.IsFile("\\Work\\a.txt"));
  EXPECT_TRUE(fs.IsFile("..\\Work\\.\\a.txt"));
  EXPECT_TRUE(fs.IsFile("C:/Work/a.txt"));
  EXPECT_TRUE(fs.IsFile("D:d.txt")) << "another drive starts at its root";
  EXPECT_EQ(kOk, fs.MakeDirectory("New"));
  EXPECT_TRUE(fs.IsFolder("C:\\Work\\New"));
}

TEST(MemoryFileSystem, DoubleByteNamesKeepTheirTrailBytes) {
  MemoryFileSystem fs;
  // 淺 is 0xDC 0x5C: its trail byte is no backslash.
  fs.AddFile("C:\\淺藍\\Data\\x.arx", "x");
  EXPECT_EQ((std::vector<std::string>{"淺藍"}), fs.Names("C:\\"));
  EXPECT_EQ((std::vector<std::string>{".", "..", "Data"}), Listed(fs, "C:\\淺藍\\*.*"));
  EXPECT_TRUE(fs.IsFolder("C:\\淺藍\\DATA"));

  // 丄 (0x81 0x41) and 乤 (0x81 0x61) differ only where a single-byte 'A' and 'a' would.
  fs.AddFile("C:\\丄", "upper trail");
  fs.AddFile("C:\\乤", "lower trail");
  EXPECT_EQ("upper trail", fs.Content("C:\\丄"));
  EXPECT_EQ("lower trail", fs.Content("C:\\乤"));

  // 亅 is 0x81 0x7C: its trail byte is no '|'.
  EXPECT_EQ(kOk, fs.MakeDirectory("C:\\亅"));
  // Full-width letters have case, as on NTFS.
  fs.AddFile("C:\\ａ.txt", "w");
  EXPECT_EQ("w", fs.Content("C:\\Ａ.TXT"));
}

TEST(MemoryFileSystem, CallsCountsEveryOperation) {
  MemoryFileSystem fs;
  fs.AddFile("C:\\a", "");
  EXPECT_EQ(0u, fs.Calls()) << "set-up and reading back are no calls";
  FindEntry entry;
  fs.FindFirst("C:\\*", &entry);
  fs.Copy("C:\\a", "C:\\b", false);
  fs.MakeDirectory("C:\\d");
  fs.Attributes("C:\\a");
  fs.SetAttributes("C:\\a", kAttrNormal);
  fs.Remove("C:\\b");
  fs.ModulePath();
  fs.CurrentDir();
  fs.Exists("C:\\a");
  EXPECT_EQ(9u, fs.Calls());
}

}  // namespace
