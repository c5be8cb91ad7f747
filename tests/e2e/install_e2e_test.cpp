// The Install command of the real SetUp.exe, run from a distribution folder (SetUp.exe beside a
// Data folder) on machines prepared in the Wine prefix: what a default installation leaves, a
// running AutoCAD, a missing Data folder, a copy that fails, and the path's limits.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "automation/actions.h"
#include "automation/file_tree.h"
#include "automation/message_boxes.h"
#include "automation/program.h"
#include "automation/registry_dump.h"
#include "automation/registry_seed.h"
#include "automation/text.h"
#include "automation/windows.h"
#include "automation/wine_paths.h"
#include "distribution.h"
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

// Folders other cases install into, removed after every case.
const char* const kOtherInstallRoots[] = {"C:\\Long", "C:\\T"};

const char kWarningCaption[] = "Tessarune软件安装";
const char kCompletionCaption[] = "Tessarune工具箱安装";
const char kInstalledText[] = "安装完成，重启CAD即可使用 !";
const char kImportText[] =
    "若要导入早期版本（2024年版本及更早版本）的设置，可点击:\n\n [软件设置] -> [设置导出导入] -> [早期版本设置导入]";

// The relative paths below root: files as they are, folders with a trailing backslash.
std::set<std::string> TreeNames(const std::string& root) {
  std::set<std::string> names;
  for (const std::string& line : ListFileTree(root)) {
    const size_t tab = line.find('\t');
    const size_t end = line.find('\t', tab + 1);
    std::string rel = UnescapeField(line.substr(tab + 1, end == std::string::npos ? std::string::npos : end - tab - 1));
    names.insert(line.compare(0, tab, "folder") == 0 ? rel + "\\" : rel);
  }
  return names;
}

std::set<std::string> InstalledNames() {
  std::set<std::string> names(std::begin(kPayloadFiles), std::end(kPayloadFiles));
  names.insert(std::string(kLibrary) + "\\");
  for (const char* name : kLibraryFiles) names.insert(std::string(kLibrary) + "\\" + name);
  return names;
}

std::string FileText(const std::string& path) {
  std::string content;
  return ReadFileBytes(path, &content) ? content : "<missing>";
}

bool ReadDword(const std::string& keyPath, const std::string& name, DWORD* value) {
  DWORD size = sizeof *value;
  return RegGetValueW(HKEY_LOCAL_MACHINE, WideFromUtf8(keyPath).c_str(), WideFromUtf8(name).c_str(),
                      RRF_RT_REG_DWORD, nullptr, value, &size) == ERROR_SUCCESS;
}

std::string Text(HKEY root, const std::string& keyPath, const std::string& name) {
  std::string text;
  return ReadRegistryText(root, keyPath, name, &text) ? text : "<missing>";
}

// The Add/Remove Programs entry and the record folder's files, one line each.
std::vector<std::string> DeploymentState() {
  std::vector<std::string> state;
  for (const char* name : {"DisplayName", "DisplayVersion", "Publisher", "InstallLocation", "DisplayIcon",
                           "UninstallString", "QuietUninstallString"}) {
    state.push_back(std::string(name) + "=" + Text(HKEY_LOCAL_MACHINE, kArpKey, name));
  }
  for (const char* name : {"EstimatedSize", "NoModify", "NoRepair"}) {
    DWORD value = 0;
    state.push_back(std::string(name) + "=" + (ReadDword(kArpKey, name, &value) ? std::to_string(value) : "<missing>"));
  }
  // A log's name is its time.
  for (const std::string& name : TreeNames(kRecordFolder)) {
    state.push_back(name.compare(0, 11, "Logs\\SetUp ") == 0 ? "Logs\\<log>" : name);
  }
  return state;
}

void ClearDeployment() {
  ASSERT_TRUE(DeleteRegistryTree(HKEY_LOCAL_MACHINE, kArpKey));
  ASSERT_TRUE(DeleteFileTree("C:\\Program Files\\Quilox"));
}

// The system's text for E_INVALIDARG, found as the framework finds it.
std::string InvalidArgumentText() {
  for (DWORD code : {static_cast<DWORD>(E_INVALIDARG), static_cast<DWORD>(ERROR_INVALID_PARAMETER)}) {
    wchar_t text[1024];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                  1024, nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n')) --length;
    if (length > 0) return Utf8FromWide(std::wstring(text, length));
  }
  return "<no system text>";
}

// Whether the box shows an icon at all: the icon static holds one or not. (The pixels cannot
// tell "no icon" under Wine: its empty icon static overlaps the text.)
bool ShowsIcon(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (WindowClass(child) != "Static" || (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
    DWORD_PTR icon = 0;
    SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_NORMAL, kDefaultTimeoutMs, &icon);
    if (icon != 0) return true;
  }
  return false;
}

std::vector<int> ButtonIds(const MessageBoxInfo& box) {
  std::vector<int> ids;
  for (const MessageBoxButton& button : box.buttons) ids.push_back(button.id);
  return ids;
}

