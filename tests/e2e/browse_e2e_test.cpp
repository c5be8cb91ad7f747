// The Browse button of the real SetUp.exe under Wine: the shell's folder browser with the added
// edit box, what its OK accepts, refuses and creates, and what lands in the path box.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/actions.h"
#include "automation/capture.h"
#include "automation/controls.h"
#include "automation/file_tree.h"
#include "automation/message_boxes.h"
#include "automation/wait.h"
#include "automation/windows.h"
#include "setup_session.h"
#include "simulated_machine.h"

using namespace automation;
using harness::SimulatedMachine;
using harness::StandardAcad;

namespace e2e {
namespace {

constexpr char kBrowseTitle[] = "请选择安装目录：";
constexpr int kTreeId = 14145;
constexpr int kTitleTextId = 14146;
constexpr int kStatusId = 14147;
constexpr int kEditId = 14148;

// Folders the cases type or create; none exists before a case or after it.
const char* const kScratchFolders[] = {"C:\\new1", "C:\\TessaCase", "C:\\Quilox", "C:\\tessa_long"};

class FolderBrowse : public ::testing::Test {
 protected:
  void SetUp() override {
    harness::ClearAcadRegistry();
    for (const char* folder : kScratchFolders) ASSERT_TRUE(DeleteFileTree(folder)) << folder;
    ASSERT_TRUE(DeleteFileTree(WorkFolder()));
    machine_.Add(StandardAcad(2010));
    machine_.Seed();
    std::string error;
    ASSERT_TRUE(setup_.Start(&error)) << error;
  }

  void TearDown() override {
    setup_.Process().TerminateIfRunning();
    machine_.Clear();
    for (const char* folder : kScratchFolders) DeleteFileTree(folder);
  }

  HWND Dialog() const { return setup_.Dialog(); }
  DWORD Pid() { return setup_.Process().Pid(); }

  // Presses Browse and waits until the browse window shows with its edit box.
  HWND OpenBrowse() {
    ActionOutcome outcome = ClickButton(Dialog(), kBrowseId);
    EXPECT_NE(outcome.result, ActionResult::Refused) << outcome.reason;
    HWND browse = WaitForTopLevelWindow(kBrowseTitle, Pid(), kDefaultTimeoutMs);
    if (!browse) return nullptr;
    WaitUntil([&] { return GetDlgItem(browse, kEditId) != nullptr; }, kDefaultTimeoutMs);
    SettleWindow(browse);
    return browse;
  }

  void TypePath(HWND browse, const std::string& path) {
    ASSERT_EQ(SetEditText(browse, kEditId, path).result, ActionResult::Done) << path;
  }

  // OK that opens a message box: the box, read.
  MessageBoxInfo PressOkForBox(HWND browse) {
    ActionOutcome outcome = ClickButton(browse, IDOK);
    EXPECT_EQ(outcome.result, ActionResult::ModalShown);
    HWND box = WaitForMessageBox(Pid(), kDefaultTimeoutMs);
    if (!box) {
      ADD_FAILURE() << "no message box after OK";
      return MessageBoxInfo{};
    }
    return ReadMessageBox(box);
  }

  // The browse window after a refusal: still there, the focus back in the edit box.
  void ExpectStillOpenWithFocusInEdit(HWND browse) {
    SettleWindow(browse);
    EXPECT_TRUE(IsWindow(browse) && IsWindowVisible(browse)) << "the browse window closed";
    EXPECT_EQ(setup_.FocusedControlId(), kEditId);
  }

  std::string PathBox() const { return setup_.Control(kPathId).text; }

  SimulatedMachine machine_;
  SetupSession setup_;
};

std::string EditText(HWND browse) { return ReadControl(browse, kEditId).text; }
bool OkEnabled(HWND browse) { return ReadControl(browse, IDOK).enabled; }

std::string FolderMessage(const std::string& path, const char* tail) { return "The folder:\n\n" + path + tail; }
const char kInvalidTail[] = "\n\nis invalid. Please reenter.";
const char kQuestionTail[] = "\n\ndoes not exist. Do you want the folder to be created?";

std::vector<int> ButtonIds(const MessageBoxInfo& box) {
  std::vector<int> ids;
  for (const MessageBoxButton& button : box.buttons) ids.push_back(button.id);
  return ids;
}

// ---- The tree, driven as a click would: TVM_SELECTITEM makes the browser report the change. ----

HTREEITEM TreeItem(HWND tree, UINT relation, HTREEITEM from) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from), SMTO_NORMAL,
                      kDefaultTimeoutMs, &result);
  return reinterpret_cast<HTREEITEM>(result);
}

