// automate.exe: the automation library for shell scripts. Run it under the same Wine prefix as the
// program under test. Output is UTF-8, one item per line, LF line ends; fields are tab-separated
// key=value pairs whose values are escaped (%, tab, newline and other control characters as %XX).
//
//   start [--cwd DIR] [--watch] PROGRAM [ARG...]   pid=N; with --watch it stays until the program
//                                                  ends and then prints exit_code=N
//   wait-window TITLE [--pid N] [--timeout MS]     hwnd=... pid=... title=... class=...
//   controls HWND                                  one line per child control (see FormatControlLine)
//   click HWND ID [--timeout MS]                   result=done|modal|closed|busy|refused [opened=HWND]
//   set-text HWND ID TEXT [--timeout MS]           result=...
//   command HWND ID [--timeout MS]                 WM_COMMAND(ID, BN_CLICKED): 1 IDOK, 2 IDCANCEL
//   key HWND escape|enter|tab|space [--timeout MS] a key press to the focused control; result=...
//   close HWND [--timeout MS]                      the close box (WM_SYSCOMMAND SC_CLOSE); result=...
//   wait-msgbox [--pid N] [--timeout MS]           hwnd= pid= caption= text= icon= buttons=id:text,...
//                                                  owner= owner_pid= owner_title=
//   answer HWND BUTTON_ID [--timeout MS]           result=closed once the box has gone
//   wait-exit PID [--timeout MS]                   exit_code=N
//   regdump ROOT\PATH [--view 32|64]               key<TAB>path / value<TAB>path<TAB>name<TAB>type<TAB>bytes<TAB>data
//   screenshot HWND FILE.bmp                       file=... width=N height=N (24-bit BMP)
//   seed-machine                                   lays down the main job's AutoCAD machine; one line per
//                                                  installation: year, 32|64, release, product, name, folder
//                                                  (plain tab-separated fields)
//
// Exit status: 0 done, 1 failed or refused, 2 timed out, 3 usage error.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "automation/actions.h"
#include "automation/capture.h"
#include "automation/controls.h"
#include "automation/message_boxes.h"
#include "automation/program.h"
#include "automation/registry_dump.h"
#include "automation/text.h"
#include "automation/windows.h"
#include "platform/win32/win32_registry.h"
#include "tests/support/acad_machine_sinks.h"

using namespace automation;

