#include "fw/win_app.h"

#include <string>

#include "fw/framework_error.h"
#include "fw/system_libraries.h"
#include "platform/mb_string.h"
#include "platform/win32/win32_code_page.h"
#include "platform/win32/win32_file_system.h"

static CWinApp* registeredApp = nullptr;

CWinApp::CWinApp() {
  if (!registeredApp) registeredApp = this;
}

CWinApp::~CWinApp() {
  if (registeredApp == this) registeredApp = nullptr;
}

CWinApp* AfxGetApp() { return registeredApp; }

const char* AfxGetAppName() {
  // Found once; the executable cannot change its name while it runs.
  static char name[MAX_PATH] = "";
  if (name[0] == '\0') {
    try {
      std::string base = BaseNameWithoutExtension(Win32CodePage(), ReadModulePath(MAX_PATH));
      lstrcpynA(name, base.c_str(), MAX_PATH);
    } catch (...) {
      lstrcpynA(name, "SetUp", MAX_PATH);
    }
  }
  return name;
}

HINSTANCE AfxGetInstanceHandle() {
  if (registeredApp && registeredApp->m_hInstance) return registeredApp->m_hInstance;
  return GetModuleHandleA(nullptr);
}

int AfxWinMain(HINSTANCE instance, int /*showCommand*/) {
  RestrictDllSearchToSystem32();
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  app->m_hInstance = instance;
  int exitCode = -1;
  RunGuarded(nullptr, [&] {
    AfxGetAppName();  // found before the work starts: every stop box is captioned with it
    app->InitInstance();
    exitCode = 0;
  });
  return exitCode;
}