std::vector<HTREEITEM> TreeChildren(HWND tree, HTREEITEM parent) {
  DWORD_PTR ignored = 0;
  // Expanding is what fills a folder's children in.
  SendMessageTimeoutW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent), SMTO_NORMAL,
                      kDefaultTimeoutMs, &ignored);
  std::vector<HTREEITEM> children;
  for (HTREEITEM item = TreeItem(tree, TVGN_CHILD, parent); item; item = TreeItem(tree, TVGN_NEXT, item)) {
    children.push_back(item);
  }
  return children;
}

void SelectTreeItem(HWND browse, HTREEITEM item) {
  HWND tree = GetDlgItem(browse, kTreeId);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item), SMTO_NORMAL,
                      kDefaultTimeoutMs, &ignored);
  SettleWindow(browse);
}

struct Selected {
  HTREEITEM item;
  std::string edit;
  bool okEnabled;
};

// Selects each child of `parent` in turn; what the edit box and OK showed for each.
std::vector<Selected> SelectEachChild(HWND browse, HTREEITEM parent) {
  HWND tree = GetDlgItem(browse, kTreeId);
  std::vector<Selected> seen;
  for (HTREEITEM item : TreeChildren(tree, parent)) {
    SelectTreeItem(browse, item);
    seen.push_back({item, EditText(browse), OkEnabled(browse)});
  }
  return seen;
}

// ---- Cases ----

TEST_F(FolderBrowse, OpensTheShellBrowserWithTheEditBoxAboveTheTreeShowingThePathBoxFolder) {
  // Typed into the path box just before Browse: the browser starts from the text as it is now.
  ASSERT_EQ(SetEditText(Dialog(), kPathId, "C:\\windows\\system32").result, ActionResult::Done);
  HWND browse = OpenBrowse();
  ASSERT_NE(browse, nullptr) << "no browse window titled " << kBrowseTitle;

  EXPECT_EQ(WindowClass(browse), "#32770");
  EXPECT_EQ(GetWindow(browse, GW_OWNER), Dialog()) << "the setup dialog owns the browse window";
  EXPECT_FALSE(IsWindowEnabled(Dialog())) << "the browse window is modal";
  EXPECT_EQ(ReadControl(browse, kTitleTextId).text, kBrowseTitle);
  EXPECT_FALSE(ReadControl(browse, kStatusId).visible);
  // The status line is hidden but follows the selection.
  EXPECT_EQ(ReadControl(browse, kStatusId).text, "C:\\windows\\system32");

  ControlInfo edit = ReadControl(browse, kEditId);
  ControlInfo tree = ReadControl(browse, kTreeId);
  EXPECT_EQ(edit.className, "Edit");
  EXPECT_EQ(edit.style, 0x50010080u);
  EXPECT_TRUE(GetWindowLongW(edit.hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(edit.rect.left, tree.rect.left);
  EXPECT_EQ(edit.rect.right, tree.rect.right);
  EXPECT_EQ(edit.rect.bottom, tree.rect.top - 4);
  EXPECT_EQ(edit.rect.bottom - edit.rect.top, 23);
  EXPECT_EQ(SendMessageW(edit.hwnd, WM_GETFONT, 0, 0), SendMessageW(browse, WM_GETFONT, 0, 0));

  EXPECT_EQ(edit.text, "C:\\windows\\system32");
  EXPECT_TRUE(OkEnabled(browse));

  Pixels shot = CaptureWindow(browse);
  ASSERT_GT(shot.width, 0);
  SaveBmp(shot, "browse.bmp");  // beside the test, for a person to look at

  EXPECT_EQ(ClickButton(browse, IDCANCEL).result, ActionResult::WindowClosed);
  EXPECT_EQ(PathBox(), "C:\\windows\\system32");
}

TEST_F(FolderBrowse, OkIsEnabledExactlyWhileTheEditBoxHoldsText) {
  // The default C:\Quilox does not exist: nothing is selected for it and the box stays empty.
  ASSERT_FALSE(PathExists("C:\\Quilox"));
  HWND browse = OpenBrowse();
  ASSERT_NE(browse, nullptr);
  EXPECT_EQ(EditText(browse), "");
  EXPECT_FALSE(OkEnabled(browse));

  TypePath(browse, "C");
  EXPECT_TRUE(OkEnabled(browse));
  TypePath(browse, "");
  EXPECT_FALSE(OkEnabled(browse));
  EXPECT_EQ(ClickButton(browse, IDOK).result, ActionResult::Refused);
  TypePath(browse, "C:\\windows");
  EXPECT_TRUE(OkEnabled(browse));

  EXPECT_EQ(ClickButton(browse, IDCANCEL).result, ActionResult::WindowClosed);
  EXPECT_EQ(PathBox(), "C:\\Quilox");
}

TEST_F(FolderBrowse, AnInvalidFolderIsRefusedWithAMessageAndTheWindowStays) {
  HWND browse = OpenBrowse();
  ASSERT_NE(browse, nullptr);
  for (const char* invalid : {"C:\\a?b", "C:\\abc\\", "\\\\server\\share\\x", "C:"}) {
    TypePath(browse, invalid);
    MessageBoxInfo box = PressOkForBox(browse);
    EXPECT_EQ(box.caption, "SetUp") << invalid;
    EXPECT_EQ(box.text, FolderMessage(invalid, kInvalidTail));
    EXPECT_EQ(box.icon, "exclamation") << invalid;
    EXPECT_EQ(ButtonIds(box), std::vector<int>{IDOK}) << invalid;
    EXPECT_EQ(box.owner, browse) << invalid << ": the browse window owns the message";
    ASSERT_EQ(AnswerMessageBox(box.hwnd, IDOK).result, ActionResult::WindowClosed);
    ExpectStillOpenWithFocusInEdit(browse);
    EXPECT_EQ(EditText(browse), invalid);
  }
  EXPECT_FALSE(PathExists("C:\\abc"));

  // Enter in the edit box is OK as well; an existing folder goes through without a question.
  TypePath(browse, "C:\\windows");
  EXPECT_EQ(PressKey(browse, VK_RETURN).result, ActionResult::WindowClosed);
  EXPECT_EQ(PathBox(), "C:\\windows");
  EXPECT_TRUE(IsWindowEnabled(Dialog()));
}

TEST_F(FolderBrowse, ANewFolderIsCreatedOnlyAfterYesAndLandsInThePathBoxAsTyped) {
  HWND browse = OpenBrowse();
  ASSERT_NE(browse, nullptr);
  TypePath(browse, "C:\\new1\\new2");

  MessageBoxInfo question = PressOkForBox(browse);
  EXPECT_EQ(question.caption, "SetUp");
  EXPECT_EQ(question.text, FolderMessage("C:\\new1\\new2", kQuestionTail));
  EXPECT_EQ(question.icon, "question");
  EXPECT_EQ(ButtonIds(question), (std::vector<int>{IDYES, IDNO}));
  EXPECT_EQ(question.owner, browse);
  ASSERT_EQ(AnswerMessageBox(question.hwnd, IDNO).result, ActionResult::WindowClosed);
  // No: nothing made, no further message, the window stays for a correction.
  ExpectStillOpenWithFocusInEdit(browse);
  EXPECT_EQ(FindMessageBox(Pid()), nullptr);
  EXPECT_FALSE(PathExists("C:\\new1"));

  question = PressOkForBox(browse);
  EXPECT_EQ(question.text, FolderMessage("C:\\new1\\new2", kQuestionTail));
  ASSERT_EQ(AnswerMessageBox(question.hwnd, IDYES).result, ActionResult::WindowClosed);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(browse) || !IsWindowVisible(browse); }, kDefaultTimeoutMs))
      << "the browse window stayed after the folder was created";
  SettleWindow(Dialog());
  EXPECT_EQ(FindMessageBox(Pid()), nullptr) << "a message after a successful creation";
  EXPECT_TRUE(IsFolder("C:\\new1"));
  EXPECT_TRUE(IsFolder("C:\\new1\\new2"));
  EXPECT_EQ(PathBox(), "C:\\new1\\new2");
}

