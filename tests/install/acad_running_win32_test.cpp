// The running check against the real process list: a small sleeper program is started under
// AutoCAD's name and others. Wine difference: Tool Help lists only the processes of the same
// prefix, which is enough here because the test starts the processes itself.
#include <gtest/gtest.h>

#include "install/install.h"
#include "tests/memory/memory_file_system.h"
#include "tests/memory/memory_registry.h"
#include "tests/memory/scripted_message_boxes.h"
#include "platform/win32/win32_code_page.h"
#include "platform/win32/win32_processes.h"
#include "win32_test_folder.h"

namespace {

// The sleeper is built beside this test.
std::string SleeperPath() {
  char path[MAX_PATH * 2];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string self(path, length);
  return self.substr(0, self.rfind('\\')) + "\\install_sleeper.exe";
}

// A copy of the sleeper, started under the given name; ended and waited for when it goes.
class NamedProcess {
 public:
  NamedProcess(const std::string& folder, const std::string& exeName) {
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string exe = folder + "\\" + exeName;
    if (!CopyFileA(SleeperPath().c_str(), exe.c_str(), FALSE)) return;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string commandLine = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info)) {
      return;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
  }
  ~NamedProcess() {
    if (process_ == nullptr) return;
    TerminateProcess(process_, 0);
    WaitForSingleObject(process_, 10 * 1000);
    CloseHandle(process_);
  }
  NamedProcess(const NamedProcess&) = delete;
  NamedProcess& operator=(const NamedProcess&) = delete;

  bool Started() const { return process_ != nullptr; }

 private:
  HANDLE process_ = nullptr;
};

// Whether a snapshot lists a process of exactly this name: shows the process is visible at all.
bool Lists(ProcessList& processes, const std::string& exeName) {
  for (int attempt = 0; attempt < 50; ++attempt) {
    std::unique_ptr<ProcessSnapshot> snapshot = processes.Take();
    std::string name;
    for (bool more = snapshot && snapshot->First(&name); more; more = snapshot->Next(&name)) {
      if (name == exeName) return true;
    }
    Sleep(100);
  }
  return false;
}

class Win32AcadRunningTest : public ::testing::Test {
 protected:
  bool Running() { return IsAcadRunning(Platform{registry, files, processes, boxes, codePage}); }

  TempFolder temp;
  MemoryRegistry registry;
  MemoryFileSystem files;
  Win32ProcessList processes;
  ScriptedMessageBoxes boxes;
  Win32CodePage codePage;
};

TEST_F(Win32AcadRunningTest, SeesAcadUnderItsNamesOnly) {
  ASSERT_FALSE(Running()) << "an AutoCAD-like process runs already";

  struct Case {
    const char* exeName;
    bool running;
  };
  int folder = 0;
  for (const Case& c : {Case{"acad.exe", true}, Case{"ACAD.EXE", true}, Case{"myacad.exe", true},
                        Case{"acadlt.exe", false}}) {
    SCOPED_TRACE(c.exeName);
    {
      NamedProcess process(temp.Path() + "\\" + std::to_string(++folder), c.exeName);
      ASSERT_TRUE(process.Started());
      ASSERT_TRUE(Lists(processes, c.exeName));
      EXPECT_EQ(c.running, Running());
    }
    EXPECT_FALSE(Running());
  }
}

}  // namespace
