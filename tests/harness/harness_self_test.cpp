// The end-to-end tests judge the setup through the harness. Most harness faults make them fail
// loudly; these cases guard against the ones that would let them pass without looking: a state
// read wrongly, a click refused (or done) for the wrong reason, a message box not found, a
// snapshot that does not change when the machine does, an exit code not read.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/actions.h"
#include "automation/controls.h"
#include "automation/file_tree.h"
#include "automation/message_boxes.h"
#include "automation/program.h"
#include "automation/registry_dump.h"
#include "automation/registry_seed.h"
#include "automation/wine_paths.h"
#include "automation/windows.h"
#include "sample_window_ids.h"

using namespace automation;

namespace {

class SampleWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = Program::Start(DosPathFromUnix(TESSA_SAMPLE_WINDOW_EXE));
    window_ = WaitForTopLevelWindow(kSampleTitle, program_.Pid(), kDefaultTimeoutMs);
    ASSERT_NE(window_, nullptr) << "the sample window did not show";
  }
  void TearDown() override { program_.TerminateIfRunning(); }

  std::string Text(int id) { return ReadControl(window_, id).text; }

  Program program_;
  HWND window_ = nullptr;
};

// "Disabled", "hidden" and "unticked" must come from the control, not from a default.
TEST_F(SampleWindow, ReadsEnabledVisibleAndCheckedAsTheControlsAre) {
  const struct {
    int id;
    bool enabled, visible;
    int checked;
  } cases[] = {{IDC_SAMPLE_CHECK, true, true, BST_UNCHECKED},
               {IDC_SAMPLE_DISABLED, false, true, BST_UNCHECKED},
               {IDC_SAMPLE_HIDDEN, true, false, -1},  // only buttons have a check state
               {IDC_SAMPLE_EDIT, true, true, -1}};
  for (const auto& c : cases) {
    ControlInfo control = ReadControl(window_, c.id);
    EXPECT_EQ(control.enabled, c.enabled) << c.id;
    EXPECT_EQ(control.visible, c.visible) << c.id;
    EXPECT_EQ(control.checked, c.checked) << c.id;
  }
  ClickButton(window_, IDC_SAMPLE_CHECK);
  EXPECT_EQ(ReadControl(window_, IDC_SAMPLE_CHECK).checked, BST_CHECKED);
}

// A click the harness calls done reached the program; one it refuses did not.
TEST_F(SampleWindow, ClicksThatAUserCouldMakeAreDoneAndOnlyThose) {
  EXPECT_EQ(ClickButton(window_, IDC_SAMPLE_CHECK).result, ActionResult::Done);
  EXPECT_EQ(Text(IDC_SAMPLE_CLICKS), "1");
  EXPECT_EQ(ClickButton(window_, IDC_SAMPLE_DISABLED).result, ActionResult::Refused);
  EXPECT_EQ(ClickButton(window_, IDC_SAMPLE_HIDDEN).result, ActionResult::Refused);
  EXPECT_EQ(ClickButton(window_, 4242).result, ActionResult::Refused);
  EXPECT_EQ(SetEditText(window_, IDC_SAMPLE_HIDDEN, "x").result, ActionResult::Refused);
  EXPECT_EQ(Text(IDC_SAMPLE_ANSWER), "none") << "a refused click reached the program";
}

// "No message box appeared" must mean there is none.
TEST_F(SampleWindow, FindsAMessageBoxOfTheProgramWithOrWithoutOwner) {
  ASSERT_EQ(ClickButton(window_, IDC_SAMPLE_ASK).result, ActionResult::ModalShown);
  HWND owned = WaitForMessageBox(program_.Pid(), kDefaultTimeoutMs);
  ASSERT_NE(owned, nullptr);
  EXPECT_EQ(FindMessageBox(program_.Pid()), owned);
  EXPECT_EQ(ReadMessageBox(owned).owner, window_);
  // While the box is up its owner takes no clicks.
  EXPECT_EQ(ClickButton(window_, IDC_SAMPLE_CHECK).result, ActionResult::Refused);
  EXPECT_EQ(AnswerMessageBox(owned, IDOK).result, ActionResult::Refused) << "the box has no OK button";
  ASSERT_EQ(AnswerMessageBox(owned, IDNO).result, ActionResult::WindowClosed);

  ASSERT_EQ(ClickButton(window_, IDC_SAMPLE_NOTE).result, ActionResult::ModalShown);
  HWND unowned = WaitForMessageBox(program_.Pid(), kDefaultTimeoutMs);
  ASSERT_NE(unowned, nullptr);
  EXPECT_EQ(ReadMessageBox(unowned).owner, nullptr);
  EXPECT_EQ(FindMessageBox(program_.Pid(), {unowned}), nullptr) << "a known box is not a new one";
  EXPECT_FALSE(IsMessageBox(window_)) << "the sample's own dialog is no message box";
  EXPECT_EQ(AnswerMessageBox(unowned, IDOK).result, ActionResult::WindowClosed);
}

// The before-and-after snapshots compare these dumps: a change must show, a removal must empty them.
TEST(MachineState, RegistryAndFileDumpsFollowEveryChange) {
  const std::string key = "Software\\TessaHarnessTest";
  ASSERT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, key));
  SeedRegistry({{HKEY_CURRENT_USER, key + "\\配置", {RegistrySeedValue::Text("TRUSTEDPATHS", "C:\\工具")}}});
  const std::vector<std::string> keys = DumpRegistryTree(HKEY_CURRENT_USER, key);
  EXPECT_EQ(keys.size(), 3u);  // two keys and the value
  WriteRegistryText(HKEY_CURRENT_USER, key + "\\配置", "TRUSTEDPATHS", "C:\\工具;D:\\x");
  EXPECT_NE(DumpRegistryTree(HKEY_CURRENT_USER, key), keys) << "a changed value must change the dump";
  EXPECT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, key));
  EXPECT_TRUE(DumpRegistryTree(HKEY_CURRENT_USER, key).empty());

  const std::string root = "C:\\tessa_harness_files";
  ASSERT_TRUE(DeleteFileTree(root));
  SeedFiles({FileSeed::File(root + "\\扩展\\a.txt", "one")});
  const std::vector<std::string> files = ListFileTree(root);
  EXPECT_EQ(files.size(), 2u);  // the folder and the file
  SeedFiles({FileSeed::File(root + "\\扩展\\a.txt", "two")});
  EXPECT_NE(ListFileTree(root), files) << "a changed file must change the listing";
  EXPECT_TRUE(DeleteFileTree(root));
  EXPECT_TRUE(ListFileTree(root).empty());
}

// "The program did not crash" is read from its exit code.
TEST(Program, ReportsTheExitCode) {
  Program cmd = Program::Start("C:\\windows\\system32\\cmd.exe", {"/c", "exit", "7"});
  ASSERT_TRUE(cmd.WaitForExit(kDefaultTimeoutMs));
  EXPECT_EQ(cmd.ExitCode(), 7u);
  EXPECT_FALSE(cmd.IsRunning());
}

}  // namespace
