// The application object: one global instance registers itself on construction; the
// framework's entry runs its InitInstance and, when that succeeds, its message loop.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

class CWinApp {
 public:
  // Without a name the application is named after the executable (base name, no extension).
  explicit CWinApp(const char* appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // False ends the program without entering the message loop.
  virtual bool InitInstance();
  // The message loop; returns the exit code posted with WM_QUIT.
  virtual int Run();
  // Runs last, whether or not the loop ran; returns the process's exit code (the loop's, or 0).
  virtual int ExitInstance();

  const char* GetAppName() const { return m_appName.c_str(); }

  HINSTANCE m_hInstance = nullptr;
  CWnd* m_pMainWnd = nullptr;

 private:
  friend int AfxWinMain(HINSTANCE instance, int showCommand);
  std::string m_appName;
  int m_exitCode = 0;
};

// The registered application object, or null.
CWinApp* AfxGetApp();
// The application's name: the caption of the framework's own message boxes. Without an
// application object, the executable's base name.
const char* AfxGetAppName();
// The module that holds the resources: the application's instance, or the executable.
HINSTANCE AfxGetInstanceHandle();

// The file name of `path` without folder and extension; double-byte characters are whole.
std::string BaseNameOfPath(const std::string& path);
// The full path of the running executable, whatever its length.
std::string ExecutablePath();

// The framework's entry: call it from WinMain. Restricts DLL loading to the system folder
// first, names the application, runs InitInstance and, when it returns true, Run.
int AfxWinMain(HINSTANCE instance, int showCommand);
