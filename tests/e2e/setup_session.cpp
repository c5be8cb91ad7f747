#include "setup_session.h"

#include <stdexcept>

#include "automation/file_tree.h"
#include "automation/text.h"
#include "automation/wait.h"
#include "automation/windows.h"
#include "automation/wine_paths.h"

namespace e2e {

int ReleaseBoxId(int year) {
  switch (year) {
    case 2007: return 1018;
    case 2008: return 1019;
    case 2009: return 1020;
    case 2010: return 1027;
    case 2011: return 1026;
    default: return 1016 + (year - 2000);
  }
}

std::vector<int> AllReleaseYears() {
  std::vector<int> years;
  for (int year = kFirstYear; year <= kLastYear; ++year) years.push_back(year);
  return years;
}

std::string SetupExePath() {
  return automation::DosPathFromUnix(TESSA_SETUP_EXE);
}

std::string WorkFolder() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::string folder = automation::Utf8FromWide(temp) + "tessa_e2e_work";
  automation::CreateFolders(folder);
  return folder;
}

SetupSession::~SetupSession() {
  program_.TerminateIfRunning();
}

bool SetupSession::Start(std::string* error) {
  try {
    program_ = automation::Program::Start(SetupExePath(), {}, WorkFolder());
  } catch (const std::exception& e) {
    *error = e.what();
    return false;
  }
  dialog_ = automation::WaitForTopLevelWindow(kDialogTitle, program_.Pid(), automation::kDefaultTimeoutMs);
  if (!dialog_) {
    *error = program_.IsRunning() ? "no dialog titled Tessarune安装 appeared"
                                  : "SetUp.exe ended at once with exit code " + std::to_string(program_.ExitCode());
    return false;
  }
  return true;
}

automation::ControlInfo SetupSession::Control(int id) const {
  return automation::ReadControl(dialog_, id);
}

int SetupSession::FocusedControlId() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog_, nullptr), &info) || !info.hwndFocus) return 0;
  return GetDlgCtrlID(info.hwndFocus);
}

bool SetupSession::EndsWithin(DWORD timeoutMs) {
  return program_.WaitForExit(timeoutMs);
}

}  // namespace e2e
