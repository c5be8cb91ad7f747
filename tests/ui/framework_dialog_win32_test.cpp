// CDialog: modal run from a template, data exchange in both directions, the ways a dialog
// ends, and errors in its handlers.
#include <gtest/gtest.h>

#include <string>

#include "fw/framework.h"
#include "tests/ui/framework_test_dialog.h"
#include "tests/ui/win32_test_support.h"

namespace {

const char kAppName[] = "ui_framework_dialog_win32_test";

class TestDialog : public CDialog {
 public:
  explicit TestDialog(UINT templateId = IDD_FRAMEWORK_TEST) : CDialog(templateId) {}

  std::string text = "initial";
  int checked = 1;
  long throwCode = E_INVALIDARG;
  bool throwInInit = false;
  int editChanges = 0;

  static const MessageMap* GetThisMessageMap() {
    static const MessageMapEntry entries[] = {
        MapControl(BN_CLICKED, IDC_TEST_THROW, &TestDialog::OnThrow),
        MapControl(EN_CHANGE, IDC_TEST_EDIT, &TestDialog::OnEditChange),
    };
    static const MessageMap map = {CDialog::GetThisMessageMap(), entries, 2};
    return &map;
  }
  const MessageMap* GetMessageMap() const override { return GetThisMessageMap(); }

 protected:
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Text(dx, IDC_TEST_EDIT, text);
    DDX_Check(dx, IDC_TEST_CHECK, checked);
  }
  bool OnInitDialog() override {
    bool result = CDialog::OnInitDialog();
    if (throwInInit) throw CFrameworkError(E_OUTOFMEMORY);
    return result;
  }
  void OnThrow() { throw CFrameworkError(throwCode); }
  void OnEditChange() { ++editChanges; }
};

using Dialog = Scripted<TestDialog>;

std::string ControlText(CWnd& dialog, int id) {
  std::string text;
  dialog.GetDlgItem(id)->GetWindowText(text);
  return text;
}

void PressKey(CWnd& dialog, WPARAM key) {
  HWND edit = ::GetDlgItem(dialog.m_hWnd, IDC_TEST_EDIT);
  ::SetFocus(edit);
  PostMessageA(edit, WM_KEYDOWN, key, 1);
}

}  // namespace

