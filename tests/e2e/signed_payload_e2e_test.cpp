// A distribution made by the packer, whose SetUp.exe carries the payload's manifest: untouched it
// installs every file as it is; a tampered, an added and a removed file are neither installed nor
// registered, and the older copy of the tampered one stays.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "automation/actions.h"
#include "automation/file_tree.h"
#include "automation/message_boxes.h"
#include "automation/program.h"
#include "automation/registry_seed.h"
#include "automation/text.h"
#include "automation/windows.h"
#include "automation/wine_paths.h"
#include "installed_places.h"
#include "machine_snapshot.h"
#include "setup_session.h"
#include "simulated_machine.h"

using namespace automation;
using harness::SimulatedAcad;
using harness::SimulatedMachine;
using harness::StandardAcad;

namespace e2e {
namespace {

const char kDist[] = "C:\\tessa_signed";
const char kData[] = "C:\\tessa_signed\\Data";

// relative path -> "size<TAB>hash" of every file below a folder.
std::map<std::string, std::string> Files(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const std::string& line : ListFileTree(root)) {
    if (line.compare(0, 5, "file\t") != 0) continue;
    const size_t rel = 5, end = line.find('\t', rel);
    const size_t readOnly = line.rfind('\t');
    files[UnescapeField(line.substr(rel, end - rel))] = line.substr(end + 1, readOnly - end - 1);
  }
  return files;
}

std::string FileText(const std::string& path) {
  std::string content;
  return ReadFileBytes(path, &content) ? content : "<missing>";
}

class SignedPayload : public ::testing::Test {
 protected:
  void SetUp() override {
    harness::ClearAcadRegistry();
    ASSERT_TRUE(DeleteFileTree(kDefaultInstallPath));
    ASSERT_TRUE(DeleteFileTree(kDist));
    // The packed distribution, copied so that the case may change it.
    const std::string packed = DosPathFromUnix(TESSA_SIGNED_DIST);
    std::vector<FileSeed> seeds;
    for (const auto& file : Files(packed)) {
      std::string content;
      ASSERT_TRUE(ReadFileBytes(packed + "\\" + file.first, &content)) << file.first;
      seeds.push_back(FileSeed::File(std::string(kDist) + "\\" + file.first, content));
    }
    SeedFiles(seeds);
    machine_.Add(StandardAcad(2010)).Add(StandardAcad(2013));
    machine_.Seed();
  }
  void TearDown() override {
    program_.TerminateIfRunning();
    machine_.Clear();
    DeleteFileTree(kDefaultInstallPath);
  }

  // Installs with the default path, answering Ignore to every question; returns the questions.
  std::vector<MessageBoxInfo> InstallIgnoringQuestions() {
    std::vector<MessageBoxInfo> questions;
    program_ = Program::Start(std::string(kDist) + "\\SetUp.exe", {}, WorkFolder());
    HWND dialog = WaitForTopLevelWindow(kDialogTitle, program_.Pid(), kDefaultTimeoutMs);
    if (!dialog) {
      ADD_FAILURE() << "no setup dialog";
      return questions;
    }
    const ActionResult clicked = ClickButton(dialog, kInstallId, 60000).result;
    EXPECT_TRUE(clicked == ActionResult::ModalShown || clicked == ActionResult::Done) << ActionResultName(clicked);
    std::vector<HWND> known;
    for (int completions = 0; completions < 2;) {
      HWND box = WaitForMessageBox(program_.Pid(), 60000, known);
      if (!box) {
        ADD_FAILURE() << "no message box appeared";
        return questions;
      }
      known.push_back(box);
      MessageBoxInfo info = ReadMessageBox(box);
      const bool question = info.buttons.size() == 3;
      if (question) questions.push_back(info);
      completions += question ? 0 : 1;
      EXPECT_EQ(ActionResult::WindowClosed, AnswerMessageBox(box, question ? IDIGNORE : IDOK, 60000).result);
    }
    EXPECT_TRUE(program_.WaitForExit(kDefaultTimeoutMs));
    return questions;
  }

  std::string Loader(size_t installation, const std::string& entry) const {
    std::string text;
    const std::string key = machine_.Installations()[installation].ProductKeyPath() + "\\Applications\\" + entry;
    return ReadRegistryText(HKEY_LOCAL_MACHINE, key, "LOADER", &text) ? text : "<missing>";
  }

  SimulatedMachine machine_;
  Program program_;
};

TEST_F(SignedPayload, OnlyTheSignedFilesAreInstalledAndRegistered) {
  // Untouched: the payload without SetUp.exe and the fonts, byte for byte, and every entry.
  std::map<std::string, std::string> expected = Files(kData);
  expected.erase("Quilox_EN.shx");
  expected.erase("Quilox_HZ.shx");
  EXPECT_TRUE(InstallIgnoringQuestions().empty());
  EXPECT_EQ(expected, Files(kInstallFolder));
  EXPECT_EQ(std::string(kInstallFolder) + "\\Quilox2010.ARX", Loader(0, "Quilox2010"));
  EXPECT_EQ(std::string(kInstallFolder) + "\\Quilox2013.ARX", Loader(1, "Quilox2013"));

  // On a machine with an older module only: one byte changed, one file added, one removed.
  machine_.Clear();
  harness::ClearAcadRegistry();
  machine_.Seed();
  ASSERT_TRUE(DeleteFileTree(kDefaultInstallPath));
  const std::string older = std::string(kInstallFolder) + "\\Quilox2010.ARX";
  std::string tampered = FileText(std::string(kData) + "\\Quilox2010.ARX");
  tampered[10] ^= 1;
  SeedFiles({FileSeed::File(older, "older module"), FileSeed::File(std::string(kData) + "\\Quilox2010.ARX", tampered),
             FileSeed::File(std::string(kData) + "\\Added.ARX", "not in the distribution")});
  ASSERT_TRUE(DeleteFileTree(std::string(kData) + "\\Quilox2013.ARX"));

  const std::vector<MessageBoxInfo> questions = InstallIgnoringQuestions();
  ASSERT_EQ(2u, questions.size());
  EXPECT_EQ("文件 C:\\tessa_signed\\Data\\Quilox2010.ARX 与签名的安装包不符。", questions[0].text);
  EXPECT_EQ("文件 C:\\tessa_signed\\Data\\Quilox2013.ARX 与签名的安装包不符。", questions[1].text);
  for (const MessageBoxInfo& question : questions) EXPECT_EQ("Tessarune软件安装", question.caption);
  EXPECT_EQ("older module", FileText(older));
  expected.erase("Quilox2013.ARX");
  expected["Quilox2010.ARX"] = Files(kInstallFolder)["Quilox2010.ARX"];
  EXPECT_EQ(expected, Files(kInstallFolder)) << "nothing added, nothing removed, no temporary file";
  EXPECT_EQ("<missing>", Loader(0, "Quilox2010"));
  EXPECT_EQ(std::string(kInstallFolder) + "\\Quilox2010_32.ARX", Loader(0, "Quilox2010_32"));
  EXPECT_EQ("<missing>", Loader(1, "Quilox2013"));
}

}  // namespace
}  // namespace e2e