TEST_F(FolderBrowse, AnExistingFolderInOtherLetterCaseIsTakenAsTypedAndTheTypedTextBeatsTheTree) {
  CreateFolders("C:\\TessaCase\\Sub");
  ASSERT_EQ(SetEditText(Dialog(), kPathId, "C:\\windows").result, ActionResult::Done);
  HWND browse = OpenBrowse();
  ASSERT_NE(browse, nullptr);
  EXPECT_EQ(EditText(browse), "C:\\windows");

  // The tree still shows C:\windows; the edit box's text is the result.
  TypePath(browse, "c:\\tessacase\\SUB");
  EXPECT_EQ(ClickButton(browse, IDOK).result, ActionResult::WindowClosed) << "a question for an existing folder";
  EXPECT_EQ(PathBox(), "c:\\tessacase\\SUB");
}

TEST_F(FolderBrowse, CancelEscapeAndTheCloseBoxKeepThePathBox) {
  ASSERT_EQ(SetEditText(Dialog(), kPathId, "D:\\elsewhere\\不存在").result, ActionResult::Done);
  struct Leave {
    const char* name;
    ActionOutcome (*act)(HWND browse);
  };
  const Leave ways[] = {{"Cancel", [](HWND b) { return ClickButton(b, IDCANCEL); }},
                        {"Escape", [](HWND b) { return PressKey(b, VK_ESCAPE); }},
                        {"close box", [](HWND b) { return PressCloseBox(b); }}};
  for (const Leave& way : ways) {
    HWND browse = OpenBrowse();
    ASSERT_NE(browse, nullptr) << way.name;
    TypePath(browse, "C:\\windows");
    EXPECT_EQ(way.act(browse).result, ActionResult::WindowClosed) << way.name;
    EXPECT_EQ(PathBox(), "D:\\elsewhere\\不存在") << way.name;
    EXPECT_TRUE(IsWindowEnabled(Dialog())) << way.name;
  }
  EXPECT_EQ(FindMessageBox(Pid()), nullptr);
}