std::string CopyFailedText(const std::string& path) {
  return "拷贝文件 " + path + " 失败，可能原因如下：\n\n1、AutoCAD未关闭\n\n2、系统权限未开放，请以管理者权限登陆系统";
}

// Runs a shell command on the Unix side (Wine starts a Unix program as it is) and waits until
// `done` says it has finished: Wine gives no handle to wait on.
bool RunUnix(const std::string& command, const std::function<bool()>& done) {
  std::string line = "/bin/sh -c \"" + command + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return false;
  if (process.hThread) CloseHandle(process.hThread);
  if (process.hProcess) CloseHandle(process.hProcess);
  for (int i = 0; i < 300 && !done(); ++i) Sleep(100);
  return done();
}

// A folder below C:\ as the Unix side names it.
std::string UnixPathOnC(const std::string& relative) {
  const char* prefix = std::getenv("WINEPREFIX");
  return std::string(prefix ? prefix : "") + "/drive_c/" + relative;
}

class InstallCommand : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(CopySetupIntoDistribution()) << "cannot copy SetUp.exe into " << kDistFolder; }

  void SetUp() override {
    harness::ClearAcadRegistry();
    ASSERT_TRUE(DeleteFileTree(kDefaultInstallPath));
    for (const char* root : kOtherInstallRoots) ASSERT_TRUE(DeleteFileTree(root));
    ASSERT_TRUE(DeleteFileTree(kDataFolder));
    ASSERT_TRUE(DeleteFileTree(WorkFolder()));
    ClearDeployment();
    SeedDistribution();
  }

  void TearDown() override {
    program_.TerminateIfRunning();
    acad_.TerminateIfRunning();
    if (heldFile_ != INVALID_HANDLE_VALUE) CloseHandle(heldFile_);
    machine_.Clear();
    DeleteFileTree(kDefaultInstallPath);
    for (const char* root : kOtherInstallRoots) DeleteFileTree(root);
    ClearDeployment();
  }

  void Seed(std::initializer_list<SimulatedAcad> installations) {
    for (const SimulatedAcad& acad : installations) machine_.Add(acad);
    machine_.Seed();
  }

  void StartSetup() {
    program_ = Program::Start(kDistSetup, {}, WorkFolder());
    dialog_ = WaitForTopLevelWindow(kDialogTitle, program_.Pid(), kDefaultTimeoutMs);
    ASSERT_NE(nullptr, dialog_) << "no setup dialog; the program "
                                << (program_.IsRunning() ? "runs" : "ended");
    known_.clear();
  }

  ControlInfo Control(int id) const { return ReadControl(dialog_, id); }

  void TypePath(const std::string& path) {
    ASSERT_EQ(ActionResult::Done, SetEditText(dialog_, kPathId, path).result);
  }

  // Presses Install. Wine shows a message box once its modal loop first runs idle, which may be
  // after the click counts as handled: the boxes are waited for by NextBox.
  void PressInstall() {
    const ActionResult result = ClickButton(dialog_, kInstallId, 60000).result;
    ASSERT_TRUE(result == ActionResult::ModalShown || result == ActionResult::Done) << ActionResultName(result);
  }

  // The next message box of the program; its text and caption, buttons and owner.
  MessageBoxInfo NextBox() {
    HWND box = WaitForMessageBox(program_.Pid(), 60000, known_);
    if (!box) {
      ADD_FAILURE() << "no message box appeared";
      return MessageBoxInfo();
    }
    known_.push_back(box);
    return ReadMessageBox(box);
  }

  void Answer(const MessageBoxInfo& box, int button) {
    ASSERT_EQ(ActionResult::WindowClosed, AnswerMessageBox(box.hwnd, button, 60000).result);
  }

  // A box with OK only and no icon, owned by the setup dialog.
  void ExpectPlainBox(const MessageBoxInfo& box, const std::string& caption, const std::string& text) {
    EXPECT_EQ(caption, box.caption);
    EXPECT_EQ(text, box.text);
    EXPECT_EQ(std::vector<int>{IDOK}, ButtonIds(box));
    EXPECT_FALSE(ShowsIcon(box.hwnd)) << text;
    EXPECT_EQ(dialog_, box.owner);
  }

  // The two completion messages in order, then the program ends.
  void ExpectCompletionAndEnd() {
    MessageBoxInfo first = NextBox();
    ExpectPlainBox(first, kCompletionCaption, kInstalledText);
    Answer(first, IDOK);
    MessageBoxInfo second = NextBox();
    ExpectPlainBox(second, kCompletionCaption, kImportText);
    Answer(second, IDOK);
    ExpectProgramEnds();
  }

  void ExpectProgramEnds() {
    ASSERT_TRUE(program_.WaitForExit(kDefaultTimeoutMs)) << "the program went on after its dialog ended";
    EXPECT_LT(program_.ExitCode(), 0xC0000000u) << "the program crashed on the way out";
  }

  // The path row shows and the bar is hidden: the user can still choose.
  void ExpectChoosingView() {
    EXPECT_TRUE(IsWindow(dialog_));
    for (int id : {1017, kPathId, kBrowseId}) EXPECT_TRUE(Control(id).visible) << id;
    EXPECT_FALSE(Control(kProgressId).visible);
  }

  // Whole installation with the default path, answering the completion messages.
  void InstallWithDefaults() {
    StartSetup();
    PressInstall();
    ExpectCompletionAndEnd();
  }

  void StartAcadStandIn() { acad_ = StartAcad(TESSA_SLEEPER_EXE); }

  // SetUp.exe with a command line: it must end by itself, showing nothing.
  DWORD RunSilent(const std::vector<std::string>& args) { return RunToEnd(program_, kDistSetup, args); }

  // The whole registry and file state of the simulated AutoCAD machine and the install path.
  MachineSnapshot Snapshot() const { return TakeSnapshot(machine_); }

  SimulatedMachine machine_;
  Program program_;
  Program acad_;
  HWND dialog_ = nullptr;
  std::vector<HWND> known_;
  HANDLE heldFile_ = INVALID_HANDLE_VALUE;
};

