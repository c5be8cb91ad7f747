// No planted DLLs: users start SetUp.exe from download folders, where a DLL named like a system
// one may lie beside it. The program restricts its DLL search to the system folder before it
// loads anything, imports only known DLLs and loads comctl32 from the system folder.
//
// Wine loads its builtin DLLs whatever lies in the program's folder, so the attack is made
// reproducible with Wine's per-program override native,builtin: a native DLL found by the search
// then wins.
// A program without the defence (naive_loader.exe) shows that the planted DLLs are loaded in
// that set-up; SetUp.exe, started beside the same DLLs, must load none of them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "automation/file_tree.h"
#include "automation/program.h"
#include "automation/text.h"
#include "automation/wine_paths.h"
#include "automation/windows.h"
#include "setup_session.h"

namespace e2e {
namespace {

// DLLs that Windows or Wine load into a dialog program on demand and that are not known DLLs.
const char* const kPlantedNames[] = {"comctl32", "version", "uxtheme", "dwmapi",   "cryptbase", "msimg32",
                                     "winmm",    "userenv", "propsys", "oleacc",   "sspicli",   "riched20"};

// The known DLLs of Windows 10 and 11 (the KnownDLLs key below the Session Manager), plus ntdll,
// which is always loaded first: these are never looked up in the program's folder.
const std::set<std::string> kKnownDlls = {
    "advapi32.dll", "clbcatq.dll",  "combase.dll", "comdlg32.dll", "coml2.dll",    "difxapi.dll",
    "gdi32.dll",    "gdiplus.dll",  "imagehlp.dll", "imm32.dll",   "kernel32.dll", "msctf.dll",
    "msvcrt.dll",   "normaliz.dll", "nsi.dll",     "ole32.dll",    "oleaut32.dll", "psapi.dll",
    "rpcrt4.dll",   "sechost.dll",  "setupapi.dll", "shcore.dll",  "shell32.dll",  "shlwapi.dll",
    "user32.dll",   "wldap32.dll",  "ws2_32.dll",  "ntdll.dll"};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string Join(const std::string& folder, const std::string& name) { return folder + "\\" + name; }

bool CopyInto(const std::string& from, const std::string& folder, const std::string& name) {
  return CopyFileW(automation::WideFromUtf8(from).c_str(), automation::WideFromUtf8(Join(folder, name)).c_str(),
                   FALSE) != 0;
}

// Wine difference: Wine's own DLLs bring in two of them in ways that Windows' do not, and no
// program can prevent: its user32 imports version.dll (loaded before the program's first
// instruction), and its comctl32 resolves its delayed import of uxtheme.dll through a search that
// starts in the program's folder whatever SetDefaultDllDirectories said. Windows' user32 imports
// no version.dll, and its delay loads follow the default DLL directories. Under Wine these two
// stay builtin-first for SetUp.exe; the program without the defence still shows them loadable.
bool BroughtInByWineItself(const std::string& name) { return name == "version" || name == "uxtheme"; }

// Wine's per-program DLL overrides (HKCU\Software\Wine\AppDefaults\<exe>\DllOverrides):
// "native,builtin" makes a native DLL that the search finds win over Wine's own. The
// WINEDLLOVERRIDES variable cannot do it here: a program started by another Wine program takes
// that variable from the Unix environment of the first, not from the Windows one.
class NativeFirst {
 public:
  NativeFirst(const std::string& exeName, bool forSetUp)
      : key_(L"Software\\Wine\\AppDefaults\\" + automation::WideFromUtf8(exeName) + L"\\DllOverrides") {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
      return;
    }
    static const wchar_t kOrder[] = L"native,builtin";
    for (const char* name : kPlantedNames) {
      if (forSetUp && BroughtInByWineItself(name)) continue;
      RegSetValueExW(key, automation::WideFromUtf8(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kOrder),
                     sizeof kOrder);
    }
    RegCloseKey(key);
  }
  ~NativeFirst() { RegDeleteKeyW(HKEY_CURRENT_USER, key_.c_str()); }
  NativeFirst(const NativeFirst&) = delete;
  NativeFirst& operator=(const NativeFirst&) = delete;