TEST_F(FolderBrowse, TreeItemsWithoutADrivePathEmptyTheBoxAndDrivesShowTheirRoot) {
  HWND browse = OpenBrowse();
  ASSERT_NE(browse, nullptr);
  HWND tree = GetDlgItem(browse, kTreeId);
  HTREEITEM desktop = TreeItem(tree, TVGN_ROOT, nullptr);
  ASSERT_NE(desktop, nullptr);

  TypePath(browse, "C:\\typed");
  std::vector<Selected> top = SelectEachChild(browse, desktop);
  ASSERT_FALSE(top.empty());
  // The computer and the recycle bin have no drive path: empty box, OK off. (Wine's Unix root "/"
  // shows as Z:\, and its Documents folder with a trailing backslash, unlike Windows.)
  const Selected* computer = nullptr;
  bool someFolder = false;
  for (const Selected& s : top) {
    EXPECT_NE(s.edit, "C:\\typed") << "a selection left the typed text";
    EXPECT_EQ(s.okEnabled, !s.edit.empty()) << s.edit;
    if (s.edit.empty()) {
      if (!computer && !TreeChildren(tree, s.item).empty()) computer = &s;
    } else {
      EXPECT_EQ(s.edit.substr(1, 1), ":") << s.edit;
      someFolder = true;
    }
  }
  EXPECT_TRUE(someFolder) << "no folder with a drive path below the desktop";
  ASSERT_NE(computer, nullptr) << "no item without a drive path that holds the drives";

  // The drives below the computer show their root with its backslash; OK returns it so.
  HTREEITEM driveC = nullptr;
  for (const Selected& s : SelectEachChild(browse, computer->item)) {
    if (s.edit == "C:\\") driveC = s.item;
  }
  ASSERT_NE(driveC, nullptr) << "no drive C:\\ below the computer";
  SelectTreeItem(browse, computer->item);
  EXPECT_EQ(EditText(browse), "");
  EXPECT_FALSE(OkEnabled(browse));
  SelectTreeItem(browse, driveC);
  EXPECT_EQ(EditText(browse), "C:\\");
  EXPECT_TRUE(OkEnabled(browse));
  EXPECT_EQ(ClickButton(browse, IDOK).result, ActionResult::WindowClosed);
  EXPECT_EQ(PathBox(), "C:\\");
}

TEST_F(FolderBrowse, OnlyTheFirst259CharactersOfALongTextAreReadAndChecked) {
  HWND browse = OpenBrowse();
  ASSERT_NE(browse, nullptr);

  // 304 characters: what is checked, and offered for creation, is the first 259.
  const std::string longPath = "C:\\tessa_long\\" + std::string(200, 'a') + "\\" + std::string(100, 'b');
  TypePath(browse, longPath);
  MessageBoxInfo question = PressOkForBox(browse);
  EXPECT_EQ(question.text, FolderMessage(longPath.substr(0, 259), kQuestionTail));
  ASSERT_EQ(AnswerMessageBox(question.hwnd, IDNO).result, ActionResult::WindowClosed);
  ExpectStillOpenWithFocusInEdit(browse);
  EXPECT_EQ(EditText(browse), longPath) << "reading the box must not change it";

  // A double-byte character cut by the 259th byte is left out whole, never half of it.
  // 16 bytes, then characters of 2 bytes each in the program's code page: the 122nd has only its
  // first byte within the 259.
  const std::string start = "C:\\tessa_long\\ab";
  std::string chinese = start;
  for (int i = 0; i < 130; ++i) chinese += "中";
  TypePath(browse, chinese);
  question = PressOkForBox(browse);
  std::string expected = start;
  for (int i = 0; i < 121; ++i) expected += "中";
  EXPECT_EQ(question.text, FolderMessage(expected, kQuestionTail));
  ASSERT_EQ(AnswerMessageBox(question.hwnd, IDNO).result, ActionResult::WindowClosed);
  EXPECT_FALSE(PathExists("C:\\tessa_long"));
  EXPECT_EQ(ClickButton(browse, IDCANCEL).result, ActionResult::WindowClosed);
  EXPECT_EQ(PathBox(), "C:\\Quilox");
}

}  // namespace
}  // namespace e2e
