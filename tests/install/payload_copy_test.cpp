#include <gtest/gtest.h>

#include <limits>

#include "install/install.h"
#include "install_test_support.h"
#include "tests/memory/memory_platform.h"
#include "tests/support/forwarding_file_system.h"

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

TEST_F(PayloadCopyTest, CopiesEveryFileOfALargeSourceFolder) {
  for (int i = 0; i < 150; ++i) m.files.AddFile(Data("file" + std::to_string(i) + ".dat"), std::to_string(i));

  EXPECT_TRUE(Copy());
  EXPECT_EQ(150u, m.files.Names(job.folder).size());
  EXPECT_EQ("149", m.files.Content(Installed("file149.dat")));
  EXPECT_EQ(152 + 1, progress.steps);
}

TEST_F(PayloadCopyTest, CreatesTheInstallFolderOneLevelDeep) {
  m.files.AddFile(Data("a.txt"), "a");
  job.folder = "C:\\Quilox\\Other";
  EXPECT_TRUE(Copy());
  EXPECT_EQ("a", m.files.Content("C:\\Quilox\\Other\\a.txt"));
}

// Read-only attributes and Zone.Identifier streams.

TEST_F(PayloadCopyTest, ReadOnlyFilesOnEitherSideAreCopiedAndTheCopyIsNeverReadOnly) {
  struct Case {
    uint32_t source;       // the source file's attributes
    bool sourceStuck;      // its attributes cannot be changed
    const char* previous;  // an earlier installation's read-only copy, or null
    uint32_t sourceAfter;
  } cases[] = {
      {kAttrReadOnly | kAttrHidden, false, nullptr, kAttrHidden},
      {kAttrArchive, false, "old", kAttrArchive},
      {kAttrReadOnly, true, nullptr, kAttrReadOnly},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    MemoryPlatform local;
    local.files.AddFile("C:\\Setup\\Data\\a.txt", "new", c.source);
    if (c.sourceStuck) local.files.FailSetAttributes("C:\\Setup\\Data\\a.txt");
    local.files.AddFolder("C:\\Quilox\\Tessarune");
    if (c.previous != nullptr) local.files.AddFile("C:\\Quilox\\Tessarune\\a.txt", c.previous, kAttrReadOnly);
    EXPECT_TRUE(CopyPayload(local.platform(), kOwner, InstallJob{"C:\\Quilox\\Tessarune", nullptr}));
    EXPECT_EQ("new", local.files.Content("C:\\Quilox\\Tessarune\\a.txt"));
    EXPECT_EQ(c.sourceAfter, local.files.Attributes("C:\\Setup\\Data\\a.txt"));
    EXPECT_EQ(0u, local.files.Attributes("C:\\Quilox\\Tessarune\\a.txt") & kAttrReadOnly);
    EXPECT_TRUE(local.boxes.Shown().empty());
  }
}

// Without a folder for the copies, the copy goes under a name of '~' as long as the file's, then
// into place: a file an earlier run left under that name, even read-only, is removed rather than
// copied over or in the way.
TEST(FreshCopy, AFileLeftUnderTheTemporaryNameIsReplacedAndGone) {
  for (uint32_t leftover : {kAttrArchive, kAttrReadOnly}) {
    SCOPED_TRACE(leftover);
    MemoryPlatform local;
    local.files.AddFile("C:\\Setup\\Data\\a.txt", "new");
    local.files.AddFolder("C:\\Quilox\\Tessarune");
    local.files.AddFile("C:\\Quilox\\Tessarune\\~~~~~", "left", leftover);
    EXPECT_EQ(CopyOutcome::Installed, CopyFresh(local.platform(), nullptr, "a.txt", "C:\\Setup\\Data\\a.txt",
                                                "C:\\Quilox\\Tessarune\\a.txt"));
    EXPECT_EQ("new", local.files.Content("C:\\Quilox\\Tessarune\\a.txt"));
    EXPECT_FALSE(local.files.Exists("C:\\Quilox\\Tessarune\\~~~~~"));
  }
}