// ---- A whole installation ----

TEST_F(InstallCommand, DefaultInstallationServesEverySelectedRelease) {
  SimulatedAcad acad2018 = StandardAcad(2018);
  acad2018.profiles.push_back({"Tessa", std::string("c:\\tools"), true});
  Seed({StandardAcad(2008), StandardAcad(2010), acad2018, StandardAcad(2024)});
  StartSetup();

  PressInstall();
  MessageBoxInfo first = NextBox();
  // When the first message shows, the dialog is in its progress view with the bar full.
  for (int id : {1017, kPathId, kBrowseId}) EXPECT_FALSE(Control(id).visible) << id;
  ControlInfo bar = Control(kProgressId);
  EXPECT_TRUE(bar.visible);
  EXPECT_EQ(0, bar.progressMin);
  EXPECT_EQ(50, bar.progressMax);
  EXPECT_EQ(50, bar.progressPos);
  EXPECT_EQ("C:\\Quilox", Control(kPathId).text);  // the box keeps what the user chose
  ExpectPlainBox(first, kCompletionCaption, kInstalledText);
  Answer(first, IDOK);
  MessageBoxInfo second = NextBox();
  ExpectPlainBox(second, kCompletionCaption, kImportText);
  Answer(second, IDOK);
  ExpectProgramEnds();

  // The payload without SetUp.exe and the fonts, and the drawing library.
  EXPECT_EQ(InstalledNames(), TreeNames(kInstallFolder));
  EXPECT_EQ(PayloadContent("Quilox2010.arx"), FileText(std::string(kInstallFolder) + "\\Quilox2010.arx"));
  EXPECT_EQ(PayloadContent("门窗.dwg"), FileText(std::string(kInstallFolder) + "\\" + kLibrary + "\\门窗.dwg"));

  // Demand-load entries: the release's own, with its module year, and the second ones of 2010.
  struct Entry {
    size_t installation;  // in the order seeded: 2008, 2010, 2018, 2024
    const char* entry;
    const char* module;
  };
  const Entry entries[] = {{0, "Quilox2008", "Quilox2008.ARX"},
                           {1, "Quilox2010", "Quilox2010.ARX"},
                           {1, "Quilox2010_32", "Quilox2010_32.ARX"},
                           {2, "Quilox2018", "Quilox2018.ARX"},
                           {3, "Quilox2024", "Quilox2021.ARX"}};
  for (const Entry& e : entries) {
    const std::string key = machine_.Installations()[e.installation].ProductKeyPath() + "\\Applications\\" + e.entry;
    EXPECT_EQ(std::string(kInstallFolder) + "\\" + e.module, Text(HKEY_LOCAL_MACHINE, key, "LOADER")) << e.entry;
    DWORD loadCtrls = 0;
    EXPECT_TRUE(ReadDword(key, "LOADCTRLS", &loadCtrls)) << e.entry;
    EXPECT_EQ(2u, loadCtrls) << e.entry;
  }
  // Nothing else below the product keys: 2008 and 2018 have no second entry.
  for (const SimulatedAcad& acad : machine_.Installations()) {
    const size_t expected = acad.year == 2010 ? 2 : 1;
    size_t found = 0;
    for (const std::string& line : DumpRegistryTree(HKEY_LOCAL_MACHINE, acad.ProductKeyPath() + "\\Applications")) {
      if (line.compare(0, 4, "key\t") == 0) ++found;
    }
    EXPECT_EQ(expected + 1, found) << acad.year;  // the Applications key itself and the entries
  }

  // Every profile trusts the install folder.
  for (const SimulatedAcad& acad : machine_.Installations()) {
    const std::string variables = acad.VariablesKeyPath(acad.profiles[0]);
    EXPECT_EQ(kInstallFolder, Text(HKEY_CURRENT_USER, variables, "TRUSTEDPATHS")) << acad.year;
  }
  EXPECT_EQ("C:\\TOOLS;C:\\QUILOX\\TESSARUNE",
            Text(HKEY_CURRENT_USER, acad2018.VariablesKeyPath(acad2018.profiles[1]), "TRUSTEDPATHS"));

  // Fonts everywhere; the plotter driver only for 2008.
  for (const SimulatedAcad& acad : machine_.Installations()) {
    EXPECT_EQ(PayloadContent("Quilox_EN.shx"), FileText(acad.Folder() + "\\Fonts\\Quilox_EN.shx")) << acad.year;
    EXPECT_EQ(PayloadContent("Quilox_HZ.shx"), FileText(acad.Folder() + "\\Fonts\\Quilox_HZ.shx")) << acad.year;
    const std::string driver = acad.year == 2008 ? PayloadContent("Quilox.prt5") : *acad.pdfplot9;
    EXPECT_EQ(driver, FileText(acad.Folder() + "\\Drv\\pdfplot9.hdi")) << acad.year;
  }
}

