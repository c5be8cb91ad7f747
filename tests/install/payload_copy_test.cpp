#include <gtest/gtest.h>

#include <limits>

#include "install/install.h"
#include "install_test_support.h"
#include "tests/memory/memory_platform.h"

namespace {

const char kCaption[] = "Tessarune软件安装";

std::string CopyFailedText(const std::string& path) {
  return "拷贝文件 " + path + " 失败，可能原因如下：\n\n1、AutoCAD未关闭\n\n2、系统权限未开放，请以管理者权限登陆系统";
}

class PayloadCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m.files.AddDrive('D');
    m.files.SetModulePath("D:\\Dist\\SetUp.exe");
    m.files.AddFile("D:\\Dist\\SetUp.exe", "exe");
    m.files.AddFolder(kData);
    m.files.AddFolder("C:\\Quilox\\Tessarune");
  }

  bool Copy() { return CopyPayload(m.platform(), kOwner, job); }
  std::string Data(const std::string& name) const { return std::string(kData) + "\\" + name; }
  std::string Installed(const std::string& name) const { return job.folder + "\\" + name; }
  // What a listing of the Data folder yields: ".", ".." and every entry.
  int DataEntries() const { return 2 + static_cast<int>(m.files.Names(kData).size()); }

  static constexpr char kData[] = "D:\\Dist\\Data";
  MemoryPlatform m;
  CountingProgress progress;
  InstallJob job{"C:\\Quilox\\Tessarune", &progress};
};

constexpr char PayloadCopyTest::kData[];

// Filters and progress.

TEST_F(PayloadCopyTest, CopiesPlainFilesOnlyAndLeavesOutTheExcludedNamesInAnyCase) {
  m.files.AddFile(Data("Quilox2010.arx"), "arx");
  m.files.AddFile(Data("readme.txt"), "read me");
  m.files.AddFile(Data("setup.exe"), "copy of the setup");
  m.files.AddFile(Data("QUILOX_en.SHX"), "en font");
  m.files.AddFile(Data("quilox_hz.shx"), "hz font");
  m.files.AddFile(Data("Quilox_EN.shx.bak"), "not a font");
  m.files.AddFile(Data("Sub\\inner.txt"), "inner");
  m.files.AddFolder(Data("Marked"), kAttrDirectory | kAttrReadOnly | kAttrHidden | kAttrNotContentIndexed);
  m.files.AddFile(Data("Quilox扩展绘图库\\block.dwg"), "dwg");

  EXPECT_TRUE(Copy());
  EXPECT_EQ((std::vector<std::string>{"Quilox2010.arx", "Quilox_EN.shx.bak", "readme.txt"}),
            m.files.Names(job.folder));
  EXPECT_EQ("read me", m.files.Content(Installed("readme.txt")));
  EXPECT_TRUE(m.boxes.Shown().empty());
  // One step per entry, ".", ".." and the skipped ones included, and one for the end.
  EXPECT_EQ(DataEntries() + 1, progress.steps);
  EXPECT_EQ(0u, m.files.OpenListings());
}

TEST_F(PayloadCopyTest, FlatDistributionCopiesFromTheExecutablesFolder) {
  m.files.AddFile("C:\\Flat\\SetUp.exe", "exe");
  m.files.AddFile("C:\\Flat\\Quilox2010.arx", "arx");
  m.files.AddFile("C:\\Flat\\Quilox_HZ.shx", "hz font");
  m.files.AddFile("C:\\Flat\\Quilox扩展绘图库\\block.dwg", "dwg");
  m.files.SetModulePath("C:\\Flat\\SetUp.exe");

  EXPECT_TRUE(Copy());
  EXPECT_EQ(std::vector<std::string>{"Quilox2010.arx"}, m.files.Names(job.folder));
  EXPECT_EQ(2 + 4 + 1, progress.steps);
}

TEST_F(PayloadCopyTest, FlatDistributionInADriveRootHasNoDotEntries) {
  m.files.AddFile("D:\\Quilox2010.arx", "arx");
  m.files.AddFile("D:\\SetUp.exe", "exe");
  m.files.SetModulePath("D:\\SetUp.exe");

  EXPECT_TRUE(Copy());
  EXPECT_EQ(std::vector<std::string>{"Quilox2010.arx"}, m.files.Names(job.folder));
  EXPECT_EQ(3 + 1, progress.steps);  // Dist, Quilox2010.arx, SetUp.exe, the end
}