// The copies go through a folder the install makes for them in the install folder, never one
// that was there (an earlier run's), and which is gone afterwards. When none can be made they go
// beside their files; when someone else makes the one chosen in the meantime, there is none.
TEST(FreshCopy, CopiesGoThroughANewFolderOfTheirOwn) {
  const std::string kFolder = "C:\\Quilox\\Tessarune";
  struct Case {
    int planted;  // folders ~copying-1.. left from before
    bool denied;  // no folder can be made
    bool raced;   // someone else makes the first free one just before the setup
  } cases[] = {{0, false, false}, {1, false, false}, {9, false, false}, {0, true, false}, {1, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.planted) + (c.denied ? ", denied" : "") + (c.raced ? ", raced" : ""));
    MemoryPlatform local;
    local.files.AddFolder(kFolder);
    for (int n = 1; n <= c.planted; ++n) {
      local.files.AddFile(kFolder + "\\~copying-" + std::to_string(n) + "\\a.txt", "from before");
    }
    local.files.AddFile("C:\\Setup\\Data\\a.txt", "new");
    const std::string first = kFolder + "\\~copying-" + std::to_string(c.planted + 1);
    if (c.raced) local.files.Race(first);
    std::string used;
    {
      if (c.denied) local.files.FailCall(local.files.Calls() + 2);  // the creation, after the look
      const CopyFolder folder(local.files, kFolder);
      used = folder.Path();
      EXPECT_EQ(c.raced ? first : "", folder.Raced());
      EXPECT_EQ(used.empty() ? 0u : 1u, local.files.HeldFolders()) << "held while in use";
      EXPECT_EQ(CopyOutcome::Installed,
                CopyFresh(local.platform(), nullptr, "a.txt", "C:\\Setup\\Data\\a.txt", kFolder + "\\a.txt", used));
    }
    const bool made = c.planted < 9 && !c.denied && !c.raced;
    EXPECT_EQ(made ? first : "", used);
    EXPECT_EQ("new", local.files.Content(kFolder + "\\a.txt"));
    for (int n = 1; n <= 9; ++n) {
      const std::string planted = kFolder + "\\~copying-" + std::to_string(n) + "\\a.txt";
      EXPECT_EQ(n <= c.planted ? "from before" : "", local.files.Content(planted)) << n;
    }
    EXPECT_FALSE(local.files.Exists(made ? first : kFolder + "\\~~~~~")) << "gone afterwards";
  }
}

TEST_F(PayloadCopyTest, ZoneIdentifierIsRemovedFromTheSourceBeforeCopying) {
  m.files.AddFile(Data("a.txt"), "a");
  m.files.AddStream(Data("a.txt"), "Zone.Identifier", "[ZoneTransfer]\r\nZoneId=3");
  m.files.AddStream(Data("a.txt"), "Other", "kept");
  // Read-only: the stream can only go once the attribute is cleared.
  m.files.AddFile(Data("b.txt"), "b", kAttrReadOnly);
  m.files.AddStream(Data("b.txt"), "Zone.Identifier", "[ZoneTransfer]\r\nZoneId=3");
  // A symbolic link is never touched, nor what it leads to: its copy fails and is asked about.
  m.files.AddFile(Data("c.txt"), "c", kAttrReadOnly);
  m.files.AddStream(Data("c.txt"), "Zone.Identifier", "[ZoneTransfer]\r\nZoneId=3");
  m.files.AddReparsePoint(Data("c.txt"), 0xA000000C);
  m.boxes.Answer(kIdIgnore);

  EXPECT_TRUE(Copy());
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
    SCOPED_TRACE(name);
    const bool link = std::string(name) == "c.txt";
    EXPECT_EQ(link, m.files.HasStream(Data(name), "Zone.Identifier"));
    EXPECT_EQ(link, (m.files.Attributes(Data(name)) & kAttrReadOnly) != 0);
    EXPECT_FALSE(m.files.HasStream(Installed(name), "Zone.Identifier"));
    EXPECT_EQ(!link, m.files.IsFile(Installed(name)));
  }
  EXPECT_TRUE(m.files.HasStream(Installed("a.txt"), "Other"));
}

// A copy that fails.

// Answers the copy questions in turn (0 once they run out), letting go of a locked file first
// when the user has closed what held it.
class AnsweringBoxes : public MessageBoxes {
 public:
  AnsweringBoxes(MemoryFileSystem& files, std::vector<int> answers, std::string unlock)
      : files_(files), answers_(std::move(answers)), unlock_(std::move(unlock)) {}
  int Show(WindowRef owner, const std::string& text, const std::string& caption, unsigned style) override {
    shown.push_back(ShownBox{owner, text, caption, style});
    if (!unlock_.empty()) files_.Unlock(unlock_);
    return shown.size() <= answers_.size() ? answers_[shown.size() - 1] : 0;
  }
  std::vector<ShownBox> shown;

 private:
  MemoryFileSystem& files_;
  std::vector<int> answers_;
  std::string unlock_;
};

