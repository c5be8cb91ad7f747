// The harness drives the sample window the way the end-to-end tests drive the setup: if a
// capability is broken here, an end-to-end failure would say nothing about the setup.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "automation/actions.h"
#include "automation/capture.h"
#include "automation/controls.h"
#include "automation/dialog_template.h"
#include "automation/file_tree.h"
#include "automation/message_boxes.h"
#include "automation/program.h"
#include "automation/registry_dump.h"
#include "automation/registry_seed.h"
#include "automation/standard_icons.h"
#include "automation/text.h"
#include "automation/wine_paths.h"
#include "automation/windows.h"
#include "sample_window_ids.h"
#include "simulated_machine.h"

using namespace automation;

namespace {

std::string SamplePath() {
  return DosPathFromUnix(TESSA_SAMPLE_WINDOW_EXE);
}

class SampleWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = Program::Start(SamplePath());
    window_ = WaitForTopLevelWindow(kSampleTitle, program_.Pid(), kDefaultTimeoutMs);
    ASSERT_NE(window_, nullptr) << "the sample window did not show";
  }
  void TearDown() override { program_.TerminateIfRunning(); }

  std::string Text(int id) { return ReadControl(window_, id).text; }
  // The program may still be finishing the handler that changes the text (after a message box
  // returned, say): wait a little for it.
  std::string TextAfterHandler(int id, const std::string& expected) {
    WaitUntil([&] { return Text(id) == expected; }, 3000);
    return Text(id);
  }

  Program program_;
  HWND window_ = nullptr;
};

// ---- Reading what the user sees ----

TEST_F(SampleWindow, ListsEveryControlInTabOrderWithItsState) {
  std::vector<ControlInfo> controls = ListControls(window_);
  std::vector<int> ids;
  for (const ControlInfo& control : controls) ids.push_back(control.id);
  EXPECT_EQ(ids, (std::vector<int>{IDC_SAMPLE_CHECK, IDC_SAMPLE_EDIT, IDC_SAMPLE_ASK, IDC_SAMPLE_NOTE,
                                   IDC_SAMPLE_DISABLED, IDC_SAMPLE_SLOW, IDC_SAMPLE_PROGRESS, IDC_SAMPLE_CHINESE,
                                   IDC_SAMPLE_ANSWER, IDC_SAMPLE_CHANGES, IDC_SAMPLE_CLICKS, IDC_SAMPLE_HIDDEN,
                                   IDC_SAMPLE_ICON_STANDARD, IDC_SAMPLE_ICON_CUSTOM, IDC_SAMPLE_ICON_EMPTY, -1}));

  ControlInfo check = ReadControl(window_, IDC_SAMPLE_CHECK);
  EXPECT_EQ(check.className, "Button");
  EXPECT_EQ(check.text, "选项 A");
  EXPECT_EQ(check.style & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX));
  EXPECT_TRUE(check.enabled);
  EXPECT_TRUE(check.visible);
  EXPECT_EQ(check.checked, BST_UNCHECKED);

  ControlInfo disabled = ReadControl(window_, IDC_SAMPLE_DISABLED);
  EXPECT_FALSE(disabled.enabled);
  EXPECT_TRUE(disabled.visible);
  ControlInfo hidden = ReadControl(window_, IDC_SAMPLE_HIDDEN);
  EXPECT_FALSE(hidden.visible);
  EXPECT_EQ(hidden.text, "hidden");
  EXPECT_EQ(ReadControl(window_, IDC_SAMPLE_EDIT).checked, -1) << "only buttons have a check state";

  ControlInfo progress = ReadControl(window_, IDC_SAMPLE_PROGRESS);
  EXPECT_TRUE(IsProgressBar(progress));
  EXPECT_EQ(progress.progressPos, kSampleProgressPos);
  EXPECT_EQ(progress.progressMin, 0);
  EXPECT_EQ(progress.progressMax, kSampleProgressMax);

  RECT dialog = WindowRect(window_);
  for (const ControlInfo& control : controls) {
    EXPECT_LT(control.rect.left, control.rect.right) << control.id;
    EXPECT_GE(control.rect.left, dialog.left) << control.id;
    EXPECT_LE(control.rect.bottom, dialog.bottom) << control.id;
  }
}