TEST_F(PayloadCopyTest, CopiesEveryFileOfALargeSourceFolder) {
  for (int i = 0; i < 150; ++i) m.files.AddFile(Data("file" + std::to_string(i) + ".dat"), std::to_string(i));

  EXPECT_TRUE(Copy());
  EXPECT_EQ(150u, m.files.Names(job.folder).size());
  EXPECT_EQ("149", m.files.Content(Installed("file149.dat")));
  EXPECT_EQ(152 + 1, progress.steps);
}

TEST_F(PayloadCopyTest, OnlyExcludedFilesCopyNothingAndSucceed) {
  m.files.AddFile(Data("SetUp.EXE"), "exe");
  m.files.AddFile(Data("Quilox_EN.shx"), "en");
  m.files.AddFile(Data("Quilox_HZ.shx"), "hz");

  EXPECT_TRUE(Copy());
  EXPECT_TRUE(m.files.Names(job.folder).empty());
  EXPECT_EQ(5 + 1, progress.steps);
}

TEST_F(PayloadCopyTest, CreatesTheInstallFolderOneLevelDeep) {
  m.files.AddFile(Data("a.txt"), "a");
  job.folder = "C:\\Quilox\\Other";
  EXPECT_TRUE(Copy());
  EXPECT_EQ("a", m.files.Content("C:\\Quilox\\Other\\a.txt"));
}

// Read-only attributes and Zone.Identifier streams.

TEST_F(PayloadCopyTest, ReadOnlySourceIsCopiedAndNeitherSideStaysReadOnly) {
  m.files.AddFile(Data("a.txt"), "new", kAttrReadOnly | kAttrHidden);

  EXPECT_TRUE(Copy());
  EXPECT_EQ("new", m.files.Content(Installed("a.txt")));
  EXPECT_EQ(kAttrHidden, m.files.Attributes(Data("a.txt")));
  EXPECT_EQ(kAttrHidden, m.files.Attributes(Installed("a.txt")));
}

TEST_F(PayloadCopyTest, ReadOnlyCopyFromAnEarlierInstallationIsOverwritten) {
  m.files.AddFile(Data("a.txt"), "new");
  m.files.AddFile(Installed("a.txt"), "old", kAttrReadOnly);

  EXPECT_TRUE(Copy());
  EXPECT_EQ("new", m.files.Content(Installed("a.txt")));
  EXPECT_EQ(0u, m.files.Attributes(Installed("a.txt")) & kAttrReadOnly);
  EXPECT_TRUE(m.boxes.Shown().empty());
}

TEST_F(PayloadCopyTest, CopyIsMadeWritableEvenWhenTheSourceStaysReadOnly) {
  m.files.AddFile(Data("a.txt"), "new", kAttrReadOnly);
  m.files.FailSetAttributes(Data("a.txt"));

  EXPECT_TRUE(Copy());
  EXPECT_EQ("new", m.files.Content(Installed("a.txt")));
  EXPECT_EQ(0u, m.files.Attributes(Installed("a.txt")) & kAttrReadOnly);
}