// ---- AutoCAD running ----

TEST_F(InstallCommand, RunningAutoCadIsWarnedAboutOnceThenTheInstallationGoesOn) {
  Seed({StandardAcad(2010)});
  const MachineSnapshot before = Snapshot();
  StartAcadStandIn();
  StartSetup();

  PressInstall();
  MessageBoxInfo warning = NextBox();
  ExpectPlainBox(warning, kWarningCaption, "请关闭AutoCAD后再进行安装 !");
  Answer(warning, IDOK);
  ExpectChoosingView();
  const MachineSnapshot after = Snapshot();
  EXPECT_EQ(before.registry, after.registry);
  EXPECT_EQ(before.files, after.files);
  EXPECT_FALSE(PathExists(kDefaultInstallPath));

  // AutoCAD still runs; the second press installs.
  ASSERT_TRUE(acad_.IsRunning());
  PressInstall();
  ExpectCompletionAndEnd();
  EXPECT_EQ(InstalledNames(), TreeNames(kInstallFolder));
  EXPECT_EQ(std::string(kInstallFolder) + "\\Quilox2010.ARX",
            Text(HKEY_LOCAL_MACHINE, machine_.Installations()[0].ProductKeyPath() + "\\Applications\\Quilox2010",
                 "LOADER"));
}

// ---- The source and the copy ----

TEST_F(InstallCommand, MissingDataFolderEndsTheDialogWithoutRegisteringAnything) {
  Seed({StandardAcad(2008)});
  ASSERT_TRUE(DeleteFileTree(kDataFolder));
  const std::vector<std::string> registryBefore = Snapshot().registry;
  StartSetup();

  PressInstall();
  MessageBoxInfo box = NextBox();
  ExpectPlainBox(box, kWarningCaption,
                 "未找到安装所需的Data文件夹 !\n\n可能安装文件下载后没有解压，\n\n请解压后再执行SetUp.exe !");
  Answer(box, IDOK);
  ExpectProgramEnds();

  EXPECT_EQ(registryBefore, Snapshot().registry);
  // The install folder was made before the copy looked for its source; it stays, empty.
  EXPECT_TRUE(IsFolder(kInstallFolder));
  EXPECT_TRUE(TreeNames(kInstallFolder).empty());
  EXPECT_FALSE(PathExists(machine_.Installations()[0].Folder() + "\\Fonts\\Quilox_EN.shx"));
}

// Retry and Ignore go on as the copy's own tests show; Abort is the answer that ends the program.
TEST_F(InstallCommand, AbortAfterAFailedCopyEndsTheDialogBeforeTheLibraryAndTheRegistry) {
  Seed({StandardAcad(2010)});
  const std::vector<std::string> registryBefore = Snapshot().registry;
  // An older read-me in the install folder, held open without sharing: its copy fails.
  const std::string readme = std::string(kInstallFolder) + "\\Readme.txt";
  SeedFiles({FileSeed::File(readme, "older read-me")});
  heldFile_ = CreateFileW(WideFromUtf8(readme).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, heldFile_);
  StartSetup();

  PressInstall();
  MessageBoxInfo question = NextBox();
  EXPECT_EQ(kWarningCaption, question.caption);
  EXPECT_EQ(CopyFailedText(readme), question.text);
  EXPECT_EQ((std::vector<int>{IDABORT, IDRETRY, IDIGNORE}), ButtonIds(question));
  EXPECT_FALSE(ShowsIcon(question.hwnd));
  EXPECT_EQ(dialog_, question.owner);
  Answer(question, IDABORT);
  ExpectProgramEnds();
  CloseHandle(heldFile_);
  heldFile_ = INVALID_HANDLE_VALUE;

  EXPECT_EQ("older read-me", FileText(readme));
  EXPECT_FALSE(PathExists(std::string(kInstallFolder) + "\\" + kLibrary));
  EXPECT_EQ(registryBefore, Snapshot().registry);
  EXPECT_FALSE(PathExists(machine_.Installations()[0].Folder() + "\\Fonts\\Quilox_EN.shx"));
}

// ---- The path ----

