// /UNINSTALL of the real SetUp.exe after a silent install on the simulated machine: through the
// Add/Remove Programs entry's QuietUninstallString (the kept uninstaller, run from a temporary
// copy), with AutoCAD running, and declined; and the kept uninstaller when SetUp.exe was swapped
// while it ran.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "automation/actions.h"
#include "automation/file_tree.h"
#include "automation/message_boxes.h"
#include "automation/registry_seed.h"
#include "automation/text.h"
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

const char kRecordRoot[] = "C:\\Program Files\\Quilox";  // the record folder's parent
const char kOtherPath[] = "C:\\Other";
const char kActiveSetupKey[] = "SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\Quilox.Tessarune.User";

std::string TempFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return Utf8FromWide(temp);
}

// The Unix path Wine gives a Windows path (of something that exists).
std::string UnixPath(const std::string& windowsPath) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  char* unix = toUnix ? toUnix(WideFromUtf8(windowsPath).c_str()) : nullptr;
  if (unix == nullptr) return "";
  std::string path = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return path;
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

// The letter case of the other TRUSTEDPATHS entries stays as the install left it.
std::vector<std::string> WithoutTrustedPathsCase(std::vector<std::string> lines) {
  for (std::string& line : lines) {
    if (line.find("\tTRUSTEDPATHS\t") != std::string::npos) line = Upper(line);
  }
  return lines;
}

// Fonts stay: drawings use them.
std::vector<std::string> WithoutFonts(std::vector<std::string> lines) {
  lines.erase(std::remove_if(lines.begin(), lines.end(),
                             [](const std::string& line) {
                               return line.find("Fonts\\Quilox_EN.shx\t") != std::string::npos ||
                                      line.find("Fonts\\Quilox_HZ.shx\t") != std::string::npos;
                             }),
              lines.end());
  return lines;
}

// The lines only one side has, for a readable failure.
std::string Differences(const std::vector<std::string>& expected, const std::vector<std::string>& actual) {
  std::string text;
  for (const std::string& line : expected) {
    if (std::find(actual.begin(), actual.end(), line) == actual.end()) text += "\n  only before: " + line;
  }
  for (const std::string& line : actual) {
    if (std::find(expected.begin(), expected.end(), line) == expected.end()) text += "\n  only after: " + line;
  }
  return text;
}

// Wine keeps settings of its own below HKCU\Software\Wine as windows appear: not the setup's.
std::vector<std::string> WithoutWine(std::vector<std::string> lines) {
  lines.erase(std::remove_if(lines.begin(), lines.end(),
                             [](const std::string& line) {
                               return line.find("\tHKCU\\Software\\Wine") != std::string::npos;
                             }),
              lines.end());
  return lines;
}

void ExpectSame(const std::vector<std::string>& expected, const std::vector<std::string>& actual) {
  EXPECT_TRUE(WithoutWine(expected) == WithoutWine(actual)) << Differences(WithoutWine(expected), WithoutWine(actual));
}

// A command line as Add/Remove Programs holds it: the program's quoted path, then its arguments.
void SplitCommand(const std::string& command, std::string* program, std::vector<std::string>* args) {
  ASSERT_EQ('"', command[0]) << command;
  const size_t end = command.find('"', 1);
  ASSERT_NE(std::string::npos, end) << command;
  *program = command.substr(1, end - 1);
  args->clear();
  for (size_t start = end + 1; start < command.size();) {
    const size_t space = command.find(' ', start);
    const std::string word = command.substr(start, space == std::string::npos ? std::string::npos : space - start);
    if (!word.empty()) args->push_back(word);
    start = space == std::string::npos ? command.size() : space + 1;
  }
}