TEST_F(PayloadCopyTest, ZoneIdentifierIsRemovedFromTheSourceBeforeCopying) {
  m.files.AddFile(Data("a.txt"), "a");
  m.files.AddStream(Data("a.txt"), "Zone.Identifier", "[ZoneTransfer]\r\nZoneId=3");
  m.files.AddStream(Data("a.txt"), "Other", "kept");
  // Read-only: the stream can only go once the attribute is cleared.
  m.files.AddFile(Data("b.txt"), "b", kAttrReadOnly);
  m.files.AddStream(Data("b.txt"), "Zone.Identifier", "[ZoneTransfer]\r\nZoneId=3");

  EXPECT_TRUE(Copy());
  for (const char* name : {"a.txt", "b.txt"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(m.files.HasStream(Data(name), "Zone.Identifier"));
    EXPECT_FALSE(m.files.HasStream(Installed(name), "Zone.Identifier"));
    EXPECT_TRUE(m.files.IsFile(Installed(name)));
  }
  EXPECT_TRUE(m.files.HasStream(Installed("a.txt"), "Other"));
}

TEST(ClearReadOnly, ClearsOnlyTheReadOnlyBit) {
  MemoryPlatform m;
  m.files.AddFile("C:\\a.txt", "", kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive);
  ClearReadOnly(m.files, "C:\\a.txt");
  EXPECT_EQ(kAttrHidden | kAttrSystem | kAttrArchive, m.files.Attributes("C:\\a.txt"));

  const size_t calls = m.files.Calls();
  ClearReadOnly(m.files, "C:\\a.txt");    // not read-only: nothing written
  ClearReadOnly(m.files, "C:\\none.txt");  // missing: nothing written
  EXPECT_EQ(calls + 2, m.files.Calls());
  EXPECT_FALSE(m.files.IsFile("C:\\none.txt"));
}

TEST(RemoveZoneIdentifier, SaysWhetherTheStreamWasThere) {
  MemoryPlatform m;
  m.files.AddFile("C:\\a.txt", "a");
  m.files.AddStream("C:\\a.txt", "Zone.Identifier", "zone");
  EXPECT_TRUE(RemoveZoneIdentifier(m.files, "C:\\a.txt"));
  EXPECT_FALSE(m.files.HasStream("C:\\a.txt", "Zone.Identifier"));
  EXPECT_TRUE(m.files.IsFile("C:\\a.txt"));
  EXPECT_FALSE(RemoveZoneIdentifier(m.files, "C:\\a.txt"));
  EXPECT_FALSE(RemoveZoneIdentifier(m.files, "C:\\none.txt"));
}

// A copy that fails.

// Answers the copy question, first letting go of a locked file as the user would.
class UnlockingBoxes : public MessageBoxes {
 public:
  UnlockingBoxes(MemoryFileSystem& files, std::string locked, int answer)
      : files_(files), locked_(std::move(locked)), answer_(answer) {}
  int Show(WindowRef owner, const std::string& text, const std::string& caption, unsigned style) override {
    shown.push_back(ShownBox{owner, text, caption, style});
    files_.Unlock(locked_);
    return answer_;
  }
  std::vector<ShownBox> shown;

 private:
  MemoryFileSystem& files_;
  std::string locked_;
  int answer_;
};

class LockedFileTest : public PayloadCopyTest {
 protected:
  void SetUp() override {
    PayloadCopyTest::SetUp();
    m.files.AddFile(Data("a.txt"), "new a");
    m.files.AddFile(Data("b.txt"), "new b");
    m.files.AddFile(Data("c.txt"), "new c");
    m.files.AddFile(Installed("b.txt"), "old b");
    m.files.Lock(Installed("b.txt"));
  }
};

TEST_F(LockedFileTest, RetryAfterTheLockIsReleasedCopiesTheFileAndGoesOn) {
  UnlockingBoxes boxes(m.files, Installed("b.txt"), kIdRetry);
  Platform p{m.registry, m.files, m.processes, boxes, m.codePage};

  EXPECT_TRUE(CopyPayload(p, kOwner, job));
  ASSERT_EQ(1u, boxes.shown.size());
  EXPECT_EQ(CopyFailedText("C:\\Quilox\\Tessarune\\b.txt"), boxes.shown[0].text);
  EXPECT_EQ(kCaption, boxes.shown[0].caption);
  EXPECT_EQ(kMbAbortRetryIgnore, boxes.shown[0].style);
  EXPECT_EQ(kOwner, boxes.shown[0].owner);
  EXPECT_EQ("new a", m.files.Content(Installed("a.txt")));
  EXPECT_EQ("new b", m.files.Content(Installed("b.txt")));
  EXPECT_EQ("new c", m.files.Content(Installed("c.txt")));
  EXPECT_EQ(DataEntries() + 1, progress.steps);
}

TEST_F(LockedFileTest, RetryAsksAgainForAsLongAsTheCopyFails) {
  m.boxes.Answer(kIdRetry);
  m.boxes.Answer(kIdRetry);
  m.boxes.Answer(kIdIgnore);

  EXPECT_TRUE(Copy());
  EXPECT_EQ(3u, m.boxes.Shown().size());
  EXPECT_EQ(0u, m.boxes.Unanswered());
  EXPECT_EQ("old b", m.files.Content(Installed("b.txt")));
}

TEST_F(LockedFileTest, IgnoreKeepsTheOldFileAndGoesOn) {
  m.boxes.Answer(kIdIgnore);

  EXPECT_TRUE(Copy());
  EXPECT_EQ(1u, m.boxes.Shown().size());
  EXPECT_EQ("old b", m.files.Content(Installed("b.txt")));
  EXPECT_EQ("new c", m.files.Content(Installed("c.txt")));
  EXPECT_EQ(DataEntries() + 1, progress.steps);
}

TEST_F(LockedFileTest, AbortStopsAtOnceAndKeepsWhatWasCopied) {
  m.boxes.Answer(kIdAbort);

  EXPECT_FALSE(Copy());
  EXPECT_EQ(1u, m.boxes.Shown().size());
  EXPECT_EQ("new a", m.files.Content(Installed("a.txt")));
  EXPECT_EQ("old b", m.files.Content(Installed("b.txt")));
  EXPECT_FALSE(m.files.IsFile(Installed("c.txt")));
  EXPECT_EQ(4, progress.steps);  // ".", "..", a.txt, b.txt
  EXPECT_EQ(0u, m.files.OpenListings());
}

TEST_F(LockedFileTest, ABoxThatCannotBeShownStopsTheRun) {
  m.boxes.Answer(0);
  EXPECT_FALSE(Copy());
  EXPECT_EQ(1u, m.boxes.Shown().size());
  EXPECT_FALSE(m.files.IsFile(Installed("c.txt")));
}

TEST_F(PayloadCopyTest, InstallFolderThatCannotBeMadeAsksForEveryFile) {
  m.files.AddFile(Data("a.txt"), "a");
  m.files.AddFile(Data("b.txt"), "b");
  job.folder = "C:\\Missing\\Tessarune";
  m.boxes.Answer(kIdIgnore);
  m.boxes.Answer(kIdIgnore);

  EXPECT_TRUE(Copy());
  ASSERT_EQ(2u, m.boxes.Shown().size());
  EXPECT_EQ(CopyFailedText("C:\\Missing\\Tessarune\\a.txt"), m.boxes.Shown()[0].text);
  EXPECT_EQ(CopyFailedText("C:\\Missing\\Tessarune\\b.txt"), m.boxes.Shown()[1].text);
}

// No source.

TEST_F(PayloadCopyTest, MissingSourceStopsBeforeAnythingIsDone) {
  m.files.SetModulePath("D:\\Empty\\SetUp.exe");
  job.folder = "C:\\Quilox\\New";

  EXPECT_FALSE(Copy());
  ASSERT_EQ(1u, m.boxes.Shown().size());
  EXPECT_EQ(kMbOk, m.boxes.Shown()[0].style);
  EXPECT_FALSE(m.files.IsFolder(job.folder));
  EXPECT_EQ(0, progress.steps);
}

TEST_F(PayloadCopyTest, EmptyDataFolderCopiesNothing) {
  EXPECT_TRUE(Copy());
  EXPECT_TRUE(m.files.Names(job.folder).empty());
  EXPECT_EQ(3, progress.steps);
}

// The in-memory file system, except that its first `failures` wildcard searches find nothing,
// as for a folder that cannot be read.
class UnreadableForAWhile : public FileSystem {
 public:
  UnreadableForAWhile(MemoryFileSystem& files, int failures) : files_(files), failures_(failures) {}
  std::unique_ptr<DirListing> FindFirst(const std::string& pattern, FindEntry* first) override {
    if (pattern.find('*') != std::string::npos && failures_ > 0) {
      --failures_;
      return nullptr;
    }
    return files_.FindFirst(pattern, first);
  }
  long Copy(const std::string& from, const std::string& to, bool failIfExists) override {
    return files_.Copy(from, to, failIfExists);
  }
  long MakeDirectory(const std::string& path) override { return files_.MakeDirectory(path); }
  uint32_t Attributes(const std::string& path) override { return files_.Attributes(path); }
  long SetAttributes(const std::string& path, uint32_t attributes) override {
    return files_.SetAttributes(path, attributes);
  }
  long Remove(const std::string& path) override { return files_.Remove(path); }
  std::string ModulePath() override { return files_.ModulePath(); }

 private:
  MemoryFileSystem& files_;
  int failures_;
};

TEST_F(PayloadCopyTest, SourceFolderThatCannotBeListedIsAskedAboutOnce) {
  m.files.AddFile(Data("a.txt"), "a");
  UnreadableForAWhile unreadable(m.files, 3);
  Platform p{m.registry, unreadable, m.processes, m.boxes, m.codePage};

  m.boxes.Answer(kIdIgnore);
  EXPECT_TRUE(CopyPayload(p, kOwner, job));
  ASSERT_EQ(1u, m.boxes.Shown().size());
  EXPECT_EQ(CopyFailedText(kData), m.boxes.Shown()[0].text);
  EXPECT_EQ(kMbAbortRetryIgnore, m.boxes.Shown()[0].style);
  EXPECT_FALSE(m.files.IsFile(Installed("a.txt")));
  EXPECT_EQ(0, progress.steps);

  // Still unreadable at the first retry, readable at the second.
  m.boxes.Answer(kIdRetry);
  m.boxes.Answer(kIdRetry);
  EXPECT_TRUE(CopyPayload(p, kOwner, job));
  EXPECT_EQ(3u, m.boxes.Shown().size());
  EXPECT_EQ("a", m.files.Content(Installed("a.txt")));
  EXPECT_EQ(DataEntries() + 1, progress.steps);

  UnreadableForAWhile stillUnreadable(m.files, 1);
  Platform q{m.registry, stillUnreadable, m.processes, m.boxes, m.codePage};
  m.boxes.Answer(kIdAbort);
  EXPECT_FALSE(CopyPayload(q, kOwner, job));
  EXPECT_EQ(4u, m.boxes.Shown().size());
}

// A listing that breaks off part-way.

// Answers the question after the share has come back: the listing no longer breaks.
class MendingBoxes : public MessageBoxes {
 public:
  MendingBoxes(MemoryFileSystem& files, std::string folder, int answer)
      : files_(files), folder_(std::move(folder)), answer_(answer) {}
  int Show(WindowRef owner, const std::string& text, const std::string& caption, unsigned style) override {
    shown.push_back(ShownBox{owner, text, caption, style});
    openListingsWhenAsked = files_.OpenListings();
    files_.BreakListing(folder_, std::numeric_limits<size_t>::max());  // after more entries than there are
    return answer_;
  }
  std::vector<ShownBox> shown;
  size_t openListingsWhenAsked = 0;

 private:
  MemoryFileSystem& files_;
  std::string folder_;
  int answer_;
};

class BrokenListingTest : public PayloadCopyTest {
 protected:
  void SetUp() override {
    PayloadCopyTest::SetUp();
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) m.files.AddFile(Data(name), std::string("new ") + name);
    m.files.BreakListing(kData, 4);  // ".", "..", a.txt, b.txt: then the share is gone
  }
  void ExpectOneQuestionNamingTheSource(const std::vector<ShownBox>& shown) {
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(CopyFailedText(kData), shown[0].text);
    EXPECT_EQ(kCaption, shown[0].caption);
    EXPECT_EQ(kMbAbortRetryIgnore, shown[0].style);
    EXPECT_EQ(kOwner, shown[0].owner);
  }
};