 private:
  std::wstring key_;
};

class PlantedDlls : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = WorkFolder() + "\\planted";
    ASSERT_TRUE(automation::DeleteFileTree(folder_));
    automation::CreateFolders(folder_);
    const std::string built = automation::DosPathFromUnix(TESSA_PLANTED_DLL_FOLDER);
    for (const char* name : kPlantedNames) {
      ASSERT_TRUE(CopyInto(Join(built, std::string(name) + ".dll"), folder_, std::string(name) + ".dll")) << name;
    }
  }
  void TearDown() override { automation::DeleteFileTree(folder_); }

  // The planted DLLs that something loaded.
  std::vector<std::string> Loaded() const {
    std::vector<std::string> loaded;
    for (const char* name : kPlantedNames) {
      if (automation::PathExists(Join(folder_, std::string(name) + ".dll.loaded"))) loaded.push_back(name);
    }
    return loaded;
  }
  void ForgetMarkers() const {
    for (const char* name : kPlantedNames) {
      DeleteFileW(automation::WideFromUtf8(Join(folder_, std::string(name) + ".dll.loaded")).c_str());
    }
  }

  std::string folder_;
};

TEST_F(PlantedDlls, SetUpLoadsNoneOfTheDllsBesideIt) {
  // The attack works in this set-up: a program without the defence loads what lies beside it.
  NativeFirst naiveOverrides("naive_loader.exe", false);
  ASSERT_TRUE(CopyInto(automation::DosPathFromUnix(TESSA_NAIVE_LOADER_EXE), folder_, "naive_loader.exe"));
  std::vector<std::string> args(std::begin(kPlantedNames), std::end(kPlantedNames));
  automation::Program naive = automation::Program::Start(Join(folder_, "naive_loader.exe"), args, folder_);
  ASSERT_TRUE(naive.WaitForExit(60000));
  const std::vector<std::string> reachable = Loaded();
  std::string reachableNames;
  for (const std::string& name : reachable) reachableNames += name + " ";
  std::printf("[ planted  ] %zu DLLs planted; a program without the defence loaded %zu of them: %s(exit %lu)\n",
              std::size(kPlantedNames), reachable.size(), reachableNames.c_str(), naive.ExitCode());
  // comctl32 is the one SetUp.exe itself needs: the attack on it must be reproducible here.
  ASSERT_NE(reachable.end(), std::find(reachable.begin(), reachable.end(), "comctl32"))
      << "Wine did not load the planted comctl32.dll even with comctl32=n,b: the test proves nothing";
  ForgetMarkers();
  NativeFirst setupOverrides("SetUp.exe", true);

  // The same folder with SetUp.exe in it: its dialog comes up, then it is closed.
  ASSERT_TRUE(CopyInto(SetupExePath(), folder_, "SetUp.exe"));
  automation::Program setup = automation::Program::Start(Join(folder_, "SetUp.exe"), {}, folder_);
  HWND dialog = automation::WaitForTopLevelWindow(kDialogTitle, setup.Pid(), 30000);
  EXPECT_NE(nullptr, dialog) << "no dialog: SetUp.exe " << (setup.IsRunning() ? "hangs" : "ended");
  if (dialog) PostMessageW(dialog, WM_CLOSE, 0, 0);
  EXPECT_TRUE(setup.WaitForExit(30000));
  setup.TerminateIfRunning();

  const std::vector<std::string> loaded = Loaded();
  std::string names;
  for (const std::string& name : loaded) names += name + ".dll ";
  EXPECT_TRUE(loaded.empty()) << "SetUp.exe loaded planted DLLs: " << names;
}

// ---- The import table ----

struct Imports {
  std::vector<std::string> dlls;                 // lower case
  std::set<std::string> kernel32Functions;       // as imported
};

