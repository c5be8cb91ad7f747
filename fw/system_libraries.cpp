#include "fw/system_libraries.h"

#include <commctrl.h>

#include <string>

// GetProcAddress gives a generic function pointer; the detour through void* says that the
// cast to the real signature is meant.
template <class Function>
static Function ProcAddress(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void RestrictDllSearchToSystem32() {
  // Looked up rather than imported: Windows 7 has it only with update KB2533623.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  auto setDefault =
      ProcAddress<SetDefaultDllDirectoriesFn>(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
  if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  // Without it, at least take the current folder out of the search.
  SetDllDirectoryA("");
}

HMODULE LoadSystemLibrary(const char* fileName) {
  HMODULE module = LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // A system without the flag: name the file by its full path in the system folder.
  char folder[MAX_PATH];
  UINT length = GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::string path = std::string(folder, length) + "\\" + fileName;
  return LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool EnsureProgressBarClass() {
  static bool registered = false;
  if (registered) return true;
  // The module stays loaded for the life of the process: the window class lives in it.
  HMODULE comctl = LoadSystemLibrary("comctl32.dll");
  if (!comctl) return false;
  using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  auto init = ProcAddress<InitCommonControlsExFn>(comctl, "InitCommonControlsEx");
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  registered = init && init(&controls);
  return registered;
}