TEST_F(PayloadCopyTest, AFailedCopyAsksAbortRetryIgnoreNamingTheTarget) {
  struct Case {
    std::vector<int> answers;
    bool released;  // the lock is gone by the first answer
    bool result;
    size_t questions;
    const char* b;  // the installed b.txt afterwards
    bool goesOn;    // c.txt, after it, is copied
  } cases[] = {
      {{kIdRetry}, true, true, 1, "new b", true},
      {{kIdRetry, kIdRetry, kIdIgnore}, false, true, 3, "old b", true},
      {{kIdIgnore}, false, true, 1, "old b", true},
      {{kIdAbort}, false, false, 1, "old b", false},
      {{0}, false, false, 1, "old b", false},  // a box that cannot be shown stops the run
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.questions);
    MemoryPlatform local;
    local.files.AddFile("C:\\Setup\\Data\\a.txt", "new a");
    local.files.AddFile("C:\\Setup\\Data\\b.txt", "new b");
    local.files.AddFile("C:\\Setup\\Data\\c.txt", "new c");
    local.files.AddFile("C:\\Quilox\\Tessarune\\b.txt", "old b");
    local.files.Lock("C:\\Quilox\\Tessarune\\b.txt");
    AnsweringBoxes boxes(local.files, c.answers, c.released ? "C:\\Quilox\\Tessarune\\b.txt" : "");
    Platform p{local.registry, local.files, local.processes, boxes, local.codePage};
    CountingProgress steps;

    EXPECT_EQ(c.result, CopyPayload(p, kOwner, InstallJob{"C:\\Quilox\\Tessarune", &steps}));
    ASSERT_EQ(c.questions, boxes.shown.size());
    for (const ShownBox& box : boxes.shown) {
      EXPECT_EQ(CopyFailedText("C:\\Quilox\\Tessarune\\b.txt"), box.text);
      EXPECT_EQ(kCaption, box.caption);
      EXPECT_EQ(kMbAbortRetryIgnore, box.style);
      EXPECT_EQ(kOwner, box.owner);
    }
    EXPECT_EQ("new a", local.files.Content("C:\\Quilox\\Tessarune\\a.txt"));
    EXPECT_EQ(c.b, local.files.Content("C:\\Quilox\\Tessarune\\b.txt"));
    EXPECT_EQ(c.goesOn, local.files.IsFile("C:\\Quilox\\Tessarune\\c.txt"));
    // ".", "..", a.txt, b.txt, and when it goes on c.txt and the end of the listing.
    EXPECT_EQ(c.goesOn ? 6 : 4, steps.steps);
    EXPECT_EQ(0u, local.files.OpenListings());
  }
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
class UnreadableForAWhile : public ForwardingFileSystem {
 public:
  UnreadableForAWhile(MemoryFileSystem& files, int failures) : ForwardingFileSystem(files), failures_(failures) {}
  std::unique_ptr<DirListing> FindFirst(const std::string& pattern, FindEntry* first) override {
    if (pattern.find('*') != std::string::npos && failures_ > 0) {
      --failures_;
      return nullptr;
    }
    return ForwardingFileSystem::FindFirst(pattern, first);
  }

 private:
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

TEST(BrokenListing, WhileTheShareIsGoneTheSourceIsAskedAbout) {
  struct Case {
    std::vector<int> answers;
    bool result;
  } cases[] = {
      {{kIdAbort}, false},
      {{kIdRetry, kIdRetry, kIdAbort}, false},
      {{kIdIgnore}, true},  // goes on as finished
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers.size());
    MemoryPlatform local;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
      local.files.AddFile(std::string("C:\\Setup\\Data\\") + name, "");
    }
    local.files.AddFolder("C:\\Quilox\\Tessarune");
    local.files.BreakListing("C:\\Setup\\Data", 4);  // ".", "..", a.txt, b.txt: then the share is gone
    for (int answer : c.answers) local.boxes.Answer(answer);

    EXPECT_EQ(c.result, CopyPayload(local.platform(), kOwner, InstallJob{"C:\\Quilox\\Tessarune", nullptr}));
    ASSERT_EQ(c.answers.size(), local.boxes.Shown().size());
    for (const ShownBox& box : local.boxes.Shown()) {
      EXPECT_EQ(CopyFailedText("C:\\Setup\\Data"), box.text);
      EXPECT_EQ(kMbAbortRetryIgnore, box.style);
    }
    EXPECT_TRUE(local.files.IsFile("C:\\Quilox\\Tessarune\\b.txt"));
    EXPECT_FALSE(local.files.IsFile("C:\\Quilox\\Tessarune\\c.txt"));
    EXPECT_EQ(0u, local.files.OpenListings());
  }
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

TEST_F(BrokenListingTest, ABreakAtTheVeryEndIsStillABreak) {
  m.files.BreakListing(kData, std::numeric_limits<size_t>::max());
  const size_t before = m.files.Calls();
  ASSERT_TRUE(Copy());
  ASSERT_TRUE(m.boxes.Shown().empty()) << "a listing that ends normally asks nothing";
  const size_t calls = m.files.Calls() - before;

  // The same run again, the search past the last entry failing (the last call but the removal of
  // the copies' folder).
  m.files.FailCall(m.files.Calls() + calls - 1);
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
  // Ignore goes on without the payload.
  m.boxes.Answer(kIdIgnore);
  EXPECT_TRUE(Copy());
  EXPECT_EQ(3u, m.boxes.Shown().size());
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