TEST_F(InstallCommand, EmptyPathIsAnInvalidArgumentAndTheDialogStays) {
  Seed({StandardAcad(2010)});
  const MachineSnapshot before = Snapshot();
  StartSetup();
  TypePath("");

  PressInstall();
  MessageBoxInfo box = NextBox();
  EXPECT_EQ("SetUp", box.caption);  // the executable's name
  EXPECT_EQ(InvalidArgumentText(), box.text);
  EXPECT_EQ("hand", box.icon);
  EXPECT_TRUE(ShowsIcon(box.hwnd));
  EXPECT_EQ(std::vector<int>{IDOK}, ButtonIds(box));
  EXPECT_EQ(dialog_, box.owner);
  Answer(box, IDOK);

  ExpectChoosingView();
  EXPECT_TRUE(program_.IsRunning());
  const MachineSnapshot after = Snapshot();
  EXPECT_EQ(before.registry, after.registry);
  EXPECT_EQ(before.files, after.files);
}

TEST_F(InstallCommand, TooLongPathIsRefusedBeforeAnythingIsCreated) {
  Seed({StandardAcad(2010)});
  const MachineSnapshot before = Snapshot();
  StartSetup();
  // "\Tessarune" and "\Quilox2010_32.ARX" would take its demand-load text past 259 characters.
  const std::string parent = "C:\\Long\\" + std::string(100, 'a') + "\\" + std::string(100, 'b');
  CreateFolders(parent);  // the command makes one level only
  const std::string path = parent + "\\cccccccccccccccccccccc";
  ASSERT_EQ(232u, path.size());
  TypePath(path);

  PressInstall();
  MessageBoxInfo box = NextBox();
  EXPECT_EQ(kWarningCaption, box.caption);
  EXPECT_EQ("安装路径过长，请选择较短的安装路径 !", box.text);
  EXPECT_EQ("exclamation", box.icon);
  EXPECT_TRUE(ShowsIcon(box.hwnd));
  EXPECT_EQ(std::vector<int>{IDOK}, ButtonIds(box));
  EXPECT_EQ(dialog_, box.owner);
  Answer(box, IDOK);

  ExpectChoosingView();
  EXPECT_EQ(path, Control(kPathId).text);
  EXPECT_FALSE(PathExists(path));
  const MachineSnapshot after = Snapshot();
  EXPECT_EQ(before.registry, after.registry);
  EXPECT_EQ(before.files, after.files);
}

// ---- Unattended installs ----

TEST_F(InstallCommand, SilentInstallLeavesWhatADefaultDialogInstallLeaves) {
  Seed({StandardAcad(2008), StandardAcad(2010), StandardAcad(2024)});
  InstallWithDefaults();
  const MachineSnapshot dialog = Snapshot();
  const std::vector<std::string> dialogDeployment = DeploymentState();
  // The dialog's install leaves its log in the record folder, with the messages it showed.
  std::string dialogLog;
  for (const std::string& name : TreeNames(kRecordFolder)) {
    if (name.compare(0, 5, "Logs\\") == 0 && name.size() > 5) dialogLog = FileText(std::string(kRecordFolder) + "\\" + name);
  }
  EXPECT_EQ(0u, dialogLog.find("Tessarune Setup log\r\n")) << dialogLog;
  EXPECT_NE(std::string::npos, dialogLog.find(std::string(" message shown: ") + kInstalledText + "\r\n")) << dialogLog;
  EXPECT_NE(std::string::npos, dialogLog.find(" exit code: 0\r\n")) << dialogLog;
  machine_.Clear();
  ASSERT_TRUE(DeleteFileTree(kDefaultInstallPath));
  ClearDeployment();
  machine_.Seed();

  EXPECT_EQ(0u, RunSilent({"/S"}));
  const MachineSnapshot silent = Snapshot();
  EXPECT_EQ(dialog.registry, silent.registry);
  EXPECT_EQ(dialog.files, silent.files);
  EXPECT_EQ(dialogDeployment, DeploymentState());

  // Add/Remove Programs lists the product; the record folder keeps the record, the uninstaller
  // and AutoCAD 2008's own driver.
  const std::string uninstaller = "\"C:\\Program Files\\Quilox\\Tessarune Setup\\SetUp.exe\"";
  uint64_t installedBytes = 0;
  for (const std::string& name : InstalledNames()) {
    if (name.back() != '\\') installedBytes += FileText(std::string(kInstallFolder) + "\\" + name).size();
  }
  for (const SimulatedAcad& acad : machine_.Installations()) {
    for (const char* font : {"\\Fonts\\Quilox_EN.shx", "\\Fonts\\Quilox_HZ.shx"}) {
      installedBytes += FileText(acad.Folder() + font).size();
    }
  }
  installedBytes += FileText(machine_.Installations()[0].Folder() + "\\Drv\\pdfplot9.hdi").size();
  const std::vector<std::string> expected{
      "DisplayName=Tessarune",
      "DisplayVersion=2026.03.31",
      "Publisher=Quilox",
      "InstallLocation=C:\\Quilox\\Tessarune",
      "DisplayIcon=C:\\Program Files\\Quilox\\Tessarune Setup\\SetUp.exe,0",
      "UninstallString=" + uninstaller + " /UNINSTALL",
      "QuietUninstallString=" + uninstaller + " /UNINSTALL /S",
      "EstimatedSize=" + std::to_string((installedBytes + 1023) / 1024),
      "NoModify=1",
      "NoRepair=1",
      "Backup\\",
      "Backup\\pdfplot9.hdi",
      "InstallRecord.txt",
      "Logs\\",
      "Logs\\<log>",
      "SetUp.exe",
      "TessaruneUser.exe",
  };
  EXPECT_EQ(expected, DeploymentState());
  std::string kept, built;
  ASSERT_TRUE(ReadFileBytes(std::string(kRecordFolder) + "\\SetUp.exe", &kept));
  ASSERT_TRUE(ReadFileBytes(kDistSetup, &built));
  EXPECT_TRUE(kept == built) << "the uninstaller is the setup that ran";
  const std::string record = FileText(std::string(kRecordFolder) + "\\InstallRecord.txt");
  EXPECT_EQ(0u, record.find("Tessarune Setup install record\t2\r\nversion\t2026.03.31\r\n")) << record;
  // UTF-8, as any editor reads it.
  EXPECT_NE(std::string::npos, record.find(std::string("\r\nfile\tC:\\Quilox\\Tessarune\\") + kLibrary + "\\门窗.dwg\t")) << record;
  EXPECT_NE(std::string::npos, record.find("\r\nbackup\t" + machine_.Installations()[0].Folder() +
                                           "\\Drv\\pdfplot9.hdi\t" + kRecordFolder + "\\Backup\\pdfplot9.hdi\r\n"))
      << record;
}

