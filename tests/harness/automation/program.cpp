#include "automation/program.h"

#include <stdexcept>
#include <utility>

#include "automation/text.h"

namespace automation {

Program::Program(Program&& other) noexcept
    : pid_(std::exchange(other.pid_, 0)), handle_(std::exchange(other.handle_, nullptr)) {}

Program& Program::operator=(Program&& other) noexcept {
  if (this != &other) {
    if (handle_) CloseHandle(handle_);
    pid_ = std::exchange(other.pid_, 0);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

Program::~Program() {
  if (handle_) CloseHandle(handle_);
}

std::wstring QuoteCommandLine(const std::vector<std::wstring>& args) {
  std::wstring line;
  for (const std::wstring& arg : args) {
    if (!line.empty()) line += L' ';
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
      line += arg;
      continue;
    }
    line += L'"';
    size_t backslashes = 0;
    for (wchar_t c : arg) {
      if (c == L'\\') {
        ++backslashes;
        continue;
      }
      // Backslashes count only in front of a quote: there they must be doubled.
      line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
      backslashes = 0;
      line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
  }
  return line;
}

Program Program::Start(const std::string& exePath, const std::vector<std::string>& args,
                       const std::string& workFolder) {
  std::vector<std::wstring> words{WideFromUtf8(exePath)};
  for (const std::string& arg : args) words.push_back(WideFromUtf8(arg));
  std::wstring commandLine = QuoteCommandLine(words);
  std::wstring folder = WideFromUtf8(workFolder);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(words[0].c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    throw std::runtime_error("cannot start " + exePath + ": error " + std::to_string(GetLastError()));
  }
  CloseHandle(info.hThread);
  Program program;
  program.pid_ = info.dwProcessId;
  program.handle_ = info.hProcess;
  return program;
}

bool Program::Attach(DWORD pid, Program* program) {
  HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, pid);
  if (!handle) return false;
  *program = Program();
  program->pid_ = pid;
  program->handle_ = handle;
  return true;
}

bool Program::IsRunning() const {
  return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

bool Program::WaitForExit(DWORD timeoutMs) const {
  return handle_ && WaitForSingleObject(handle_, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Program::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (handle_) GetExitCodeProcess(handle_, &code);
  return code;
}

void Program::TerminateIfRunning(UINT exitCode) {
  if (IsRunning()) {
    TerminateProcess(handle_, exitCode);
    WaitForSingleObject(handle_, 5000);
  }
}

}  // namespace automation