class UninstallCommand : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(CopySetupIntoDistribution()) << "cannot copy SetUp.exe into " << kDistFolder; }

  void SetUp() override {
    harness::ClearAcadRegistry();
    RemoveWhatTheSetupKeeps();
    ASSERT_TRUE(DeleteFileTree(kDefaultInstallPath));
    ASSERT_TRUE(DeleteFileTree(kDataFolder));
    ASSERT_TRUE(DeleteFileTree(WorkFolder()));
    SeedDistribution();
    // 2008's driver is put back from its backup; 2010 gets two entries in a key the install makes;
    // a profile's own trusted path comes back in upper case.
    SimulatedAcad acad2018 = StandardAcad(2018);
    acad2018.profiles.push_back({"Tessa", std::string("c:\\tools"), true});
    acad2018.profiles.push_back({"Empty", std::string(""), true});  // replaced whole, put back
    for (const SimulatedAcad& acad : {StandardAcad(2008), StandardAcad(2010), acad2018}) machine_.Add(acad);
    machine_.Seed();
  }

  void TearDown() override {
    program_.TerminateIfRunning();
    acad_.TerminateIfRunning();
    machine_.Clear();
    DeleteFileTree(kDefaultInstallPath);
    DeleteFileTree(kOtherPath);
    RemoveWhatTheSetupKeeps();
  }

  void RemoveWhatTheSetupKeeps() {
    DeleteFileTree(kRecordRoot);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kArpKey);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kActiveSetupKey);
    DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\Quilox");
    for (int i = 1; i <= 20; ++i) DeleteFileTree(TempFolder() + "Tessarune-Uninstall-" + std::to_string(i));
  }

  std::string UninstallValue(const std::string& name) {
    std::string text;
    return ReadRegistryText(HKEY_LOCAL_MACHINE, kArpKey, name, &text) ? text : "<missing>";
  }

  SimulatedMachine machine_;
  Program program_;
  Program acad_;
};

TEST_F(UninstallCommand, QuietUninstallStringLeavesTheMachineAsBeforeApartFromTheFonts) {
  const MachineSnapshot before = TakeSnapshot(machine_);
  ASSERT_EQ(0u, RunToEnd(program_, kDistSetup, {"/S"}));
  EXPECT_EQ("2026.03.31", UninstallValue("DisplayVersion"));

  std::string uninstaller;
  std::vector<std::string> args;
  SplitCommand(UninstallValue("QuietUninstallString"), &uninstaller, &args);
  EXPECT_EQ(0u, RunToEnd(program_, uninstaller, args));

  const MachineSnapshot after = TakeSnapshot(machine_);
  ExpectSame(WithoutTrustedPathsCase(before.registry), WithoutTrustedPathsCase(after.registry));
  ExpectSame(before.files, WithoutFonts(after.files));
  EXPECT_NE(before.files, after.files) << "the fonts stay";
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kArpKey));
  EXPECT_FALSE(PathExists(std::string(kRecordFolder) + "\\InstallRecord.txt"));
}

TEST_F(UninstallCommand, RunningAutoCadStopsTheUninstallWithNothingRemoved) {
  ASSERT_EQ(0u, RunToEnd(program_, kDistSetup, {"/S"}));
  const MachineSnapshot installed = TakeSnapshot(machine_);
  acad_ = StartAcad(TESSA_SLEEPER_EXE);

  EXPECT_EQ(1618u, RunToEnd(program_, std::string(kRecordFolder) + "\\SetUp.exe", {"/UNINSTALL", "/S"}));
  const MachineSnapshot after = TakeSnapshot(machine_);
  ExpectSame(installed.registry, after.registry);
  ExpectSame(installed.files, after.files);
  EXPECT_EQ("2026.03.31", UninstallValue("DisplayVersion"));
}

TEST_F(UninstallCommand, DeclinedUninstallRemovesNothing) {
  ASSERT_EQ(0u, RunToEnd(program_, kDistSetup, {"/S"}));
  const MachineSnapshot installed = TakeSnapshot(machine_);

  program_ = Program::Start(kDistSetup, {"/uninstall"}, WorkFolder());
  HWND question = WaitForMessageBox(program_.Pid(), 60000);
  ASSERT_NE(nullptr, question) << "no question";
  const MessageBoxInfo box = ReadMessageBox(question);
  EXPECT_EQ("Tessarune软件安装", box.caption);
  ASSERT_EQ(2u, box.buttons.size());
  EXPECT_EQ(IDYES, box.buttons[0].id);
  EXPECT_EQ(IDNO, box.buttons[1].id);
  ASSERT_EQ(ActionResult::WindowClosed, AnswerMessageBox(question, IDNO, 60000).result);
  ASSERT_TRUE(program_.WaitForExit(60000));
  EXPECT_EQ(1602u, program_.ExitCode());

  const MachineSnapshot after = TakeSnapshot(machine_);
  ExpectSame(installed.registry, after.registry);
  ExpectSame(installed.files, after.files);
}

