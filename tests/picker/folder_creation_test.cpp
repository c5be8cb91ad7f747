// Confirming a typed folder: the question, the creation level by level and the two failure messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "picker/folder_validation.h"
#include "tests/memory/memory_platform.h"
#include "tests/support/descriptor_rights.h"
#include "tests/support/forwarding_file_system.h"

namespace {

// Passes everything on to the in-memory file system and keeps the folders asked for, in order.
class RecordingFileSystem : public ForwardingFileSystem {
 public:
  explicit RecordingFileSystem(FileSystem& inner) : ForwardingFileSystem(inner) {}

  long MakeDirectory(const std::string& path) override {
    created.push_back(path);
    return ForwardingFileSystem::MakeDirectory(path);
  }
  long MakeSecuredDirectory(const std::string& path, const std::string& sddl) override {
    created.push_back(path);
    descriptors.push_back(sddl);
    return ForwardingFileSystem::MakeSecuredDirectory(path, sddl);
  }

  std::vector<std::string> created;  // every MakeDirectory and MakeSecuredDirectory, in call order
  std::vector<std::string> descriptors;  // of every MakeSecuredDirectory
};

const WindowRef kBrowseWindow = 0x5A17;
const unsigned kQuestionStyle = 0x24;
const unsigned kFailureStyle = 0x30;

std::string Question(const std::string& path) {
  return "The folder:\n\n" + path + "\n\ndoes not exist. Do you want the folder to be created?";
}
std::string Invalid(const std::string& path) { return "The folder:\n\n" + path + "\n\nis invalid. Please reenter."; }
std::string NotCreated(const std::string& path) {
  return "The folder:\n\n" + path + "\n\ncan not be created. Please double check.";
}

class ConfirmFolder : public ::testing::Test {
 protected:
  int Confirm(const char* path) {
    Platform p{m_.registry, recorder_, m_.processes, m_.boxes, m_.codePage};
    return ConfirmInstallPath(p, kBrowseWindow, path);
  }
  const std::vector<ShownBox>& Shown() const { return m_.boxes.Shown(); }
  void ExpectBox(size_t index, const std::string& text, unsigned style) {
    ASSERT_LT(index, Shown().size());
    const ShownBox& box = Shown()[index];
    EXPECT_EQ(text, box.text);
    EXPECT_EQ(style, box.style);
    EXPECT_EQ("SetUp", box.caption);  // the default module is C:\Setup\SetUp.exe
    EXPECT_EQ(kBrowseWindow, box.owner);
  }