TEST_F(SampleWindow, ChineseTextSetThroughTheAnsiFunctionsReadsBackIntact) {
  // The sample sets these with SetDlgItemTextA and MessageBoxA in code page 936.
  EXPECT_EQ(GetACP(), 936u) << "the prefix runs without the zh_CN.UTF-8 locale";
  EXPECT_EQ(Text(IDC_SAMPLE_CHINESE), kSampleChinese);
  EXPECT_EQ(WindowText(window_), kSampleTitle);

  // And the dialog's face has glyphs for it (through the prefix's font replacements), so a
  // screenshot shows characters, not boxes.
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, WideFromUtf8("宋体").c_str());
  HGDIOBJ old = SelectObject(dc, font);
  std::wstring chinese = WideFromUtf8("中文安装路径");
  std::vector<WORD> glyphs(chinese.size());
  GetGlyphIndicesW(dc, chinese.c_str(), static_cast<int>(chinese.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  for (WORD glyph : glyphs) EXPECT_NE(glyph, 0xFFFF) << "a Chinese character has no glyph in 宋体";
}

TEST(WindowSearch, FindsWindowsByTitleOnlyInTheirOwnProcess) {
  Program sample = Program::Start(SamplePath());
  HWND window = WaitForTopLevelWindow(kSampleTitle, sample.Pid(), kDefaultTimeoutMs);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(FindTopLevelWindow(kSampleTitle, 0), window);
  EXPECT_EQ(FindTopLevelWindow(kSampleTitle, sample.Pid() + 4), nullptr);
  EXPECT_EQ(FindTopLevelWindow("样例", sample.Pid()), nullptr) << "titles match whole, not in part";
  EXPECT_EQ(WaitForTopLevelWindow("no such window", 0, 200), nullptr);
  sample.TerminateIfRunning();
}

// ---- Acting as the user ----

TEST_F(SampleWindow, ClickTogglesACheckBoxAndNotifiesTheDialog) {
  ActionOutcome outcome = ClickButton(window_, IDC_SAMPLE_CHECK);
  EXPECT_EQ(outcome.result, ActionResult::Done);
  EXPECT_EQ(ReadControl(window_, IDC_SAMPLE_CHECK).checked, BST_CHECKED);
  EXPECT_EQ(Text(IDC_SAMPLE_CLICKS), "1");

  ClickButton(window_, IDC_SAMPLE_CHECK);
  EXPECT_EQ(ReadControl(window_, IDC_SAMPLE_CHECK).checked, BST_UNCHECKED);
  EXPECT_EQ(Text(IDC_SAMPLE_CLICKS), "2");
}

TEST_F(SampleWindow, RefusesWhatAUserCouldNotClick) {
  EXPECT_EQ(ClickButton(window_, IDC_SAMPLE_DISABLED).result, ActionResult::Refused);
  EXPECT_EQ(ClickButton(window_, IDC_SAMPLE_HIDDEN).result, ActionResult::Refused);
  EXPECT_EQ(ClickButton(window_, 4242).result, ActionResult::Refused);
  EXPECT_EQ(SetEditText(window_, IDC_SAMPLE_HIDDEN, "x").result, ActionResult::Refused);
  EXPECT_EQ(Text(IDC_SAMPLE_ANSWER), "none") << "a refused click reached the program";
}

TEST_F(SampleWindow, SetTextReplacesTheEditTextAndNotifiesLikeTyping) {
  EXPECT_EQ(SetEditText(window_, IDC_SAMPLE_EDIT, "D:\\工具 箱\\Tessarune").result, ActionResult::Done);
  EXPECT_EQ(Text(IDC_SAMPLE_EDIT), "D:\\工具 箱\\Tessarune");
  EXPECT_EQ(Text(IDC_SAMPLE_CHANGES), "1") << "one EN_CHANGE per change, as typing the text at once";

  SetEditText(window_, IDC_SAMPLE_EDIT, "");
  EXPECT_EQ(Text(IDC_SAMPLE_EDIT), "");
  EXPECT_EQ(Text(IDC_SAMPLE_CHANGES), "2");
}

TEST_F(SampleWindow, ReportsBusyWhenTheProgramDoesNotReturnToItsLoop) {
  EXPECT_EQ(ClickButton(window_, IDC_SAMPLE_SLOW, kSampleSlowMs / 4).result, ActionResult::Busy);
  EXPECT_TRUE(WaitUntil([&] { return Text(IDC_SAMPLE_ANSWER) == "slow done"; }, kDefaultTimeoutMs));
}

// ---- Message boxes ----

TEST_F(SampleWindow, ReadsAnOwnedMessageBoxAndAnswersIt) {
  ActionOutcome outcome = ClickButton(window_, IDC_SAMPLE_ASK);
  ASSERT_EQ(outcome.result, ActionResult::ModalShown);
  HWND box = WaitForMessageBox(program_.Pid(), kDefaultTimeoutMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box, outcome.opened);

  MessageBoxInfo info = ReadMessageBox(box);
  EXPECT_EQ(info.caption, kSampleQuestionCaption);
  EXPECT_EQ(info.text, kSampleQuestion);
  ASSERT_EQ(info.buttons.size(), 2u);
  EXPECT_EQ(info.buttons[0].id, IDYES);
  EXPECT_EQ(info.buttons[1].id, IDNO);
  EXPECT_FALSE(info.buttons[0].text.empty());
  EXPECT_EQ(info.icon, "exclamation");
  EXPECT_EQ(info.owner, window_);
  EXPECT_EQ(info.ownerPid, program_.Pid());
  EXPECT_EQ(info.ownerTitle, kSampleTitle);
  EXPECT_EQ(info.pid, program_.Pid());

  // While the box is up its owner takes no clicks.
  EXPECT_EQ(ClickButton(window_, IDC_SAMPLE_CHECK).result, ActionResult::Refused);
  EXPECT_EQ(AnswerMessageBox(box, IDOK).result, ActionResult::Refused) << "the box has no OK button";

  EXPECT_EQ(AnswerMessageBox(box, IDNO).result, ActionResult::WindowClosed);
  EXPECT_FALSE(IsWindow(box));
  EXPECT_EQ(TextAfterHandler(IDC_SAMPLE_ANSWER, "no"), "no");

  ClickButton(window_, IDC_SAMPLE_ASK);
  box = WaitForMessageBox(program_.Pid(), kDefaultTimeoutMs);
  ASSERT_NE(box, nullptr);
  AnswerMessageBox(box, IDYES);
  EXPECT_EQ(TextAfterHandler(IDC_SAMPLE_ANSWER, "yes"), "yes");
}

TEST_F(SampleWindow, FindsAMessageBoxWithoutOwnerByItsProcess) {
  ASSERT_EQ(ClickButton(window_, IDC_SAMPLE_NOTE).result, ActionResult::ModalShown);
  HWND box = WaitForMessageBox(program_.Pid(), kDefaultTimeoutMs);
  ASSERT_NE(box, nullptr);
  MessageBoxInfo info = ReadMessageBox(box);
  EXPECT_EQ(info.caption, kSampleNoteCaption);
  EXPECT_EQ(info.text, kSampleNote);
  EXPECT_EQ(info.icon, "asterisk");
  EXPECT_EQ(info.owner, nullptr);
  EXPECT_EQ(info.ownerPid, 0u);
  ASSERT_EQ(info.buttons.size(), 1u);
  EXPECT_EQ(info.buttons[0].id, IDOK);

  EXPECT_EQ(FindMessageBox(0), box) << "any process";
  EXPECT_EQ(FindMessageBox(program_.Pid() + 4), nullptr) << "another process";
  EXPECT_EQ(FindMessageBox(program_.Pid(), {box}), nullptr) << "a known box is not a new one";
  EXPECT_FALSE(IsMessageBox(window_)) << "the sample's own dialog is no message box";

  EXPECT_EQ(AnswerMessageBox(box, IDOK).result, ActionResult::WindowClosed);
  EXPECT_EQ(TextAfterHandler(IDC_SAMPLE_ANSWER, "noted"), "noted");
}

TEST_F(SampleWindow, TellsStandardIconsFromOthersByTheirPixels) {
  double share = 0;
  EXPECT_EQ(IdentifyStandardIcon(GetDlgItem(window_, IDC_SAMPLE_ICON_STANDARD), &share), "question");
  EXPECT_GT(share, 0.97);
  EXPECT_EQ(IdentifyStandardIcon(GetDlgItem(window_, IDC_SAMPLE_ICON_CUSTOM), &share), "unknown");
  EXPECT_EQ(IdentifyStandardIcon(GetDlgItem(window_, IDC_SAMPLE_ICON_EMPTY)), "none");
  EXPECT_EQ(StandardIconName(MB_ICONEXCLAMATION | MB_YESNO), "exclamation");
  EXPECT_EQ(StandardIconName(MB_OK), "none");
}

// ---- Ending the program and its exit code ----

struct Ending {
  const char* name;
  bool tickFirst;
  ActionOutcome (*act)(HWND);
  int result;  // the dialog's result
};

class SampleEnding : public SampleWindow, public ::testing::WithParamInterface<Ending> {};

TEST_P(SampleEnding, EndsTheProgramWithTheDialogsResultAsExitCode) {
  const Ending& ending = GetParam();
  if (ending.tickFirst) ClickButton(window_, IDC_SAMPLE_CHECK);
  // The focus is on a check box, as in the setup dialog: Enter there means IDOK.
  EXPECT_EQ(ending.act(window_).result, ActionResult::WindowClosed);
  ASSERT_TRUE(program_.WaitForExit(kDefaultTimeoutMs));
  EXPECT_EQ(program_.ExitCode(),
            static_cast<DWORD>(kSampleExitBase + ending.result + (ending.tickFirst ? kSampleExitChecked : 0)));
}

INSTANTIATE_TEST_SUITE_P(
    Harness, SampleEnding,
    ::testing::Values(Ending{"Escape", false, [](HWND w) { return PressKey(w, VK_ESCAPE); }, IDCANCEL},
                      Ending{"Enter", true, [](HWND w) { return PressKey(w, VK_RETURN); }, IDOK},
                      Ending{"CloseBox", false, [](HWND w) { return PressCloseBox(w); }, IDCANCEL},
                      Ending{"CommandOk", false, [](HWND w) { return SendCommand(w, IDOK); }, IDOK},
                      Ending{"CommandCancel", true, [](HWND w) { return SendCommand(w, IDCANCEL); }, IDCANCEL}),
    [](const ::testing::TestParamInfo<Ending>& info) { return std::string(info.param.name); });

// ---- Screenshots ----

TEST_F(SampleWindow, ScreenshotShowsTheWindowAtItsSize) {
  RECT rect = WindowRect(window_);
  Pixels shot = CaptureWindow(window_);
  ASSERT_EQ(shot.width, rect.right - rect.left);
  ASSERT_EQ(shot.height, rect.bottom - rect.top);
  const uint32_t background = RgbValue(kSampleRed, kSampleGreen, kSampleBlue);
  size_t backgroundPixels = std::count(shot.rgb.begin(), shot.rgb.end(), background);
  EXPECT_GT(backgroundPixels, shot.rgb.size() / 3) << "the picture does not show the sample's background";

  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  std::string file = std::string(folder) + "tessa_harness_shot.bmp";
  ASSERT_TRUE(SaveBmp(shot, file));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(file, &bytes));
  const size_t stride = (shot.width * 3 + 3) & ~3;
  EXPECT_EQ(bytes.size(), 54 + stride * shot.height);
  Pixels loaded;
  ASSERT_TRUE(LoadBmp(file, &loaded));
  EXPECT_EQ(loaded.width, shot.width);
  EXPECT_EQ(loaded.height, shot.height);
  EXPECT_EQ(loaded.rgb, shot.rgb);
  DeleteFileTree(file);
}