TEST_F(BrokenListingTest, AbortStopsTheRunWithWhatWasCopied) {
  m.boxes.Answer(kIdAbort);

  EXPECT_FALSE(Copy());
  ExpectOneQuestionNamingTheSource(m.boxes.Shown());
  EXPECT_EQ("new a.txt", m.files.Content(Installed("a.txt")));
  EXPECT_EQ("new b.txt", m.files.Content(Installed("b.txt")));
  EXPECT_FALSE(m.files.IsFile(Installed("c.txt")));
  EXPECT_EQ(0u, m.files.OpenListings());
}

TEST_F(BrokenListingTest, RetryOnceTheShareIsBackCopiesEveryFile) {
  m.files.AddFile(Installed("a.txt"), "old a", kAttrReadOnly);
  MendingBoxes boxes(m.files, kData, kIdRetry);
  Platform p{m.registry, m.files, m.processes, boxes, m.codePage};

  EXPECT_TRUE(CopyPayload(p, kOwner, job));
  ExpectOneQuestionNamingTheSource(boxes.shown);
  EXPECT_EQ(0u, boxes.openListingsWhenAsked) << "the broken listing is closed before asking";
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) {
    EXPECT_EQ(std::string("new ") + name, m.files.Content(Installed(name))) << name;
  }
  EXPECT_EQ(0u, m.files.Attributes(Installed("a.txt")) & kAttrReadOnly);
  EXPECT_EQ(0u, m.files.OpenListings());
}