namespace {

enum ExitStatus { kDone = 0, kFailed = 1, kTimedOut = 2, kUsage = 3 };

struct Arguments {
  std::vector<std::string> words;              // positional, after the command
  std::map<std::string, std::string> options;  // --name value
  bool watch = false;
};

void Print(const std::string& line) {
  std::string text = line + "\n";
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

int Fail(const std::string& message, int status = kFailed) {
  Print("error=" + EscapeField(message));
  return status;
}

DWORD Timeout(const Arguments& args) {
  auto found = args.options.find("timeout");
  return found == args.options.end() ? kDefaultTimeoutMs : static_cast<DWORD>(std::strtoul(found->second.c_str(), nullptr, 0));
}

DWORD PidOption(const Arguments& args) {
  auto found = args.options.find("pid");
  return found == args.options.end() ? 0 : static_cast<DWORD>(std::strtoul(found->second.c_str(), nullptr, 0));
}

int PrintOutcome(const ActionOutcome& outcome) {
  std::string line = std::string("result=") + ActionResultName(outcome.result);
  if (outcome.opened) line += "\topened=" + FormatHwnd(outcome.opened);
  if (!outcome.reason.empty()) line += "\treason=" + EscapeField(outcome.reason);
  Print(line);
  if (outcome.result == ActionResult::Busy) return kTimedOut;
  return outcome.result == ActionResult::Refused ? kFailed : kDone;
}

bool WindowArgument(const Arguments& args, size_t index, HWND* hwnd) {
  if (args.words.size() <= index) return false;
  *hwnd = ParseHwnd(args.words[index]);
  return *hwnd && IsWindow(*hwnd);
}

int Start(const Arguments& args) {
  if (args.words.empty()) return Fail("start needs a program", kUsage);
  std::vector<std::string> programArgs(args.words.begin() + 1, args.words.end());
  auto cwd = args.options.find("cwd");
  Program program;
  try {
    program = Program::Start(args.words[0], programArgs, cwd == args.options.end() ? "" : cwd->second);
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
  Print("pid=" + std::to_string(program.Pid()));
  if (args.watch) {
    program.WaitForExit(INFINITE);
    Print("exit_code=" + std::to_string(program.ExitCode()));
  }
  return kDone;
}

int WaitWindow(const Arguments& args) {
  if (args.words.empty()) return Fail("wait-window needs a title", kUsage);
  HWND hwnd = WaitForTopLevelWindow(args.words[0], PidOption(args), Timeout(args));
  if (!hwnd) return Fail("no window titled " + args.words[0], kTimedOut);
  Print("hwnd=" + FormatHwnd(hwnd) + "\tpid=" + std::to_string(WindowProcessId(hwnd)) +
        "\ttitle=" + EscapeField(WindowText(hwnd)) + "\tclass=" + EscapeField(WindowClass(hwnd)));
  return kDone;
}

int Controls(const Arguments& args) {
  HWND hwnd;
  if (!WindowArgument(args, 0, &hwnd)) return Fail("controls needs a window", kUsage);
  SettleWindow(hwnd);
  for (const ControlInfo& control : ListControls(hwnd)) Print(FormatControlLine(control));
  return kDone;
}

int Click(const Arguments& args) {
  HWND hwnd;
  if (!WindowArgument(args, 0, &hwnd) || args.words.size() < 2) return Fail("click needs a window and an id", kUsage);
  return PrintOutcome(ClickButton(hwnd, std::atoi(args.words[1].c_str()), Timeout(args)));
}

int SetText(const Arguments& args) {
  HWND hwnd;
  if (!WindowArgument(args, 0, &hwnd) || args.words.size() < 3) return Fail("set-text needs a window, an id and a text", kUsage);
  return PrintOutcome(SetEditText(hwnd, std::atoi(args.words[1].c_str()), args.words[2], Timeout(args)));
}

int Command(const Arguments& args) {
  HWND hwnd;
  if (!WindowArgument(args, 0, &hwnd) || args.words.size() < 2) return Fail("command needs a window and an id", kUsage);
  return PrintOutcome(SendCommand(hwnd, std::atoi(args.words[1].c_str()), Timeout(args)));
}

int Key(const Arguments& args) {
  HWND hwnd;
  if (!WindowArgument(args, 0, &hwnd) || args.words.size() < 2) return Fail("key needs a window and a key", kUsage);
  static const std::map<std::string, UINT> keys{
      {"escape", VK_ESCAPE}, {"enter", VK_RETURN}, {"tab", VK_TAB}, {"space", VK_SPACE}};
  auto key = keys.find(args.words[1]);
  if (key == keys.end()) return Fail("unknown key " + args.words[1], kUsage);
  return PrintOutcome(PressKey(hwnd, key->second, Timeout(args)));
}

int Close(const Arguments& args) {
  HWND hwnd;
  if (!WindowArgument(args, 0, &hwnd)) return Fail("close needs a window", kUsage);
  return PrintOutcome(PressCloseBox(hwnd, Timeout(args)));
}

int WaitMessageBox(const Arguments& args) {
  HWND box = WaitForMessageBox(PidOption(args), Timeout(args));
  if (!box) return Fail("no message box", kTimedOut);
  Print(FormatMessageBoxLine(ReadMessageBox(box)));
  return kDone;
}

int Answer(const Arguments& args) {
  HWND hwnd;
  if (!WindowArgument(args, 0, &hwnd) || args.words.size() < 2) return Fail("answer needs a box and a button id", kUsage);
  return PrintOutcome(AnswerMessageBox(hwnd, std::atoi(args.words[1].c_str()), Timeout(args)));
}

int WaitExit(const Arguments& args) {
  if (args.words.empty()) return Fail("wait-exit needs a pid", kUsage);
  Program program;
  if (!Program::Attach(static_cast<DWORD>(std::strtoul(args.words[0].c_str(), nullptr, 0)), &program)) {
    return Fail("no such process (it may have ended already: use start --watch)");
  }
  if (!program.WaitForExit(Timeout(args))) return Fail("still running", kTimedOut);
  Print("exit_code=" + std::to_string(program.ExitCode()));
  return kDone;
}

int RegDump(const Arguments& args) {
  HKEY root;
  std::string rootName, path;
  if (args.words.empty() || !ParseRegistryPath(args.words[0], &root, &rootName, &path)) {
    return Fail("regdump needs ROOT\\PATH with HKLM, HKCU, HKCR or HKU", kUsage);
  }
  RegistryView view = RegistryView::Default;
  auto option = args.options.find("view");
  if (option != args.options.end()) view = option->second == "32" ? RegistryView::Bits32 : RegistryView::Bits64;
  for (const std::string& line : DumpRegistryTree(root, path, view)) Print(line);
  return kDone;
}

int Screenshot(const Arguments& args) {
  HWND hwnd;
  if (!WindowArgument(args, 0, &hwnd) || args.words.size() < 2) return Fail("screenshot needs a window and a file", kUsage);
  Pixels pixels = CaptureWindow(hwnd);
  if (!SaveBmp(pixels, args.words[1])) return Fail("cannot capture or save " + args.words[1]);
  Print("file=" + EscapeField(args.words[1]) + "\twidth=" + std::to_string(pixels.width) +
        "\theight=" + std::to_string(pixels.height));
  return kDone;
}

int SeedMachine(const Arguments&) {
  const std::vector<acadmachine::Installation> machine = acadmachine::MainJobMachine();
  Win32Registry registry;
  acadmachine::Win32FileSink files;
  if (!acadmachine::LayDown(machine, registry, files)) return Fail("the prefix refused part of the machine");
  const std::string table = Utf8FromAnsi(acadmachine::InstallationTable(machine));
  std::fwrite(table.data(), 1, table.size(), stdout);
  return kDone;
}

std::vector<std::string> Utf8Arguments() {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> words;
  for (int i = 0; i < count; ++i) words.push_back(Utf8FromWide(wide[i]));
  LocalFree(wide);
  return words;
}

}  // namespace

int main() {
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::string> words = Utf8Arguments();
  if (words.size() < 2) return Fail("usage: automate COMMAND ARGS (see the header of automate_main.cpp)", kUsage);
  const std::string command = words[1];
  Arguments args;
  // Options come before the program's own arguments for start: everything after PROGRAM is its.
  bool programSeen = false;
  for (size_t i = 2; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (!programSeen && word == "--watch") {
      args.watch = true;
    } else if (!programSeen && word.size() > 2 && word.compare(0, 2, "--") == 0 && i + 1 < words.size()) {
      args.options[word.substr(2)] = words[++i];
    } else {
      args.words.push_back(word);
      programSeen = command == "start";
    }
  }
  static const std::map<std::string, int (*)(const Arguments&)> commands{
      {"start", Start},           {"wait-window", WaitWindow},   {"controls", Controls},
      {"click", Click},           {"set-text", SetText},         {"command", Command},
      {"key", Key},               {"close", Close},              {"wait-msgbox", WaitMessageBox},
      {"answer", Answer},         {"wait-exit", WaitExit},       {"regdump", RegDump},
      {"screenshot", Screenshot}, {"seed-machine", SeedMachine},
  };
  auto found = commands.find(command);
  if (found == commands.end()) return Fail("unknown command " + command, kUsage);
  return found->second(args);
}