  MemoryPlatform m_;
  RecordingFileSystem recorder_{m_.files};
};

// --- Folders that are there already: accepted without a word.

TEST_F(ConfirmFolder, WhatIsThereAlreadyIsAcceptedWithoutAWord) {
  m_.files.AddFile("C:\\Quilox", "not a folder");  // a file of that name counts too
  m_.files.AddFolder("C:\\Program Files\\Quilox");
  for (const char* typed : {"C:\\", "C:\\Quilox", "c:\\PROGRAM FILES\\quilox"}) {
    EXPECT_EQ(0, Confirm(typed)) << typed;
  }
  EXPECT_TRUE(Shown().empty());
  EXPECT_TRUE(recorder_.created.empty());
  EXPECT_TRUE(m_.files.IsFile("C:\\Quilox"));
}

// --- Folders to be made: one question, then level by level.

TEST_F(ConfirmFolder, ThreeNewLevelsAreCreatedFromTheDriveOutward) {
  m_.boxes.Answer(kIdYes);
  EXPECT_EQ(0, Confirm("C:\\new1\\new2\\new3"));

  ASSERT_EQ(1u, Shown().size());
  ExpectBox(0, Question("C:\\new1\\new2\\new3"), kQuestionStyle);
  EXPECT_EQ((std::vector<std::string>{"C:\\new1", "C:\\new1\\new2", "C:\\new1\\new2\\new3"}), recorder_.created);
  EXPECT_TRUE(m_.files.IsFolder("C:\\new1\\new2\\new3"));
  EXPECT_EQ(0u, m_.boxes.Unanswered());
  // Each level owned by Administrators, and no user may delete or rename it.
  ASSERT_EQ(3u, recorder_.descriptors.size());
  for (const std::string& sddl : recorder_.descriptors) {
    const descriptor::Descriptor d = descriptor::Parse(sddl);
    ASSERT_TRUE(d.parsed) << sddl;
    EXPECT_EQ("BA", d.owner);
    EXPECT_TRUE(d.protectedDacl);
    EXPECT_EQ(0u, descriptor::UserRights(d, descriptor::Target::Folder) & 0x10000) << sddl;
  }
}

TEST_F(ConfirmFolder, LevelsThatExistAlreadyAreNoError) {
  m_.files.AddFolder("C:\\Quilox");
  m_.boxes.Answer(kIdYes);
  EXPECT_EQ(0, Confirm("C:\\Quilox\\Tessarune"));
  EXPECT_EQ(1u, Shown().size());
  EXPECT_EQ((std::vector<std::string>{"C:\\Quilox\\Tessarune"}), recorder_.created) << "only what is missing";
  EXPECT_TRUE(m_.files.IsFolder("C:\\Quilox\\Tessarune"));
}

TEST_F(ConfirmFolder, DoubleByteFoldersAreCreated) {
  m_.boxes.Answer(kIdYes);
  EXPECT_EQ(0, Confirm("C:\\安装\\Quilox扩展绘图库"));
  EXPECT_TRUE(m_.files.IsFolder("C:\\安装\\Quilox扩展绘图库"));
}

// Refused, or made by someone else between the look and the creation: either way not created.
TEST(ConfirmFolderFailure, AFailureOrARaceAtALevelStopsTheCreation) {
  for (bool raced : {false, true}) {
    SCOPED_TRACE(raced ? "raced" : "refused");
    MemoryPlatform m;
    RecordingFileSystem recorder(m.files);
    m.files.AddFolder("C:\\new1");
    if (raced) {
      m.files.Race("C:\\new1\\new2");
    } else {
      m.files.DenyCreate("C:\\new1\\new2");
    }
    m.boxes.Answer(kIdYes);
    Platform p{m.registry, recorder, m.processes, m.boxes, m.codePage};
    EXPECT_EQ(2, ConfirmInstallPath(p, kBrowseWindow, "C:\\new1\\new2\\new3"));
    ASSERT_EQ(2u, m.boxes.Shown().size());
    EXPECT_EQ(NotCreated("C:\\new1\\new2\\new3"), m.boxes.Shown()[1].text);
    EXPECT_EQ((std::vector<std::string>{"C:\\new1\\new2"}), recorder.created);  // stops there
    EXPECT_FALSE(m.files.Exists("C:\\new1\\new2\\new3"));
  }
}

TEST_F(ConfirmFolder, AFileInTheWayStopsTheCreation) {
  m_.files.AddFile("C:\\Quilox", "in the way");
  m_.boxes.Answer(kIdYes);
  EXPECT_EQ(2, Confirm("C:\\Quilox\\Tessarune"));
  ASSERT_EQ(2u, Shown().size());
  ExpectBox(1, NotCreated("C:\\Quilox\\Tessarune"), kFailureStyle);
  EXPECT_TRUE(m_.files.IsFile("C:\\Quilox"));
}

TEST_F(ConfirmFolder, AMissingDriveRootIsAskedForThenNotCreated) {
  m_.boxes.Answer(kIdYes);
  EXPECT_EQ(2, Confirm("Q:\\"));
  ASSERT_EQ(2u, Shown().size());
  ExpectBox(0, Question("Q:\\"), kQuestionStyle);
  ExpectBox(1, NotCreated("Q:\\"), kFailureStyle);
  EXPECT_TRUE(recorder_.created.empty());  // a root is never created
  EXPECT_FALSE(m_.files.Exists("Q:\\"));
}

TEST_F(ConfirmFolder, AFolderOnAMissingDriveIsNotCreated) {
  m_.boxes.Answer(kIdYes);
  EXPECT_EQ(2, Confirm("Q:\\new1\\new2"));
  EXPECT_EQ((std::vector<std::string>{"Q:\\new1"}), recorder_.created);
  ASSERT_EQ(2u, Shown().size());
  ExpectBox(1, NotCreated("Q:\\new1\\new2"), kFailureStyle);
}

TEST_F(ConfirmFolder, AnythingButYesCreatesNothing) {
  for (int answer : {kIdNo, kIdCancel, kIdOk, 0}) {
    SCOPED_TRACE(answer);
    MemoryPlatform m;
    m.boxes.Answer(answer);
    Platform p = m.platform();
    EXPECT_EQ(-1, ConfirmInstallPath(p, kBrowseWindow, "C:\\new1\\new2"));
    ASSERT_EQ(1u, m.boxes.Shown().size());  // no further message
    EXPECT_EQ(Question("C:\\new1\\new2"), m.boxes.Shown()[0].text);
    EXPECT_FALSE(m.files.Exists("C:\\new1"));
  }
}

// --- Invalid paths: one message, no question, nothing made.

TEST_F(ConfirmFolder, AnInvalidNameDeepInsideCreatesNothing) {
  EXPECT_EQ(1, Confirm("C:\\new1\\new2\\bad?\\new4"));
  ASSERT_EQ(1u, Shown().size());
  ExpectBox(0, Invalid("C:\\new1\\new2\\bad?\\new4"), kFailureStyle);
  EXPECT_TRUE(recorder_.created.empty());
  EXPECT_FALSE(m_.files.Exists("C:\\new1"));
}

TEST_F(ConfirmFolder, InvalidFormsAreReportedWithTheTextAsTyped) {
  for (const char* path : {"C:", "C:abc", "\\\\server\\share\\x", "C:\\abc\\", "C:\\100%s%n|"}) {
    SCOPED_TRACE(path);
    MemoryPlatform m;
    Platform p = m.platform();
    EXPECT_EQ(1, ConfirmInstallPath(p, kBrowseWindow, path));
    ASSERT_EQ(1u, m.boxes.Shown().size());
    EXPECT_EQ(Invalid(path), m.boxes.Shown()[0].text);  // a '%' in the text stays as it is
  }
}

TEST_F(ConfirmFolder, ANullPathIsInvalid) {
  EXPECT_EQ(1, Confirm(nullptr));
  ASSERT_EQ(1u, Shown().size());
  ExpectBox(0, Invalid(""), kFailureStyle);
}

// --- Caption: the executable's name without its extension.

TEST_F(ConfirmFolder, TheCaptionFollowsTheExecutablesName) {
  m_.files.SetModulePath("D:\\发布 1.2\\安装程序.exe");
  m_.boxes.Answer(kIdNo);
  Confirm("C:\\new1");
  Confirm("C:\\a|b");
  ASSERT_EQ(2u, Shown().size());
  EXPECT_EQ("安装程序", Shown()[0].caption);
  EXPECT_EQ("安装程序", Shown()[1].caption);
}

// --- The byte-wise walk: a double-byte character with trail byte 0x5C splits its name in two.

TEST_F(ConfirmFolder, ATrailByteBackslashIsWalkedAsALevel) {
  m_.boxes.Answer(kIdYes);
  Confirm("C:\\a淺b");  // 淺 is 9C 5C
  ASSERT_FALSE(recorder_.created.empty());
  EXPECT_EQ("C:\\a\x9C", recorder_.created[0]);
}

}  // namespace