TEST_F(BrokenListingTest, RetryWhileStillBrokenAsksAgain) {
  m.boxes.Answer(kIdRetry);
  m.boxes.Answer(kIdRetry);
  m.boxes.Answer(kIdAbort);

  EXPECT_FALSE(Copy());
  ASSERT_EQ(3u, m.boxes.Shown().size());
  for (const ShownBox& box : m.boxes.Shown()) EXPECT_EQ(CopyFailedText(kData), box.text);
  EXPECT_FALSE(m.files.IsFile(Installed("c.txt")));
}

TEST_F(BrokenListingTest, IgnoreGoesOnAsFinished) {
  m.boxes.Answer(kIdIgnore);

  EXPECT_TRUE(Copy());
  ExpectOneQuestionNamingTheSource(m.boxes.Shown());
  EXPECT_EQ(0u, m.boxes.Unanswered());
  EXPECT_TRUE(m.files.IsFile(Installed("b.txt")));
  EXPECT_FALSE(m.files.IsFile(Installed("c.txt")));
  EXPECT_FALSE(m.files.IsFile(Installed("d.txt")));
}

TEST_F(BrokenListingTest, ABreakAtTheVeryEndIsStillABreak) {
  m.files.BreakListing(kData, std::numeric_limits<size_t>::max());
  const size_t before = m.files.Calls();
  ASSERT_TRUE(Copy());
  ASSERT_TRUE(m.boxes.Shown().empty()) << "a listing that ends normally asks nothing";
  const size_t calls = m.files.Calls() - before;

  // The same run again, its last call (the search past the last entry) failing.
  m.files.FailCall(m.files.Calls() + calls);
  m.boxes.Answer(kIdAbort);
  EXPECT_FALSE(Copy());
  EXPECT_EQ("Next", m.files.FailedCall());
  ExpectOneQuestionNamingTheSource(m.boxes.Shown());
}

