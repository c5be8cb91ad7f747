// bare_dialog.exe: a modal dialog from a template and nothing else, the floor SetUp.exe's
// start-up is measured against. Built a second time with TESSA_BARE_WITH_SETUP_TEMPLATE as
// bare_dialog_setup_template.exe, which loads the DLLs SetUp.exe loads and shows SetUp.exe's own
// dialog template with no code behind it, so that the table can tell the dialog's share of the
// start-up from the program's own work.
//
// bare_dialog.exe install | install-hash: the floor of the Install click. The dialog has an
// Install button that copies every file of the Data folder beside the program into
// C:\Quilox\Tessarune with a plain CopyFileA loop (install-hash: and hashes each copy with
// CryptoAPI's SHA-256, as a build with a payload manifest checks it; install-rename: copies each
// into a new folder of its own beside the files and renames it over the old file, as SetUp.exe
// does), then shows one box.
#include <windows.h>
#include <wincrypt.h>

#ifdef TESSA_BARE_WITH_SETUP_TEMPLATE
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include "resource.h"
#endif

#include <cstring>
#include <string>
#include <vector>

namespace {

#ifndef TESSA_BARE_WITH_SETUP_TEMPLATE
constexpr int kInstallId = 1022;
bool hashCopies = false;
bool renameCopies = false;

// The digest is not used: the work is what is measured.
void HashFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
  if (CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
      CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash)) {
    std::vector<BYTE> buffer(1 << 16);
    DWORD read = 0;
    while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) && read > 0) {
      CryptHashData(hash, buffer.data(), read, 0);
    }
    BYTE digest[32];
    DWORD size = sizeof digest;
    CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0);
  }
  if (hash) CryptDestroyHash(hash);
  if (provider) CryptReleaseContext(provider, 0);
  CloseHandle(file);
}

void Install(HWND dialog) {
  char module[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string from(module, length);
  from = from.substr(0, from.rfind('\\')) + "\\Data";
  const std::string to = "C:\\Quilox\\Tessarune";
  CreateDirectoryA("C:\\Quilox", nullptr);
  CreateDirectoryA(to.c_str(), nullptr);
  const std::string copies = to + "\\~copying-1";
  if (renameCopies) CreateDirectoryA(copies.c_str(), nullptr);
  WIN32_FIND_DATAA entry;
  HANDLE listing = FindFirstFileA((from + "\\*.*").c_str(), &entry);
  if (listing != INVALID_HANDLE_VALUE) {
    do {
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      const std::string source = from + "\\" + entry.cFileName, target = to + "\\" + entry.cFileName;
      if (renameCopies) {
        // Written fresh in a folder of its own, then renamed over the old file, as SetUp.exe does.
        const std::string fresh = copies + "\\" + entry.cFileName;
        if (CopyFileA(source.c_str(), fresh.c_str(), TRUE)) {
          MoveFileExA(fresh.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
      } else if (CopyFileA(source.c_str(), target.c_str(), FALSE) && hashCopies) {
        HashFile(target);
      }
    } while (FindNextFileA(listing, &entry));
    FindClose(listing);
  }
  if (renameCopies) RemoveDirectoryA(copies.c_str());
  MessageBoxA(dialog, "done", "Tessarune", MB_OK);
}
#endif

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
#ifndef TESSA_BARE_WITH_SETUP_TEMPLATE
  if (message == WM_COMMAND && LOWORD(wParam) == kInstallId) {
    Install(dialog);
    EndDialog(dialog, IDOK);
    return TRUE;
  }
#endif
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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
#ifdef TESSA_BARE_WITH_SETUP_TEMPLATE
  (void)commandLine;
  LoadCommonControls();
  const int kTemplate = IDD_SETUP;
#else
  // Template 101 is template 100 with an Install button.
  const bool install = std::strstr(commandLine, "install") != nullptr;
  hashCopies = std::strstr(commandLine, "install-hash") != nullptr;
  renameCopies = std::strstr(commandLine, "install-rename") != nullptr;
  const int kTemplate = install ? 101 : 100;
#endif
  return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(kTemplate), nullptr, DialogProc, 0));
}