TEST_F(InstallCommand, SilentInstallTakesThePathTheReleasesAndALogAndRefusesWhatItDoesNotKnow) {
  Seed({StandardAcad(2010), StandardAcad(2021)});
  const MachineSnapshot before = Snapshot();
  // A log name that is another file's hard link.
  SeedFiles({FileSeed::File("C:\\T\\other.txt", "another file")});
  ASSERT_TRUE(CreateHardLinkW(L"C:\\T\\linked.log", L"C:\\T\\other.txt", nullptr));
  // Unknown switches, a release that is not installed, an invalid path, a linked log: nothing is done.
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"/S", "/X"}, {"/S", "/RELEASES=2013"}, {"/S", "/D=Quilox"}, {"/S", "/LOG=C:\\T\\linked.log"}}) {
    EXPECT_EQ(87u, RunSilent(args)) << args[1];
  }
  const MachineSnapshot refused = Snapshot();
  EXPECT_EQ(before.registry, refused.registry);
  EXPECT_EQ(before.files, refused.files);
  EXPECT_EQ("another file", FileText("C:\\T\\other.txt"));

  // Without /S an unknown switch shows the usage instead of the dialog.
  program_ = Program::Start(kDistSetup, {"/x"}, WorkFolder());
  MessageBoxInfo usage = NextBox();
  EXPECT_EQ(kWarningCaption, usage.caption);
  EXPECT_EQ(0u, usage.text.find("用法：SetUp.exe [/S]")) << usage.text;
  Answer(usage, IDOK);
  ASSERT_TRUE(program_.WaitForExit(kDefaultTimeoutMs));
  EXPECT_EQ(87u, program_.ExitCode());

  EXPECT_EQ(0u, RunSilent({"/s", "/releases=2021", "/log=C:\\T\\x.log", "/d=C:\\T\\X"}));
  const SimulatedAcad& acad2010 = machine_.Installations()[0];
  const SimulatedAcad& acad2021 = machine_.Installations()[1];
  EXPECT_EQ("C:\\T\\X\\Tessarune\\Quilox2021.ARX",
            Text(HKEY_LOCAL_MACHINE, acad2021.ProductKeyPath() + "\\Applications\\Quilox2021", "LOADER"));
  EXPECT_EQ("<missing>",
            Text(HKEY_LOCAL_MACHINE, acad2010.ProductKeyPath() + "\\Applications\\Quilox2010", "LOADER"));
  EXPECT_EQ(PayloadContent("门窗.dwg"), FileText(std::string("C:\\T\\X\\Tessarune\\") + kLibrary + "\\门窗.dwg"));
  EXPECT_FALSE(PathExists(acad2010.Folder() + "\\Fonts\\Quilox_EN.shx"));
  EXPECT_FALSE(PathExists(kDefaultInstallPath));
  // The log is UTF-8, Chinese names included.
  const std::string log = FileText("C:\\T\\x.log");
  EXPECT_NE(std::string::npos, log.find("file written: C:\\T\\X\\Tessarune\\Quilox扩展绘图库\\门窗.dwg\r\n")) << log;
  EXPECT_NE(std::string::npos, log.find(" exit code: 0\r\n")) << log;
}

// What administrators type for every installer: /NORESTART is accepted, /VERYSILENT is /S.
TEST_F(InstallCommand, NoRestartAndVerySilentAreTakenAsAdministratorsTypeThem) {
  Seed({StandardAcad(2021)});
  const SimulatedAcad& acad = machine_.Installations()[0];
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{{"/S", "/NORESTART"}, {"/VERYSILENT"}}) {
    SCOPED_TRACE(args[0]);
    machine_.Clear();
    ASSERT_TRUE(DeleteFileTree(kDefaultInstallPath));
    ClearDeployment();
    machine_.Seed();
    EXPECT_EQ(0u, RunSilent(args));  // no window: a box would keep it from ending
    EXPECT_EQ("C:\\Quilox\\Tessarune\\Quilox2021.ARX",
              Text(HKEY_LOCAL_MACHINE, acad.ProductKeyPath() + "\\Applications\\Quilox2021", "LOADER"));
  }
}