// ---- Dialog templates read back from the executable ----

TEST(DialogTemplate, ReadsTheExtendedLayoutAsWritten) {
  DialogTemplate dialog;
  std::string error;
  std::vector<WORD> languages;
  ASSERT_TRUE(LoadDialogTemplate(SamplePath(), IDD_SAMPLE, &dialog, &error, &languages)) << error;
  EXPECT_EQ(languages, std::vector<WORD>{MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)});
  EXPECT_TRUE(dialog.extended);
  EXPECT_EQ(dialog.title, "样例窗口");
  EXPECT_EQ(dialog.cx, 240);
  EXPECT_EQ(dialog.cy, 130);
  const DWORD style = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  EXPECT_EQ(dialog.style & style, style);
  EXPECT_EQ(dialog.exStyle, static_cast<DWORD>(WS_EX_CLIENTEDGE));
  EXPECT_TRUE(dialog.hasFont);
  EXPECT_EQ(dialog.pointSize, 9);
  EXPECT_EQ(dialog.typeface, "宋体");
  ASSERT_EQ(dialog.items.size(), 16u);

  const DialogItemTemplate& check = dialog.items[0];
  EXPECT_EQ(check.id, IDC_SAMPLE_CHECK);
  EXPECT_EQ(check.ClassName(), "Button");
  EXPECT_EQ(check.style & BS_TYPEMASK, static_cast<DWORD>(BS_AUTOCHECKBOX));
  EXPECT_EQ(FormatTemplateName(check.title), "选项 A");
  EXPECT_EQ((std::vector<int>{check.x, check.y, check.cx, check.cy}), (std::vector<int>{10, 10, 80, 10}));

  EXPECT_EQ(dialog.items[1].ClassName(), "Edit");
  EXPECT_TRUE(dialog.items[4].style & WS_DISABLED);
  EXPECT_STRCASEEQ(dialog.items[6].ClassName().c_str(), "msctls_progress32");
  EXPECT_FALSE(dialog.items[11].style & WS_VISIBLE);
  EXPECT_TRUE(dialog.items[10].style & WS_VISIBLE);
  const DialogItemTemplate& line = dialog.items.back();
  EXPECT_EQ(line.id, -1);
  EXPECT_EQ(line.style & SS_TYPEMASK, static_cast<DWORD>(SS_ETCHEDHORZ));
}

