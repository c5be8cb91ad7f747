// The application object: one global instance registers itself on construction; the
// framework's entry runs its InitInstance, and the process ends when that returns.
#pragma once

#include <windows.h>

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // The application's work, windows and all.
  virtual void InitInstance() = 0;

  HINSTANCE m_hInstance = nullptr;
};

// The registered application object, or null.
CWinApp* AfxGetApp();
// The application's name, the caption of the framework's own message boxes: the executable's
// base name.
const char* AfxGetAppName();
// The module that holds the resources: the application's instance, or the executable.
HINSTANCE AfxGetInstanceHandle();

// The framework's entry: call it from WinMain. Restricts DLL loading to the system folder
// first, then runs InitInstance; returns 0, or -1 when there is no application or it failed.
int AfxWinMain(HINSTANCE instance, int showCommand);
