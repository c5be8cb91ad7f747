// One run of the real SetUp.exe for an end-to-end case: started in a work folder of its own,
// its dialog found, and nothing left running when the case ends.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "automation/controls.h"
#include "automation/program.h"

namespace e2e {

constexpr char kDialogTitle[] = "Tessarune安装";
constexpr int kInstallId = 1022;
constexpr int kBrowseId = 1015;
constexpr int kPathId = 1000;
constexpr int kProgressId = 1014;
constexpr int kVersionLabelId = 1013;
constexpr int kBitnessLabelId = 1021;
constexpr int kFirstYear = 2007;
constexpr int kLastYear = 2027;

// The check box of a release year: 1018 to 1020 for 2007 to 2009, 1027 for 2010, 1026 for 2011,
// then 1016 + (year - 2000).
int ReleaseBoxId(int year);
std::vector<int> AllReleaseYears();

// SetUp.exe of this build, as a Windows path.
std::string SetupExePath();
// An empty folder the program runs in, so that anything it writes beside itself shows.
std::string WorkFolder();

class SetupSession {
 public:
  SetupSession() = default;
  SetupSession(const SetupSession&) = delete;
  SetupSession& operator=(const SetupSession&) = delete;
  ~SetupSession();

  // Starts the program and waits for its dialog; false (with the reason in `error`) otherwise.
  bool Start(std::string* error);
  HWND Dialog() const { return dialog_; }
  automation::Program& Process() { return program_; }
  automation::ControlInfo Control(int id) const;
  // The id of the control that has the keyboard focus in the dialog's thread; 0 if none.
  int FocusedControlId() const;
  // True when the program ended within the timeout; its exit code is then `ExitCode()`.
  bool EndsWithin(DWORD timeoutMs);
  DWORD ExitCode() const { return program_.ExitCode(); }

 private:
  automation::Program program_;
  HWND dialog_ = nullptr;
};

}  // namespace e2e