TEST(DialogTemplate, ReadsTheClassicLayoutWithOrdinalTexts) {
  DialogTemplate dialog;
  std::string error;
  ASSERT_TRUE(LoadDialogTemplate(SamplePath(), IDD_SAMPLE_PLAIN, &dialog, &error)) << error;
  EXPECT_FALSE(dialog.extended);
  EXPECT_EQ((std::vector<int>{dialog.x, dialog.y, dialog.cx, dialog.cy}), (std::vector<int>{5, 6, 120, 40}));
  EXPECT_EQ(dialog.title, "旧式");
  EXPECT_EQ(dialog.pointSize, 8);
  EXPECT_EQ(dialog.typeface, "MS Shell Dlg");
  ASSERT_EQ(dialog.items.size(), 3u);
  EXPECT_EQ(dialog.items[0].id, IDOK);
  EXPECT_EQ(dialog.items[0].style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
  EXPECT_EQ(FormatTemplateName(dialog.items[0].title), "确定");
  EXPECT_EQ(dialog.items[1].id, -1);
  EXPECT_EQ(dialog.items[2].id, 1024);
  EXPECT_EQ(dialog.items[2].ClassName(), "Static");
  EXPECT_TRUE(dialog.items[2].title.isOrdinal);
  EXPECT_EQ(dialog.items[2].title.ordinal, 147u);
}

TEST(DialogTemplate, RefusesEveryTruncatedTemplate) {
  for (int id : {IDD_SAMPLE, IDD_SAMPLE_PLAIN}) {
    ResourceData resource;
    std::string error;
    ASSERT_TRUE(ReadResource(SamplePath(), RT_DIALOG, MAKEINTRESOURCEW(id), &resource, &error)) << error;
    DialogTemplate dialog;
    // The last control ends at most 2 bytes of padding before the end.
    for (size_t size = 0; size + 4 <= resource.bytes.size(); ++size) {
      EXPECT_FALSE(ParseDialogTemplate(resource.bytes.data(), size, &dialog, &error)) << id << " cut to " << size;
    }
  }
  std::string error;
  DialogTemplate dialog;
  EXPECT_FALSE(LoadDialogTemplate(SamplePath(), 999, &dialog, &error));
  EXPECT_FALSE(LoadDialogTemplate("C:\\no\\such.exe", IDD_SAMPLE, &dialog, &error));
}

// ---- Seeding the machine ----

TEST(RegistrySeeding, WritesDumpsAndRemovesATree) {
  const std::string root = "Software\\TessaHarnessTest";
  ASSERT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, root));
  SeedRegistry({{HKEY_CURRENT_USER, root + "\\配置\\Variables",
                 {RegistrySeedValue::Text("TRUSTEDPATHS", "C:\\工具;D:\\x"), RegistrySeedValue::Dword("N", 2)}},
                {HKEY_CURRENT_USER, root + "\\Empty", {}}});
  WriteRegistryText(HKEY_CURRENT_USER, root, "", "default\tvalue");

  std::vector<std::string> expected{
      "key\tHKCU\\" + root,
      "value\tHKCU\\" + root + "\t\tREG_SZ\t28\tdefault%09value",
      "key\tHKCU\\" + root + "\\Empty",
      "key\tHKCU\\" + root + "\\配置",
      "key\tHKCU\\" + root + "\\配置\\Variables",
      "value\tHKCU\\" + root + "\\配置\\Variables\tN\tREG_DWORD\t4\t2",
      "value\tHKCU\\" + root + "\\配置\\Variables\tTRUSTEDPATHS\tREG_SZ\t22\tC:\\工具;D:\\x",
  };
  std::vector<std::string> dump = DumpRegistryTree(HKEY_CURRENT_USER, root);
  std::sort(dump.begin(), dump.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(dump, expected);

  std::string text;
  ASSERT_TRUE(ReadRegistryText(HKEY_CURRENT_USER, root + "\\配置\\Variables", "TRUSTEDPATHS", &text));
  EXPECT_EQ(text, "C:\\工具;D:\\x");
  EXPECT_FALSE(ReadRegistryText(HKEY_CURRENT_USER, root + "\\配置\\Variables", "N", &text)) << "not a string";

  EXPECT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, root));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, root));
  EXPECT_TRUE(DumpRegistryTree(HKEY_CURRENT_USER, root).empty());
  EXPECT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, root)) << "a missing tree is already gone";
  EXPECT_FALSE(DeleteRegistryTree(HKEY_CURRENT_USER, "")) << "a whole root is never deleted";
}