// Every way out of a dialog: OK and Enter read the controls into the fields, the others do not.
TEST(CDialogTest, EndsWithIdokOrIdcancelAndOnlyIdokReadsTheControls) {
  if (GetACP() != 936) GTEST_SKIP() << "the texts are code page 936";
  struct Way {
    const char* name;
    void (*act)(Dialog& d);
    INT_PTR result;
  };
  const Way ways[] = {
      {"OK command", [](Dialog& d) { PostMessageA(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }, IDOK},
      // No push button is the default: Enter in an edit box is IDOK.
      {"Enter", [](Dialog& d) { PressKey(d, VK_RETURN); }, IDOK},
      {"Cancel button", [](Dialog& d) { d.GetDlgItem(IDCANCEL)->SendMessage(BM_CLICK); }, IDCANCEL},
      {"Escape", [](Dialog& d) { PressKey(d, VK_ESCAPE); }, IDCANCEL},
      {"close box", [](Dialog& d) { PostMessageA(d.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
  };
  for (const Way& way : ways) {
    Dialog dialog;
    dialog.steps = {[&](Dialog& d) {
      d.GetDlgItem(IDC_TEST_EDIT)->SetWindowText("D:\\安装\\路径");
      d.GetDlgItem(IDC_TEST_CHECK)->SendMessage(BM_SETCHECK, BST_UNCHECKED);
      way.act(d);
    }};
    EXPECT_EQ(dialog.DoModal(), way.result) << way.name;
    const bool read = way.result == IDOK;
    EXPECT_EQ(dialog.text, read ? "D:\\安装\\路径" : "initial") << way.name;
    EXPECT_EQ(dialog.checked, read ? 0 : 1) << way.name;
  }
}

TEST(CDialogTest, AnErrorInAHandlerIsReportedAndTheDialogStaysOpen) {
  MessageBoxCatcher catcher;
  Dialog dialog;
  bool openAfterwards = false;
  dialog.steps = {
      [&](Dialog& d) {
        catcher.Ignore(d.m_hWnd);
        d.GetDlgItem(IDC_TEST_THROW)->SendMessage(BM_CLICK);  // returns once the box is closed
      },
      [&](Dialog& d) {
        openAfterwards = IsWindow(d.m_hWnd) && IsWindowEnabled(d.m_hWnd);
        d.throwCode = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
        d.GetDlgItem(IDC_TEST_THROW)->SendMessage(BM_CLICK);
      },
      [](Dialog& d) { d.EndDialog(IDCANCEL); },
  };
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_TRUE(openAfterwards);
  ASSERT_EQ(catcher.boxes.size(), 2u);
  EXPECT_EQ(catcher.boxes[0].caption, kAppName);
  EXPECT_EQ(catcher.boxes[0].text, FrameworkErrorText(E_INVALIDARG));
  EXPECT_EQ(catcher.boxes[1].text, FrameworkErrorText(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)));
  EXPECT_NE(catcher.boxes[0].text, catcher.boxes[1].text);
}

TEST(CDialogTest, AnErrorDuringInitialisationIsReportedAndTheDialogRuns) {
  MessageBoxCatcher catcher;
  Dialog dialog;
  dialog.throwInInit = true;
  std::string shown;
  dialog.steps = {[&](Dialog& d) {
    shown = ControlText(d, IDC_TEST_EDIT);
    d.EndDialog(IDCANCEL);
  }};
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(shown, "initial");  // the exchange before the error had run
  ASSERT_EQ(catcher.boxes.size(), 1u);
  EXPECT_EQ(catcher.boxes[0].caption, kAppName);
  EXPECT_EQ(catcher.boxes[0].text, FrameworkErrorText(E_OUTOFMEMORY));
}

TEST(CDialogTest, AControlMissingFromTheTemplateIsReported) {
  MessageBoxCatcher catcher;
  Dialog dialog(IDD_MISSING_CONTROL_TEST);
  dialog.steps = {[](Dialog& d) { d.EndDialog(IDCANCEL); }};
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  ASSERT_EQ(catcher.boxes.size(), 1u);
  EXPECT_EQ(catcher.boxes[0].text, FrameworkErrorText(HRESULT_FROM_WIN32(ERROR_CONTROL_ID_NOT_FOUND)));
}

TEST(CDialogTest, ATemplateThatDoesNotExistIsReportedAndGivesMinusOne) {
  MessageBoxCatcher catcher;
  Dialog dialog(999);
  EXPECT_EQ(dialog.DoModal(), -1);
  ASSERT_EQ(catcher.boxes.size(), 1u);
  EXPECT_EQ(catcher.boxes[0].caption, kAppName);
  EXPECT_EQ(catcher.boxes[0].text, FrameworkErrorText(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND)));
}

TEST(CDialogTest, WritingAnUnchangedTextLeavesTheControlAlone) {
  Dialog dialog;
  int changesForSameText = -1;
  int changesForNewText = -1;
  dialog.steps = {[&](Dialog& d) {
    d.editChanges = 0;
    d.CallUpdateData(false);
    changesForSameText = d.editChanges;
    d.text = "other";
    d.CallUpdateData(false);
    changesForNewText = d.editChanges;
    d.EndDialog(IDCANCEL);
  }};
  dialog.DoModal();
  EXPECT_EQ(changesForSameText, 0);
  EXPECT_EQ(changesForNewText, 1);
}

TEST(CDialogTest, ReadsLongDoubleByteTextWhole) {
  if (GetACP() != 936) GTEST_SKIP() << "the texts are code page 936";
  Dialog dialog;
  std::string longText;
  for (int i = 0; i < 200; ++i) longText += "安装";
  longText += "end";
  dialog.steps = {[&](Dialog& d) {
    d.GetDlgItem(IDC_TEST_EDIT)->SendMessage(EM_SETLIMITTEXT, 0);
    d.GetDlgItem(IDC_TEST_EDIT)->SetWindowText(longText);
    d.CallUpdateData(true);
    d.EndDialog(IDCANCEL);
  }};
  dialog.DoModal();
  EXPECT_EQ(dialog.text, longText);
}