// Paths too long for their 260-byte buffers are never cut short.

TEST_F(PayloadCopyTest, DestinationPathOfMoreThan259CharactersIsAskedAboutWhole) {
  job.folder = PathOfLength("C:\\Quilox", 250);
  m.files.AddFolder(job.folder);
  m.files.AddFile(Data("fits.txt"), "fits");           // 250 + 1 + 8 = 259
  m.files.AddFile(Data("toolong.txt"), "too long");    // 250 + 1 + 11 = 262
  m.boxes.Answer(kIdRetry);
  m.boxes.Answer(kIdIgnore);

  EXPECT_TRUE(Copy());
  EXPECT_EQ("fits", m.files.Content(Installed("fits.txt")));
  EXPECT_FALSE(m.files.IsFile(Installed("toolong.txt")));
  EXPECT_FALSE(m.files.IsFile(Installed("toolong.tx")));
  ASSERT_EQ(2u, m.boxes.Shown().size());
  EXPECT_EQ(CopyFailedText(Installed("toolong.txt")), m.boxes.Shown()[0].text);
  EXPECT_EQ(CopyFailedText(Installed("toolong.txt")), m.boxes.Shown()[1].text);
  EXPECT_EQ(DataEntries() + 1, progress.steps);
}

TEST_F(PayloadCopyTest, SourcePathOfMoreThan259CharactersIsAskedAboutAndNotTouched) {
  const std::string source = PathOfLength("D:\\Deep", 250);
  m.files.SetModulePath(source + "\\SetUp.exe");
  m.files.AddFile(source + "\\Quilox2010.arx", "arx");       // 250 + 15 = 265
  m.files.AddFile(source + "\\a.dll", "a", kAttrReadOnly);  // fits
  m.files.AddFile(source + "\\long.dll", "long", kAttrReadOnly);  // 250 + 9 = 259 fits
  m.files.AddFile(source + "\\longer.dll", "x", kAttrReadOnly);   // 261
  m.boxes.Answer(kIdIgnore);
  m.boxes.Answer(kIdAbort);

  EXPECT_FALSE(Copy());
  ASSERT_EQ(2u, m.boxes.Shown().size());
  EXPECT_EQ(CopyFailedText(Installed("longer.dll")), m.boxes.Shown()[0].text);
  EXPECT_EQ(CopyFailedText(Installed("Quilox2010.arx")), m.boxes.Shown()[1].text);
  EXPECT_EQ("a", m.files.Content(Installed("a.dll")));
  EXPECT_EQ("long", m.files.Content(Installed("long.dll")));
  EXPECT_FALSE(m.files.IsFile(Installed("longer.dll")));
  // Never used, so not prepared either.
  EXPECT_NE(0u, m.files.Attributes(source + "\\longer.dll") & kAttrReadOnly);
}

