#include "automation/wine_paths.h"

#include <windows.h>

#include "automation/text.h"

namespace automation {

std::string DosPathFromUnix(const std::string& unixPath) {
  if (unixPath.empty() || unixPath[0] != '/') return unixPath;
  using ToDos = WCHAR* (CDECL*)(const char*);
  auto toDos = reinterpret_cast<ToDos>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  if (toDos) {
    if (WCHAR* dos = toDos(unixPath.c_str())) {
      std::string result = Utf8FromWide(dos);
      HeapFree(GetProcessHeap(), 0, dos);
      return result;
    }
  }
  std::string dos = "Z:" + unixPath;
  for (char& c : dos) {
    if (c == '/') c = '\\';
  }
  return dos;
}

std::string ExecutableFolder() {
  wchar_t path[MAX_PATH * 4];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  std::wstring text(path, length);
  size_t slash = text.find_last_of(L'\\');
  return Utf8FromWide(slash == std::wstring::npos ? text : text.substr(0, slash));
}

}  // namespace automation