// AutoCAD 2008 removed after the install, with the Drv folder the plotter driver's backup belongs
// to: the uninstall drops the backup and finishes, and nothing of the product stays.
TEST_F(UninstallCommand, UninstallFinishesAfterAutoCadWasRemoved) {
  const SimulatedAcad acad2008 = StandardAcad(2008);
  const std::string releaseKey = acad2008.ProductKeyPath().substr(0, acad2008.ProductKeyPath().rfind('\\'));
  const auto without2008 = [&](std::vector<std::string> lines) {
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [&](const std::string& line) {
                                 return line.find(releaseKey) != std::string::npos ||
                                        line.find(acad2008.Folder()) != std::string::npos;
                               }),
                lines.end());
    return lines;
  };
  const MachineSnapshot before = TakeSnapshot(machine_);
  ASSERT_EQ(0u, RunToEnd(program_, kDistSetup, {"/S"}));
  ASSERT_TRUE(DeleteFileTree(acad2008.Folder()));
  ASSERT_TRUE(DeleteRegistryTree(HKEY_LOCAL_MACHINE, releaseKey));

  EXPECT_EQ(0u, RunToEnd(program_, std::string(kRecordFolder) + "\\SetUp.exe", {"/UNINSTALL", "/S"}));
  const MachineSnapshot after = TakeSnapshot(machine_);
  ExpectSame(without2008(WithoutTrustedPathsCase(before.registry)), without2008(WithoutTrustedPathsCase(after.registry)));
  // The listing of 2008's folder, up to the next folder's.
  const auto filesWithout2008 = [&](const std::vector<std::string>& lines) {
    std::vector<std::string> kept;
    bool in2008 = false;
    for (const std::string& line : lines) {
      if (line.rfind("root\t", 0) == 0) in2008 = line.find(acad2008.Folder()) != std::string::npos;
      if (!in2008) kept.push_back(line);
    }
    return kept;
  };
  ExpectSame(filesWithout2008(before.files), filesWithout2008(WithoutFonts(after.files)));
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kArpKey));
  // The kept uninstaller waits in the temporary folder for the restart, not in the record folder.
  EXPECT_FALSE(PathExists(kRecordRoot));
}

// A move: once the install into the other folder is complete, nothing points into the folder left
// (a demand-load entry or trusted path there would load what anyone puts there later), and the
// uninstall leaves nothing.
TEST_F(UninstallCommand, MoveClearsTheFolderLeftAndTheUninstallLeavesNothing) {
  const MachineSnapshot before = TakeSnapshot(machine_);
  ASSERT_EQ(0u, RunToEnd(program_, kDistSetup, {"/S"}));
  ASSERT_TRUE(PathExists(kInstallFolder));
  ASSERT_EQ(0u, RunToEnd(program_, kDistSetup, {"/S", "/D=C:\\Other"}));
  EXPECT_FALSE(PathExists(kDefaultInstallPath));
  const MachineSnapshot moved = TakeSnapshot(machine_);
  for (const std::string& line : moved.registry) {
    EXPECT_EQ(std::string::npos, Upper(line).find(Upper(kInstallFolder))) << line;
  }
  std::string record;
  ASSERT_TRUE(ReadFileBytes(std::string(kRecordFolder) + "\\InstallRecord.txt", &record));
  // Only the history names it still.
  EXPECT_EQ(record.find(kInstallFolder), record.rfind(kInstallFolder)) << record;
  EXPECT_EQ(std::string::npos, record.find("earlierInstallFolder")) << record;

  EXPECT_EQ(0u, RunToEnd(program_, std::string(kRecordFolder) + "\\SetUp.exe", {"/UNINSTALL", "/S"}));
  const MachineSnapshot after = TakeSnapshot(machine_);
  ExpectSame(WithoutTrustedPathsCase(before.registry), WithoutTrustedPathsCase(after.registry));
  ExpectSame(before.files, WithoutFonts(after.files));
  EXPECT_FALSE(PathExists(kOtherPath));
  EXPECT_FALSE(PathExists(kRecordRoot));
}