// A second user of the machine, not logged on: a profile under ProfileList whose NTUSER.DAT is a
// hive saved by Wine (Wine loads only hives of its own format).
TEST_F(InstallCommand, AllUsersReachesAUserWhoIsNotLoggedOnAndUnloadsTheHive) {
  const SimulatedAcad acad = StandardAcad(2021);
  Seed({acad});
  const std::string sid = "S-1-5-21-1111-2222-3333-1002";
  const std::string profile = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\" + sid;
  const std::string variables = acad.VariablesKeyPath(acad.profiles[0]);
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, profile);
  ASSERT_TRUE(DeleteFileTree("C:\\Users\\second"));
  CreateFolders("C:\\Users\\second");
  CreateFolders("C:\\T");  // for the log
  WriteRegistryText(HKEY_LOCAL_MACHINE, "Software\\TessaSecondUser\\" + variables, "TRUSTEDPATHS", "d:\\lisp");
  HKEY saved = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\TessaSecondUser", 0, KEY_READ, &saved));
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
  TOKEN_PRIVILEGES backup = {1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}};
  ASSERT_TRUE(LookupPrivilegeValueW(nullptr, L"SeBackupPrivilege", &backup.Privileges[0].Luid));
  ASSERT_TRUE(AdjustTokenPrivileges(token, FALSE, &backup, 0, nullptr, nullptr));
  CloseHandle(token);
  EXPECT_EQ(ERROR_SUCCESS, RegSaveKeyW(saved, L"C:\\Users\\second\\NTUSER.DAT", nullptr));
  RegCloseKey(saved);
  ASSERT_TRUE(DeleteRegistryTree(HKEY_LOCAL_MACHINE, "Software\\TessaSecondUser"));
  const std::wstring imagePath = L"%SystemDrive%\\Users\\second";
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, WideFromUtf8(profile).c_str(), L"ProfileImagePath",
                                           REG_EXPAND_SZ, imagePath.c_str(),
                                           static_cast<DWORD>((imagePath.size() + 1) * sizeof(wchar_t))));

  EXPECT_EQ(0u, RunSilent({"/S", "/ALLUSERS", "/LOG=C:\\T\\all.log"}));
  // Wine's one user is logged on: its hive below HKEY_USERS is HKEY_CURRENT_USER.
  EXPECT_EQ(kInstallFolder, Text(HKEY_CURRENT_USER, variables, "TRUSTEDPATHS"));
  // Wine drops what is written into a loaded hive when it unloads it: the log shows the second
  // user's update; that the hive file keeps it is checked on Windows (scripts/windows-security-check.ps1).
  const std::string log = FileText("C:\\T\\all.log");
  const std::string mount = "HKEY_USERS\\Tessarune_" + sid;
  for (const std::string& line :
       {"user hive loaded: " + mount + " from C:\\Users\\second\\NTUSER.DAT",
        "registry value written: " + mount + "\\SOFTWARE" + variables.substr(8) +
            " : TRUSTEDPATHS = D:\\LISP;C:\\QUILOX\\TESSARUNE",
        "user hive unloaded: " + mount}) {
    EXPECT_NE(std::string::npos, log.find(" " + line + "\r\n")) << line << "\n" << log;
  }
  EXPECT_FALSE(RegistryKeyExists(HKEY_USERS, "Tessarune_" + sid));

  DeleteRegistryTree(HKEY_LOCAL_MACHINE, profile);
  DeleteFileTree("C:\\Users\\second");
}

TEST_F(InstallCommand, TypedPathOffADriveOrWithASemicolonIsInvalidAndNothingIsMade) {
  Seed({StandardAcad(2010)});
  const MachineSnapshot before = Snapshot();
  StartSetup();
  for (const std::string& path :
       {std::string("C:abc"), std::string("C:\\Quilox;C:\\Users"), std::string("C:\\T\\a|b")}) {
    SCOPED_TRACE(path);
    TypePath(path);
    PressInstall();
    MessageBoxInfo box = NextBox();
    EXPECT_EQ("SetUp", box.caption);
    EXPECT_EQ("The folder:\n\n" + path + "\n\nis invalid. Please reenter.", box.text);
    EXPECT_EQ("exclamation", box.icon);
    EXPECT_EQ(dialog_, box.owner);
    Answer(box, IDOK);
    ExpectChoosingView();
  }
  EXPECT_FALSE(PathExists(WorkFolder() + "\\abc"));
  EXPECT_FALSE(PathExists("C:\\Quilox"));
  const MachineSnapshot after = Snapshot();
  EXPECT_EQ(before.registry, after.registry);
  EXPECT_EQ(before.files, after.files);

  // What passes is handled as before: one trailing backslash goes.
  SeedFiles({FileSeed::File("C:\\T\\readme.txt", "a folder that exists")});
  TypePath("C:\\T\\Tools\\");
  PressInstall();
  ExpectCompletionAndEnd();
  EXPECT_TRUE(PathExists("C:\\T\\Tools\\Tessarune\\Quilox2010.ARX"));
}