TEST(RegistrySeeding, The32BitViewIsWhereA64BitProgramFindsWow6432Node) {
  const std::string path = "SOFTWARE\\TessaHarnessTest";
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, path, RegistryView::Bits32);
  WriteRegistryDword(HKEY_LOCAL_MACHINE, path, "Bits", 32, RegistryView::Bits32);
  EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Wow6432Node\\TessaHarnessTest"));
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, path));
  EXPECT_TRUE(DeleteRegistryTree(HKEY_LOCAL_MACHINE, path, RegistryView::Bits32));
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Wow6432Node\\TessaHarnessTest"));
}

TEST(RegistryDump, FormatsEveryKindOfData) {
  const BYTE text[] = {'a', 0, '%', 0, 0, 0};
  EXPECT_EQ(FormatRegistryData(REG_SZ, text, sizeof text), "a%25");
  const BYTE multi[] = {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0};
  EXPECT_EQ(FormatRegistryData(REG_MULTI_SZ, multi, sizeof multi), "a%00b");
  const BYTE unterminated[] = {'a', 0, 'b', 0};
  EXPECT_EQ(FormatRegistryData(REG_SZ, unterminated, sizeof unterminated), "ab");
  const DWORD number = 4000000000u;
  EXPECT_EQ(FormatRegistryData(REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4), "4000000000");
  const BYTE binary[] = {0x00, 0xAB, 0x10};
  EXPECT_EQ(FormatRegistryData(REG_BINARY, binary, sizeof binary), "00ab10");
  EXPECT_EQ(RegistryTypeName(REG_EXPAND_SZ), "REG_EXPAND_SZ");

  HKEY root;
  std::string rootName, path;
  ASSERT_TRUE(ParseRegistryPath("HKEY_LOCAL_MACHINE\\SOFTWARE\\Autodesk\\", &root, &rootName, &path));
  EXPECT_EQ(root, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(rootName, "HKLM");
  EXPECT_EQ(path, "SOFTWARE\\Autodesk");
  ASSERT_TRUE(ParseRegistryPath("hkcu", &root, &rootName, &path));
  EXPECT_EQ(root, HKEY_CURRENT_USER);
  EXPECT_EQ(path, "");
  EXPECT_FALSE(ParseRegistryPath("HKXX\\Software", &root, &rootName, &path));
}

TEST(FileSeeding, WritesListsAndRemovesATreeWithReadOnlyFiles) {
  const std::string root = "C:\\tessa_harness_files";
  ASSERT_TRUE(DeleteFileTree(root));
  SeedFiles({FileSeed::File(root + "\\AutoCAD 2008\\Drv\\pdfplot9.hdi", "driver"),
             FileSeed::File(root + "\\扩展\\只读.txt", "ro", true), FileSeed::Folder(root + "\\Fonts")});
  std::vector<std::string> listing = ListFileTree(root);
  ASSERT_EQ(listing.size(), 6u);
  const std::string driverLine = "file\tAutoCAD 2008\\Drv\\pdfplot9.hdi\t6\t";
  EXPECT_EQ(listing[0].compare(0, driverLine.size(), driverLine), 0) << listing[0];
  EXPECT_EQ(listing[0].size(), driverLine.size() + 16 + std::string("\twritable").size()) << listing[0];
  const std::string readOnlyLine = "file\t扩展\\只读.txt\t2\t";
  EXPECT_EQ(listing[1].compare(0, readOnlyLine.size(), readOnlyLine), 0) << listing[1];
  EXPECT_EQ(listing[1].substr(listing[1].size() - 9), "\treadonly");
  EXPECT_EQ(std::vector<std::string>(listing.begin() + 2, listing.end()),
            (std::vector<std::string>{"folder\tAutoCAD 2008", "folder\tAutoCAD 2008\\Drv", "folder\tFonts",
                                      "folder\t扩展"}));

  std::string content;
  ASSERT_TRUE(ReadFileBytes(root + "\\AutoCAD 2008\\Drv\\pdfplot9.hdi", &content));
  EXPECT_EQ(content, "driver");
  SeedFiles({FileSeed::File(root + "\\AutoCAD 2008\\Drv\\pdfplot9.hdi", "replaced")});
  EXPECT_NE(ListFileTree(root), listing) << "a changed file must change the listing";

  EXPECT_TRUE(DeleteFileTree(root));
  EXPECT_FALSE(PathExists(root));
  EXPECT_TRUE(ListFileTree(root).empty());
}

TEST(SimulatedMachine, LaysDownAutoCadAsItsInstallerWouldAndClearsIt) {
  harness::SimulatedAcad acad2010 = harness::StandardAcad(2010);
  acad2010.profiles.push_back({"Tessa", std::string("c:\\tools;"), true});
  acad2010.profiles.push_back({"Bare", std::nullopt, false});
  harness::SimulatedAcad acad2009 = harness::StandardAcad(2009, harness::AcadBits::Bits32);
  acad2009.withDrvFolder = false;
  harness::SimulatedMachine machine;
  machine.Add(acad2010).Add(acad2009);
  machine.Clear();
  machine.Seed();

  std::string text;
  const std::string product2010 = "SOFTWARE\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804";
  ASSERT_TRUE(ReadRegistryText(HKEY_LOCAL_MACHINE, product2010, "AcadLocation", &text));
  EXPECT_EQ(text, "C:\\Program Files\\Autodesk\\AutoCAD 2010\\");
  ASSERT_TRUE(ReadRegistryText(HKEY_LOCAL_MACHINE, product2010, "ProductName", &text));
  EXPECT_EQ(text, "AutoCAD 2010 - 简体中文 (Simplified Chinese)");
  EXPECT_EQ(acad2010.Folder(), "C:\\Program Files\\Autodesk\\AutoCAD 2010");
  // A 32-bit edition sits where a 64-bit program reads Wow6432Node.
  ASSERT_TRUE(ReadRegistryText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD\\R17.2\\ACAD-7001:804",
                               "AcadLocation", &text));
  EXPECT_EQ(text, "C:\\Program Files (x86)\\Autodesk\\AutoCAD 2009\\");
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Autodesk\\AutoCAD\\R17.2"));

  const std::string profiles = "Software\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Profiles\\";
  EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, profiles + "<<未命名配置>>\\Variables"));
  EXPECT_FALSE(ReadRegistryText(HKEY_CURRENT_USER, profiles + "<<未命名配置>>\\Variables", "TRUSTEDPATHS", &text));
  ASSERT_TRUE(ReadRegistryText(HKEY_CURRENT_USER, profiles + "Tessa\\Variables", "TRUSTEDPATHS", &text));
  EXPECT_EQ(text, "c:\\tools;");
  EXPECT_EQ(acad2010.VariablesKeyPath(acad2010.profiles[1]), profiles + "Tessa\\Variables");
  EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, profiles + "Bare"));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, profiles + "Bare\\Variables"));

  ASSERT_TRUE(ReadFileBytes(acad2010.Folder() + "\\Drv\\pdfplot9.hdi", &text));
  EXPECT_EQ(text, *acad2010.pdfplot9);
  EXPECT_TRUE(IsFolder(acad2010.Folder() + "\\Fonts"));
  EXPECT_TRUE(IsFolder(acad2009.Folder() + "\\Fonts"));
  EXPECT_FALSE(PathExists(acad2009.Folder() + "\\Drv"));

  machine.Clear();
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Autodesk"));
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Wow6432Node\\Autodesk"));
  EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Autodesk"));
  EXPECT_FALSE(PathExists(acad2010.Folder()));
  EXPECT_FALSE(PathExists(acad2009.Folder()));
  EXPECT_THROW(harness::StandardAcad(2006), std::invalid_argument);
}