// Without /D= an upgrade stays where the product is; a setup older than the recorded version
// changes nothing (1638) unless /ALLOWDOWNGRADE.
TEST_F(UninstallCommand, SilentInstallStaysInTheRecordedFolderAndAnOlderOneEndsWith1638) {
  ASSERT_EQ(0u, RunToEnd(program_, kDistSetup, {"/S", "/D=C:\\Other"}));
  ASSERT_EQ(0u, RunToEnd(program_, kDistSetup, {"/S"}));
  EXPECT_EQ("C:\\Other\\Tessarune", UninstallValue("InstallLocation"));
  EXPECT_FALSE(PathExists(kDefaultInstallPath));

  // The installed version raised in the record: this SetUp.exe is the older one now.
  const std::string recordFile = std::string(kRecordFolder) + "\\InstallRecord.txt";
  std::string record;
  ASSERT_TRUE(ReadFileBytes(recordFile, &record));
  const size_t version = record.find("\r\nversion\t2026.03.31\r\n");
  ASSERT_NE(std::string::npos, version) << record;
  record.replace(version, 20, "\r\nversion\t2099.01.01");
  SeedFiles({FileSeed::File(recordFile, record)});
  const MachineSnapshot installed = TakeSnapshot(machine_);
  EXPECT_EQ(1638u, RunToEnd(program_, kDistSetup, {"/S"}));
  const MachineSnapshot after = TakeSnapshot(machine_);
  ExpectSame(installed.registry, after.registry);
  ExpectSame(installed.files, after.files);
  std::string unchanged;
  ASSERT_TRUE(ReadFileBytes(recordFile, &unchanged));
  EXPECT_EQ(record, unchanged);

  EXPECT_EQ(0u, RunToEnd(program_, kDistSetup, {"/S", "/ALLOWDOWNGRADE"}));
  ASSERT_TRUE(ReadFileBytes(recordFile, &record));
  EXPECT_NE(std::string::npos, record.find("downgrading from 2099.01.01 to 2026.03.31")) << record;
  EXPECT_EQ(0u, RunToEnd(program_, std::string(kRecordFolder) + "\\SetUp.exe", {"/UNINSTALL", "/S"}));
  EXPECT_FALSE(PathExists(kOtherPath));
}

// A profile made after the install: Active Setup would run the kept TessaruneUser.exe at the next
// logon; here it is run by hand. The uninstall takes its entry and its record out again.
TEST_F(UninstallCommand, TessaruneUserTrustsALaterProfileAndTheUninstallTakesThatOut) {
  const MachineSnapshot before = TakeSnapshot(machine_);
  ASSERT_EQ(0u, RunToEnd(program_, kDistSetup, {"/S"}));
  const std::string userProgram = std::string(kRecordFolder) + "\\TessaruneUser.exe";
  std::string stub;
  ASSERT_TRUE(ReadRegistryText(HKEY_LOCAL_MACHINE, kActiveSetupKey, "StubPath", &stub));
  EXPECT_EQ("\"" + userProgram + "\"", stub);

  const std::string later = machine_.Installations()[2].VariablesKeyPath({"Later", std::nullopt, true});
  SeedRegistry({{HKEY_CURRENT_USER, later, {}}});
  EXPECT_EQ(0u, RunToEnd(program_, userProgram, {}));
  std::string trusted;
  ASSERT_TRUE(ReadRegistryText(HKEY_CURRENT_USER, later, "TRUSTEDPATHS", &trusted));
  EXPECT_EQ(kInstallFolder, trusted);
  EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Quilox\\Tessarune"));

  EXPECT_EQ(0u, RunToEnd(program_, std::string(kRecordFolder) + "\\SetUp.exe", {"/UNINSTALL", "/S"}));
  EXPECT_FALSE(ReadRegistryText(HKEY_CURRENT_USER, later, "TRUSTEDPATHS", &trusted)) << trusted;
  DeleteRegistryTree(HKEY_CURRENT_USER, later.substr(0, later.rfind("\\Profiles\\")) + "\\Profiles\\Later");
  const MachineSnapshot after = TakeSnapshot(machine_);
  ExpectSame(WithoutTrustedPathsCase(before.registry), WithoutTrustedPathsCase(after.registry));
  EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kActiveSetupKey));
  EXPECT_FALSE(PathExists(userProgram));
}

