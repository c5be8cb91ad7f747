#include "fw/win_app.h"

#include <vector>

#include "fw/framework_error.h"
#include "fw/system_libraries.h"

static CWinApp* registeredApp = nullptr;

CWinApp::CWinApp(const char* appName) {
  if (appName) m_appName = appName;
  if (!registeredApp) registeredApp = this;
}

CWinApp::~CWinApp() {
  if (registeredApp == this) registeredApp = nullptr;
}

bool CWinApp::InitInstance() { return true; }

int CWinApp::Run() {
  MSG message;
  BOOL got;
  while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0) {
    if (got == -1) return m_exitCode = -1;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return m_exitCode = static_cast<int>(message.wParam);
}

int CWinApp::ExitInstance() { return m_exitCode; }

CWinApp* AfxGetApp() { return registeredApp; }

const char* AfxGetAppName() {
  if (registeredApp && registeredApp->GetAppName()[0] != '\0') return registeredApp->GetAppName();
  // No application (a test program) or not named yet: the executable's name, found once.
  static char fallback[MAX_PATH] = "";
  if (fallback[0] == '\0') {
    try {
      std::string name = BaseNameOfPath(ExecutablePath());
      lstrcpynA(fallback, name.c_str(), MAX_PATH);
    } catch (...) {
      lstrcpynA(fallback, "SetUp", MAX_PATH);
    }
  }
  return fallback;
}

HINSTANCE AfxGetInstanceHandle() {
  if (registeredApp && registeredApp->m_hInstance) return registeredApp->m_hInstance;
  return GetModuleHandleA(nullptr);
}

std::string BaseNameOfPath(const std::string& path) {
  const char* start = path.c_str();
  const char* nameStart = start;
  const char* lastDot = nullptr;
  // CharNextA steps over a double-byte character as a whole, so a trail byte 0x5C is no separator.
  for (const char* p = start; *p != '\0'; p = CharNextA(p)) {
    if (*p == '\\' || *p == '/' || *p == ':') {
      nameStart = p + 1;
      lastDot = nullptr;
    } else if (*p == '.') {
      lastDot = p;
    }
  }
  const char* nameEnd = lastDot ? lastDot : start + path.size();
  return std::string(nameStart, nameEnd);
}

std::string ExecutablePath() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::string();
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

int AfxWinMain(HINSTANCE instance, int /*showCommand*/) {
  RestrictDllSearchToSystem32();
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  app->m_hInstance = instance;
  int exitCode = -1;
  RunGuarded(nullptr, [&] {
    if (app->m_appName.empty()) app->m_appName = BaseNameOfPath(ExecutablePath());
    if (app->InitInstance()) app->Run();
    exitCode = app->ExitInstance();
  });
  return exitCode;
}
