// bare_dialog.exe: a modal dialog from a template and nothing else, the floor SetUp.exe's
// start-up is measured against. Built a second time with TESSA_BARE_WITH_SETUP_TEMPLATE as
// bare_dialog_setup_template.exe, which loads the DLLs SetUp.exe loads and shows SetUp.exe's own
// dialog template with no code behind it, so that the table can tell the dialog's share of the
// start-up from the program's own work.
#include <windows.h>

#ifdef TESSA_BARE_WITH_SETUP_TEMPLATE
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include "resource.h"
#endif

namespace {

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

#ifdef TESSA_BARE_WITH_SETUP_TEMPLATE
// Referenced, so the loader binds them at start-up as it does for SetUp.exe; never called.
void* volatile importedFunctions[] = {reinterpret_cast<void*>(&SHGetMalloc), reinterpret_cast<void*>(&CoTaskMemFree),
                                      reinterpret_cast<void*>(&RegCloseKey), reinterpret_cast<void*>(&CreateSolidBrush)};

void LoadCommonControls() {
  HMODULE comctl = LoadLibraryExA("comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!comctl) return;
  using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(comctl, "InitCommonControlsEx")));
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  if (init) init(&controls);
}
#endif

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef TESSA_BARE_WITH_SETUP_TEMPLATE
  LoadCommonControls();
  const int kTemplate = IDD_SETUP;
#else
  const int kTemplate = 100;
#endif
  return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(kTemplate), nullptr, DialogProc, 0));
}