TEST_F(InstallCommand, SymbolicLinkOrFolderOfAnotherUserIsRefusedAndNothingIsMade) {
  // Wine reports a Unix symbolic link as a reparse point, and a folder of another Unix user as
  // owned by someone other than the administrator.
  const std::string root = UnixPathOnC("tessa_untrusted");
  ASSERT_NE(nullptr, std::getenv("WINEPREFIX"));
  ASSERT_TRUE(RunUnix("rm -rf '" + root + "' && mkdir -p '" + root + "/target' '" + root + "/foreign' && ln -s '" +
                          root + "/target' '" + root + "/link' && chown nobody '" + root + "/foreign' && touch '" +
                          root + "/ready'",
                      [] { return PathExists("C:\\tessa_untrusted\\ready"); }));
  Seed({StandardAcad(2010)});
  StartSetup();
  const MachineSnapshot before = Snapshot();
  for (const char* folder : {"C:\\tessa_untrusted\\link", "C:\\tessa_untrusted\\foreign"}) {
    const std::string path = folder;
    SCOPED_TRACE(path);
    TypePath(path);
    PressInstall();
    MessageBoxInfo box = NextBox();
    EXPECT_EQ(kWarningCaption, box.caption);
    EXPECT_EQ("文件夹 " + path + " 是链接或不属于管理员，为安全起见不能安装到这里。", box.text);
    EXPECT_EQ("exclamation", box.icon);
    EXPECT_EQ(dialog_, box.owner);
    Answer(box, IDOK);
    ExpectChoosingView();
  }
  EXPECT_FALSE(PathExists("C:\\tessa_untrusted\\target\\Tessarune"));
  EXPECT_FALSE(PathExists("C:\\tessa_untrusted\\foreign\\Tessarune"));
  const MachineSnapshot after = Snapshot();
  EXPECT_EQ(before.registry, after.registry);
  EXPECT_EQ(before.files, after.files);
  RunUnix("rm -rf '" + root + "'", [] { return !PathExists("C:\\tessa_untrusted"); });
}

// Another user's process makes C:\Quilox\Tessarune the moment C:\Quilox appears (a Unix process
// running as nobody's owner on the Unix side: Wine reports the folder as someone else's). It does
// not win every time: the run is repeated until it has won once.
TEST_F(InstallCommand, SilentInstallRefusesAnInstallFolderSomeoneElseMadeMeanwhile) {
  const SimulatedAcad acad = StandardAcad(2021);
  const std::string quilox = UnixPathOnC("Quilox");
  const std::string outcome = UnixPathOnC("tessa_racer");
  bool won = false;
  // The setup makes the two levels a moment apart: the racer may lose a few times.
  for (int attempt = 0; attempt < 60 && !won; ++attempt) {
    SCOPED_TRACE(attempt);
    machine_.Clear();
    ASSERT_TRUE(DeleteFileTree(kDefaultInstallPath));
    ASSERT_TRUE(DeleteFileTree("C:\\tessa_racer"));
    ClearDeployment();
    Seed({acad});
    // One process that polls and makes the folder itself: starting a mkdir would give the setup a
    // millisecond.
    ASSERT_TRUE(RunUnix("mkdir -p '" + outcome + "' && touch '" + outcome + "/ready' && exec perl -e '" +
                            "my ($q, $o) = @ARGV; 1 until -d $q; my $won = mkdir qq{$q/Tessarune};" +
                            " chown 65534, 65534, qq{$q/Tessarune} if $won;" +
                            " open(my $f, q{>}, $o . ($won ? q{/won} : q{/lost}));' '" + quilox + "' '" + outcome + "'",
                        [] { return PathExists("C:\\tessa_racer\\ready"); }));
    const DWORD exitCode = RunSilent({"/S"});
    // A run the racer did not even reach ends with its wait: it is let go by making the folder.
    CreateDirectoryA(kDefaultInstallPath, nullptr);
    ASSERT_TRUE(RunUnix("true", [] {
      return PathExists("C:\\tessa_racer\\won") || PathExists("C:\\tessa_racer\\lost");
    }));
    won = PathExists("C:\\tessa_racer\\won");
    if (!won) continue;
    EXPECT_EQ(1603u, exitCode);
    EXPECT_EQ("<missing>", Text(HKEY_LOCAL_MACHINE, acad.ProductKeyPath() + "\\Applications\\Quilox2021", "LOADER"));
    EXPECT_EQ("<missing>", Text(HKEY_LOCAL_MACHINE, kArpKey, "DisplayName")) << "no Add/Remove Programs entry";
    EXPECT_TRUE(TreeNames(kInstallFolder).empty()) << "nothing copied into the racer's folder";
  }
  EXPECT_TRUE(won) << "the racer never won";
  RunUnix("rm -rf '" + outcome + "' '" + quilox + "'", [] { return !PathExists(kDefaultInstallPath); });
}

}  // namespace
}  // namespace e2e