// ---- Small helpers the CLI relies on ----

TEST(Text, EscapedFieldsStayOnOneLineAndComeBackUnchanged) {
  const std::string raw = "a\tb\nc%d\r中文\x01";
  const std::string escaped = EscapeField(raw);
  EXPECT_EQ(escaped, "a%09b%0Ac%25d%0D中文%01");
  EXPECT_EQ(UnescapeField(escaped), raw);
  EXPECT_EQ(UnescapeField("100%"), "100%") << "a stray % at the end stays";
  EXPECT_EQ(Utf8FromWide(WideFromUtf8("安装完成！")), "安装完成！");
}

TEST(Program, QuotedArgumentsReachTheProgramUnchanged) {
  const std::vector<std::wstring> args{L"C:\\Program Files\\x.exe", L"plain", L"with space", L"quote\"inside",
                                       L"trailing\\", L"C:\\dir with space\\", L"", L"\\\\server\\\"share"};
  std::wstring line = QuoteCommandLine(args);
  int count = 0;
  LPWSTR* parsed = CommandLineToArgvW(line.c_str(), &count);
  ASSERT_NE(parsed, nullptr);
  std::vector<std::wstring> back(parsed, parsed + count);
  LocalFree(parsed);
  EXPECT_EQ(back, args);
}

TEST(Program, ReportsStartFailureAndExitCode) {
  EXPECT_THROW(Program::Start("C:\\no\\such\\program.exe"), std::runtime_error);
  Program cmd = Program::Start("C:\\windows\\system32\\cmd.exe", {"/c", "exit", "7"});
  ASSERT_TRUE(cmd.WaitForExit(kDefaultTimeoutMs));
  EXPECT_EQ(cmd.ExitCode(), 7u);
  EXPECT_FALSE(cmd.IsRunning());
  Program attached;
  EXPECT_FALSE(Program::Attach(0xFFFFFFF0, &attached));
}

}  // namespace