TEST_F(PayloadCopyTest, InstallFolderOfMoreThan259CharactersIsAskedAboutOnce) {
  m.files.AddFile(Data("a.txt"), "a");
  m.files.AddFile(Data("b.txt"), "b");
  job.folder = PathOfLength("C:\\Quilox", 260);
  m.files.AddFolder(job.folder.substr(0, job.folder.rfind('\\')));
  m.boxes.Answer(kIdRetry);
  m.boxes.Answer(kIdAbort);

  EXPECT_FALSE(Copy());
  ASSERT_EQ(2u, m.boxes.Shown().size());
  EXPECT_EQ(CopyFailedText(job.folder), m.boxes.Shown()[0].text);
  EXPECT_EQ(kMbAbortRetryIgnore, m.boxes.Shown()[0].style);
  EXPECT_FALSE(m.files.IsFolder(job.folder));
  EXPECT_FALSE(m.files.IsFolder(job.folder.substr(0, 259)));
  EXPECT_EQ(0, progress.steps);
}

TEST_F(PayloadCopyTest, IgnoringAnUnusableInstallFolderGoesOnWithoutThePayload) {
  m.files.AddFile(Data("a.txt"), "a");
  job.folder = PathOfLength("C:\\Quilox", 300);
  m.boxes.Answer(kIdIgnore);

  EXPECT_TRUE(Copy());
  EXPECT_EQ(1u, m.boxes.Shown().size());
  EXPECT_EQ(0, progress.steps);
}

TEST_F(PayloadCopyTest, SearchPatternOfMoreThan259CharactersIsAskedAboutOnce) {
  // The pattern adds "\*.*": a source folder of 256 characters no longer fits.
  const std::string exeDir = PathOfLength("D:\\Deep", 251);
  m.files.SetModulePath(exeDir + "\\SetUp.exe");
  m.files.AddFile(exeDir + "\\Data\\a.txt", "a");
  m.boxes.Answer(kIdAbort);

  EXPECT_FALSE(Copy());
  ASSERT_EQ(1u, m.boxes.Shown().size());
  EXPECT_EQ(CopyFailedText(exeDir + "\\Data"), m.boxes.Shown()[0].text);
  EXPECT_FALSE(m.files.IsFile(Installed("a.txt")));

  // One character less and it fits.
  const std::string shorter = PathOfLength("D:\\Short", 250);
  m.files.SetModulePath(shorter + "\\SetUp.exe");
  m.files.AddFile(shorter + "\\Data\\a", "a");  // 257 characters
  EXPECT_TRUE(Copy());
  EXPECT_EQ("a", m.files.Content(Installed("a")));
  EXPECT_EQ(1u, m.boxes.Shown().size());
}

}  // namespace