// Reads the import directory of a PE32+ file.
bool ReadImports(const std::string& exe, Imports* out, std::string* error) {
  std::string bytes;
  if (!automation::ReadFileBytes(exe, &bytes)) {
    *error = "cannot read " + exe;
    return false;
  }
  auto at = [&](size_t offset, size_t size) { return offset + size <= bytes.size(); };
  auto u16 = [&](size_t o) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[o]) | static_cast<unsigned char>(bytes[o + 1]) << 8); };
  auto u32 = [&](size_t o) { return u16(o) | u16(o + 2) << 16; };
  if (!at(0x40, 0) || bytes.compare(0, 2, "MZ") != 0) return *error = "not an executable", false;
  const size_t pe = u32(0x3C);
  if (!at(pe, 24 + 240) || bytes.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return *error = "no PE header", false;
  const size_t optional = pe + 24;
  if (u16(optional) != 0x20B) return *error = "not PE32+", false;
  const uint32_t importRva = u32(optional + 112 + 8);  // data directory 1
  const size_t sections = optional + u16(pe + 20);
  const size_t sectionCount = u16(pe + 6);
  auto fileOffset = [&](uint32_t rva) -> size_t {
    for (size_t i = 0; i < sectionCount; ++i) {
      const size_t s = sections + i * 40;
      if (!at(s, 40)) break;
      const uint32_t va = u32(s + 12), size = std::max(u32(s + 8), u32(s + 16)), raw = u32(s + 20);
      if (rva >= va && rva < va + size) return raw + (rva - va);
    }
    return std::string::npos;
  };
  auto text = [&](size_t o) { return o == std::string::npos || !at(o, 1) ? std::string() : std::string(bytes.c_str() + o); };

  for (size_t d = fileOffset(importRva); d != std::string::npos && at(d, 20); d += 20) {
    const uint32_t lookup = u32(d) ? u32(d) : u32(d + 16);
    const uint32_t nameRva = u32(d + 12);
    if (nameRva == 0) break;
    const std::string dll = Lower(text(fileOffset(nameRva)));
    out->dlls.push_back(dll);
    if (dll != "kernel32.dll") continue;
    for (size_t t = fileOffset(lookup); t != std::string::npos && at(t, 8); t += 8) {
      const uint32_t low = u32(t), high = u32(t + 4);
      if (low == 0 && high == 0) break;
      if (high & 0x80000000u) continue;  // by ordinal
      out->kernel32Functions.insert(text(fileOffset(low) + 2));
    }
  }
  if (out->dlls.empty()) return *error = "no imports found", false;
  return true;
}

TEST(SetUpImports, OnlyKnownDllsAreImportedAndDllsAreLoadedOnlyWithASearchRestriction) {
  Imports imports;
  std::string error;
  ASSERT_TRUE(ReadImports(SetupExePath(), &imports, &error)) << error;

  for (const std::string& dll : imports.dlls) {
    // Every static import resolves from the known DLLs, before the program could restrict anything.
    EXPECT_TRUE(kKnownDlls.count(dll)) << dll << " is imported but is not a known DLL";
  }
  EXPECT_EQ(0u, std::count(imports.dlls.begin(), imports.dlls.end(), "comctl32.dll"))
      << "comctl32 must be loaded at run time from the system folder";
  const std::set<std::string>& k = imports.kernel32Functions;
  EXPECT_TRUE(k.count("LoadLibraryExA")) << "the system-folder loader is missing";
  EXPECT_FALSE(k.count("SetDefaultDllDirectories")) << "looked up at run time: older Windows 7 lacks it";
  // No load by bare name through the default search.
  EXPECT_FALSE(k.count("LoadLibraryA"));
  // LoadLibraryW comes with the static C runtime only: mingw's rand_s shim (reached through
  // std::random_device, which the program never uses) loads advapi32, a known DLL that the
  // program imports anyway. Nothing else may bring it in: no LoadLibraryExW, no LoadPackagedLibrary.
  EXPECT_FALSE(k.count("LoadLibraryExW"));
  EXPECT_FALSE(k.count("LoadPackagedLibrary"));
  std::string all;
  for (const std::string& dll : imports.dlls) all += dll + " ";
  std::printf("[ imports  ] %s\n", all.c_str());
}

}  // namespace
}  // namespace e2e