// A user who may write in the distribution folder swaps the running SetUp.exe for another
// program on the Unix side, where Windows' sharing modes do not reach: the kept uninstaller is
// still the program that ran.
TEST_F(UninstallCommand, SetupSwappedWhileItRunsIsNotWhatIsKept) {
  std::string built;
  ASSERT_TRUE(ReadFileBytes(kDistSetup, &built));
  // Files enough that the swap comes while they are copied.
  std::vector<FileSeed> seeds;
  for (int i = 0; i < 400; ++i) {
    seeds.push_back(FileSeed::File(std::string(kDataFolder) + "\\filler" + std::to_string(i) + ".txt", "filler"));
  }
  // The swap, and a mark when it came after the uninstaller was kept.
  const std::string tools = "C:\\tessa_unix";
  seeds.push_back(FileSeed::File(tools + "\\swap.sh",
                                 "c=\"$1\"; r=\"$c/Program Files/Quilox/Tessarune Setup\"\n"
                                 "if [ -e \"$r/SetUp.exe\" ] || [ -e \"$r/SetUp.exe.new\" ]; then\n"
                                 "  echo late > \"$c/tessa_unix/late\"\n"
                                 "fi\n"
                                 "mv \"$c/tessa_dist/SetUp.exe\" \"$c/tessa_dist/SetUp.exe.old\"\n"
                                 "printf 'another program' > \"$c/tessa_dist/SetUp.exe\"\n"));
  SeedFiles(seeds);
  DeleteFileTree(tools + "\\late");
  // Wine runs a Unix program named like a Windows one.
  ASSERT_TRUE(CopyFileW(WideFromUtf8(DosPathFromUnix("/bin/sh")).c_str(), WideFromUtf8(tools + "\\sh.exe").c_str(),
                        FALSE));

  program_ = Program::Start(kDistSetup, {"/S"}, WorkFolder());
  // The install folder is made after the program holds its own file.
  for (int i = 0; i < 6000 && !PathExists(kInstallFolder) && program_.IsRunning(); ++i) Sleep(10);
  // Wine gives no handle to wait on for a Unix program: its work shows.
  Program::Start(tools + "\\sh.exe", {UnixPath(tools + "\\swap.sh"), UnixPath("C:\\")});
  std::string swapped;
  for (int i = 0; i < 6000 && !(ReadFileBytes(kDistSetup, &swapped) && swapped == "another program"); ++i) Sleep(10);
  const bool ended = program_.WaitForExit(120000);
  std::string kept;
  ReadFileBytes(std::string(kRecordFolder) + "\\SetUp.exe", &kept);
  // The distribution as the other cases want it.
  DeleteFileTree(std::string(kDistSetup) + ".old");
  ASSERT_TRUE(CopySetupIntoDistribution());

  ASSERT_TRUE(ended);
  EXPECT_EQ(0u, program_.ExitCode());
  EXPECT_EQ("another program", swapped);
  EXPECT_FALSE(PathExists(tools + "\\late")) << "the swap came too late to tell: make the payload slower";
  EXPECT_TRUE(kept == built) << "the uninstaller is the setup that ran, " << kept.size() << " bytes";
}

}  // namespace
}  // namespace e2e
