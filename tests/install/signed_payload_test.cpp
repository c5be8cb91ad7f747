// With a manifest compiled in, only the files of the signed distribution are installed.
#include <gtest/gtest.h>

#include "install/install.h"
#include "install_test_support.h"
#include "tests/memory/memory_platform.h"

namespace {

const char kAbc[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";  // SHA-256 of "abc"

std::string NotSignedText(const std::string& path) { return "文件 " + path + " 与签名的安装包不符。"; }

TEST(PayloadManifestTest, OnlyWellFormedLinesListAFile) {
  const PayloadManifest manifest = PayloadManifest::Parse(
      std::string(kAbc) + " 3 Quilox2010.ARX\r\n" +  // Windows line end
      "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD 3 Upper.txt\n" +
      std::string(kAbc) + " 3 Quilox扩展绘图库\\Block one.dwg\n" +
      std::string(kAbc).substr(1) + " 3 short-digest.txt\n" + std::string(kAbc) + " x3 bad-size.txt\n" +
      std::string(kAbc) + " 3\n" + "\n" + std::string(kAbc) + " 3 last-without-newline.txt");
  Cp936CodePage cp;
  struct Case {
    const char* name;
    bool listed;
  } cases[] = {
      {"quilox2010.arx", true},         {"upper.TXT", true},      {"Quilox扩展绘图库\\BLOCK ONE.dwg", true},
      {"Block one.dwg", false},         {"short-digest.txt", false}, {"bad-size.txt", false},
      {"last-without-newline.txt", true}, {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ManifestEntry* entry = manifest.Find(cp, c.name);
    ASSERT_EQ(c.listed, entry != nullptr);
    if (entry) {
      EXPECT_EQ(kAbc, entry->sha256);
    }
  }
}

class SignedPayloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m.files.AddDrive('D');
    m.files.SetModulePath("D:\\Dist\\SetUp.exe");
    m.files.AddFolder("D:\\Dist\\Data");
    m.files.AddFolder(kFolder);
  }
  static constexpr char kFolder[] = "C:\\Quilox\\Tessarune";
  MemoryPlatform m;
  std::vector<std::string> installed;
};
constexpr char SignedPayloadTest::kFolder[];

TEST_F(SignedPayloadTest, EachPayloadFileIsInstalledOnlyWhenItMatches) {
  struct Case {
    const char* what;
    const char* data;   // content in Data, or null for none
    const char* older;  // content already installed, or null
    int answer;         // to the question, when there is one
    bool asked;
    const char* after;  // installed content afterwards, or null for none
    bool result;
  } cases[] = {
      {"matches", "abc", "old", 0, false, "abc", true},
      {"tampered, ignored", "abd", "old", kIdIgnore, true, "old", true},
      {"tampered, never there before", "abc ", nullptr, kIdIgnore, true, nullptr, true},
      {"tampered, aborted", "xbc", "old", kIdAbort, true, "old", false},
      {"listed but missing", nullptr, "old", kIdIgnore, true, "old", true},
      {"listed but missing, aborted", nullptr, nullptr, kIdAbort, true, nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryPlatform local;
    local.files.AddFolder("C:\\Setup\\Data");
    local.files.AddFolder(kFolder);
    if (c.data) local.files.AddFile("C:\\Setup\\Data\\Quilox2010.ARX", c.data);
    if (c.older) local.files.AddFile("C:\\Quilox\\Tessarune\\Quilox2010.ARX", c.older, kAttrReadOnly);
    local.boxes.Answer(c.answer);
    const PayloadManifest manifest = PayloadManifest::Parse(std::string(kAbc) + " 3 quilox2010.arx\n");
    std::vector<std::string> names;

    EXPECT_EQ(c.result, CopyPayload(local.platform(), kOwner, InstallJob{kFolder, nullptr, &manifest, &names}));
    if (c.asked) {
      ASSERT_EQ(1u, local.boxes.Shown().size());
      EXPECT_EQ(NotSignedText(c.data ? "C:\\Setup\\Data\\Quilox2010.ARX" : "C:\\Setup\\Data\\quilox2010.arx"),
                local.boxes.Shown()[0].text);
      EXPECT_EQ("Tessarune软件安装", local.boxes.Shown()[0].caption);
      EXPECT_EQ(kMbAbortRetryIgnore, local.boxes.Shown()[0].style);
    } else {
      EXPECT_TRUE(local.boxes.Shown().empty());
    }
    // Nothing else is left in the folder, no temporary copy either.
    EXPECT_EQ(c.after ? std::vector<std::string>{"Quilox2010.ARX"} : std::vector<std::string>{},
              local.files.Names(kFolder));
    if (c.after) {
      EXPECT_EQ(c.after, local.files.Content("C:\\Quilox\\Tessarune\\Quilox2010.ARX"));
    }
    EXPECT_EQ(c.after && !c.asked ? std::vector<std::string>{"Quilox2010.ARX"} : std::vector<std::string>{}, names);
  }
}

TEST_F(SignedPayloadTest, RetryAfterTheFileIsRepairedInstallsIt) {
  m.files.AddFile("D:\\Dist\\Data\\a.txt", "abd");
  // The user puts the right file back before answering.
  class RepairingBoxes : public MessageBoxes {
   public:
    explicit RepairingBoxes(MemoryFileSystem& files) : files_(files) {}
    int Show(WindowRef, const std::string&, const std::string&, unsigned) override {
      ++shown;
      files_.AddFile("D:\\Dist\\Data\\a.txt", "abc");
      return kIdRetry;
    }
    int shown = 0;

   private:
    MemoryFileSystem& files_;
  } boxes(m.files);
  const PayloadManifest manifest = PayloadManifest::Parse(std::string(kAbc) + " 3 a.txt\n");
  Platform p{m.registry, m.files, m.processes, boxes, m.codePage};

  EXPECT_TRUE(CopyPayload(p, kOwner, InstallJob{kFolder, nullptr, &manifest, &installed}));
  EXPECT_EQ(1, boxes.shown);
  EXPECT_EQ("abc", m.files.Content("C:\\Quilox\\Tessarune\\a.txt"));
}

TEST_F(SignedPayloadTest, UnlistedFilesAreLeftOutEverywhereWithoutAWord) {
  m.files.AddFile("D:\\Dist\\Data\\Quilox2010.ARX", "abc");
  m.files.AddFile("D:\\Dist\\Data\\added.dll", "abc");
  m.files.AddFile("D:\\Dist\\Data\\Quilox扩展绘图库\\listed.dwg", "abc");
  m.files.AddFile("D:\\Dist\\Data\\Quilox扩展绘图库\\added.dwg", "abc");
  m.files.AddFile("D:\\Dist\\Data\\Quilox扩展绘图库\\tampered.dwg", "abd");
  m.files.AddFile("C:\\Quilox\\Tessarune\\Quilox扩展绘图库\\tampered.dwg", "old");
  const PayloadManifest manifest = PayloadManifest::Parse(std::string(kAbc) + " 3 Quilox2010.ARX\n" + kAbc +
                                                          " 3 Quilox扩展绘图库\\listed.dwg\n" + kAbc +
                                                          " 3 Quilox扩展绘图库\\tampered.dwg\n");
  const InstallJob job{kFolder, nullptr, &manifest, &installed};

  EXPECT_TRUE(CopyPayload(m.platform(), kOwner, job));
  CopyDrawingLibrary(m.platform(), kOwner, job);
  EXPECT_EQ((std::vector<std::string>{"Quilox2010.ARX", "Quilox扩展绘图库"}), m.files.Names(kFolder));
  EXPECT_EQ((std::vector<std::string>{"listed.dwg", "tampered.dwg"}),
            m.files.Names("C:\\Quilox\\Tessarune\\Quilox扩展绘图库"));
  EXPECT_EQ("old", m.files.Content("C:\\Quilox\\Tessarune\\Quilox扩展绘图库\\tampered.dwg"));
  EXPECT_EQ((std::vector<std::string>{"Quilox2010.ARX", "Quilox扩展绘图库\\listed.dwg"}), installed);
  EXPECT_TRUE(m.boxes.Shown().empty());
}

TEST_F(SignedPayloadTest, FontsAndDriverThatDoNotMatchAreNotCopied) {
  struct Case {
    const char* file;  // in Data
    const char* target;
  } cases[] = {
      {"Quilox_EN.shx", "Fonts\\Quilox_EN.shx"},
      {"Quilox_HZ.shx", "Fonts\\Quilox_HZ.shx"},
      {"Quilox.prt5", "Drv\\pdfplot9.hdi"},
  };
  const PayloadManifest manifest = PayloadManifest::Parse(std::string(kAbc) + " 3 Quilox_EN.shx\n" + kAbc +
                                                          " 3 quilox_hz.shx\n" + kAbc + " 3 Quilox.prt5\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    MemoryPlatform local;
    AcadReleaseTable table;
    int selected[kYearCount] = {};
    selected[2008 - kFirstYear] = 1;
    table.acadFolders[2008 - kFirstYear].push_back("C:\\AutoCAD 2008");
    for (const Case& other : cases) {
      local.files.AddFile(std::string("C:\\Setup\\Data\\") + other.file, &other == &c ? "abd" : "abc");
      local.files.AddFile(std::string("C:\\AutoCAD 2008\\") + other.target, "acad's own");
    }

    InstallSupportFiles(local.platform(), kOwner, table, selected, &manifest);
    for (const Case& other : cases) {
      EXPECT_EQ(&other == &c ? "acad's own" : "abc", local.files.Content(std::string("C:\\AutoCAD 2008\\") + other.target));
    }
    EXPECT_EQ((std::vector<std::string>{"pdfplot9.hdi"}), local.files.Names("C:\\AutoCAD 2008\\Drv"));
    EXPECT_TRUE(local.boxes.Shown().empty());
  }
}

}  // namespace
