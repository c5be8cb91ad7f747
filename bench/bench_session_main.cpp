// bench_session.exe: follows a GUI program under Wine from outside, one figure per line
// (name=value). Texts are UTF-8, as in the rest of the harness.
//
//   seed-machine                       21 AutoCAD installations, 2007 to 2027, in the prefix
//   clear-machine                      removes them again
//   startup RUNS NAME=EXE...           ms from starting each program to its dialog being shown
//                                      (NAME_ms), the programs taking turns
//   peak-memory EXE                    starts EXE, presses Install, and reads its peak working set
//                                      while the completion message is up; answers every box
//   seed-one                           one AutoCAD installation (2018) in the prefix
//   install RUNS NAME=EXE[ ARG]...     ms from clicking Install to the first message box appearing
//                                      (NAME_ms), the programs taking turns; every box is answered
//   progress EXE                       one install of EXE while its progress bar is read off the
//                                      screen: how often the picture changed, the longest still spell
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "automation/actions.h"
#include "automation/capture.h"
#include "automation/message_boxes.h"
#include "automation/program.h"
#include "automation/windows.h"
#include "simulated_machine.h"

using namespace automation;

namespace {

const char kDialogTitle[] = "Tessarune安装";
constexpr int kInstallId = 1022;
constexpr int kProgressId = 1014;
constexpr DWORD kStartTimeoutMs = 60000;

double NowMs() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Print(const std::string& name, double value) { std::printf("%s=%.3f\n", name.c_str(), value); }

harness::SimulatedMachine TwentyOneReleases() {
  harness::SimulatedMachine machine;
  for (int year = 2007; year <= 2027; ++year) machine.Add(harness::StandardAcad(year));
  return machine;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

// The dialog once it is shown; polled finely, since its time is what is measured.
HWND WaitForShownDialog(DWORD pid) {
  const double deadline = NowMs() + kStartTimeoutMs;
  while (NowMs() < deadline) {
    HWND dialog = FindTopLevelWindow(kDialogTitle, pid);
    if (dialog && IsWindowVisible(dialog)) return dialog;
    Sleep(1);
  }
  return nullptr;
}

// Milliseconds from starting the program to its dialog being shown; negative when it never shows.
double TimeToDialog(const std::string& exe) {
  const double start = NowMs();
  Program program = Program::Start(exe, {}, FolderOf(exe));
  HWND dialog = WaitForShownDialog(program.Pid());
  const double elapsed = NowMs() - start;
  if (dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  if (!program.WaitForExit(15000)) program.TerminateIfRunning();
  return dialog ? elapsed : -1;
}

// Each program as NAME=EXE; prints NAME_ms once per run, the programs taking turns to go first.
int Startup(int runs, const std::vector<std::string>& programs) {
  std::vector<std::pair<std::string, std::string>> named;
  for (const std::string& program : programs) {
    const size_t equals = program.find('=');
    if (equals == std::string::npos) return 3;
    named.emplace_back(program.substr(0, equals), program.substr(equals + 1));
  }
  // One unmeasured start of each: the first start of a program under Wine loads its DLLs from disk.
  for (const auto& program : named) TimeToDialog(program.second);
  for (int run = 0; run < runs; ++run) {
    for (size_t turn = 0; turn < named.size(); ++turn) {
      const auto& program = named[(run + turn) % named.size()];
      const double ms = TimeToDialog(program.second);
      if (ms < 0) {
        std::fprintf(stderr, "no dialog from %s\n", program.second.c_str());
        return 1;
      }
      Print(program.first + "_ms", ms);
    }
  }
  return 0;
}

// A shown message box of the process other than `dialog`: a #32770 window whose owner is set.
HWND FindBox(DWORD pid, HWND dialog) {
  for (HWND window = FindWindowExA(nullptr, nullptr, "#32770", nullptr); window;
       window = FindWindowExA(nullptr, window, "#32770", nullptr)) {
    if (window == dialog || !IsWindowVisible(window)) continue;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == pid) return window;
  }
  return nullptr;
}

// Starts the program, waits for its dialog to be idle, posts the Install click and returns the ms
// until the first box shows; `watch` runs between polls. Negative when no box came.
template <typename Watch>
double TimeInstall(const std::string& exe, const std::vector<std::string>& args, Watch watch) {
  Program program = Program::Start(exe, args, FolderOf(exe));
  HWND dialog = WaitForShownDialog(program.Pid());
  if (!dialog) {
    program.TerminateIfRunning();
    return -1;
  }
  WaitForInputIdle(program.Handle(), 10000);
  SettleWindow(dialog);
  HWND button = GetDlgItem(dialog, kInstallId);
  const double start = NowMs();
  // What a click on the button sends its dialog; posted, since the handler runs for long.
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kInstallId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  HWND box = nullptr;
  const double deadline = start + 600000;
  while (!(box = FindBox(program.Pid(), dialog)) && NowMs() < deadline) {
    watch(dialog);
    Sleep(1);
  }
  const double elapsed = NowMs() - start;
  while (box) {
    const MessageBoxInfo info = ReadMessageBox(box);
    AnswerMessageBox(box, info.buttons.empty() ? IDOK : info.buttons.front().id);
    box = WaitForMessageBox(program.Pid(), 5000);
  }
  if (!program.WaitForExit(60000)) program.TerminateIfRunning();
  return box || elapsed < 0 ? -1 : elapsed;
}

// Each program as NAME=EXE, optionally followed by one argument after a space.
int Install(int runs, const std::vector<std::string>& programs) {
  struct Named {
    std::string name, exe;
    std::vector<std::string> args;
  };
  std::vector<Named> named;
  for (const std::string& program : programs) {
    const size_t equals = program.find('=');
    if (equals == std::string::npos) return 3;
    Named entry{program.substr(0, equals), program.substr(equals + 1), {}};
    const size_t space = entry.exe.find(' ');
    if (space != std::string::npos) {
      entry.args.push_back(entry.exe.substr(space + 1));
      entry.exe.erase(space);
    }
    named.push_back(entry);
  }
  auto nothing = [](HWND) {};
  // One unmeasured install of each: the first fills the install folder and the page cache.
  for (const auto& program : named) TimeInstall(program.exe, program.args, nothing);
  for (int run = 0; run < runs; ++run) {
    for (size_t turn = 0; turn < named.size(); ++turn) {
      const auto& program = named[(run + turn) % named.size()];
      const double ms = TimeInstall(program.exe, program.args, nothing);
      if (ms < 0) {
        std::fprintf(stderr, "no completion box from %s\n", program.exe.c_str());
        return 1;
      }
      Print(program.name + "_ms", ms);
    }
  }
  return 0;
}

// The progress bar as the user sees it: its pixels, read off the screen every few milliseconds.
int Progress(const std::string& exe) {
  int changes = 0;
  double lastChange = 0, longestStill = 0, first = 0;
  Pixels last;
  auto watch = [&](HWND dialog) {
    HWND bar = GetDlgItem(dialog, kProgressId);
    if (!bar || !IsWindowVisible(bar)) return;
    const Pixels now = CaptureScreen(WindowRect(bar));
    const double at = NowMs();
    if (first == 0) first = lastChange = at;
    if (now.rgb != last.rgb) {
      if (!last.rgb.empty()) ++changes;
      longestStill = std::max(longestStill, at - lastChange);
      lastChange = at;
      last = now;
    }
  };
  const double ms = TimeInstall(exe, {}, watch);
  if (ms < 0) return 1;
  Print("progress_install_ms", ms);
  Print("progress_changes", changes);
  Print("progress_longest_still_ms", longestStill);
  return 0;
}

bool ReadMemory(HANDLE process, PROCESS_MEMORY_COUNTERS* counters) {
  counters->cb = sizeof *counters;
  return GetProcessMemoryInfo(process, counters, sizeof *counters) != 0;
}

int PeakMemory(const std::string& exe) {
  Program program = Program::Start(exe, {}, FolderOf(exe));
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, program.Pid());
  HWND dialog = WaitForShownDialog(program.Pid());
  PROCESS_MEMORY_COUNTERS counters;
  if (!process || !dialog || !ReadMemory(process, &counters)) {
    std::fprintf(stderr, "no dialog or no memory figures\n");
    program.TerminateIfRunning();
    return 1;
  }
  Print("working_set_at_dialog_kb", counters.WorkingSetSize / 1024.0);
  ClickButton(dialog, kInstallId);
  // The first box of a default installation is the completion message: the installation's work
  // is done and the process still holds whatever it took.
  HWND box = WaitForMessageBox(program.Pid(), 300000);
  bool read = box && ReadMemory(process, &counters);
  if (read) Print("peak_working_set_kb", counters.PeakWorkingSetSize / 1024.0);
  while (box) {
    const MessageBoxInfo info = ReadMessageBox(box);
    AnswerMessageBox(box, info.buttons.empty() ? IDOK : info.buttons.front().id);
    box = WaitForMessageBox(program.Pid(), 5000);
  }
  if (!program.WaitForExit(30000)) program.TerminateIfRunning();
  CloseHandle(process);
  return read ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  try {
    if (command == "seed-machine") {
      harness::ClearAcadRegistry();
      TwentyOneReleases().Seed();
      return 0;
    }
    if (command == "clear-machine") {
      TwentyOneReleases().Clear();
      return 0;
    }
    if (command == "startup" && argc >= 4) {
      return Startup(std::atoi(argv[2]), std::vector<std::string>(argv + 3, argv + argc));
    }
    if (command == "peak-memory" && argc == 3) return PeakMemory(argv[2]);
    if (command == "seed-one") {
      harness::ClearAcadRegistry();
      harness::SimulatedMachine().Add(harness::StandardAcad(2018)).Seed();
      return 0;
    }
    if (command == "install" && argc >= 4) {
      return Install(std::atoi(argv[2]), std::vector<std::string>(argv + 3, argv + argc));
    }
    if (command == "progress" && argc == 3) return Progress(argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  std::fprintf(stderr, "usage: bench_session seed-machine | clear-machine | startup RUNS NAME=EXE... | "
                       "peak-memory EXE | seed-one | install RUNS NAME=EXE[ ARG]... | progress EXE\n");
  return 3;
}
