// Registry roots and views as the harness names them: "HKLM\SOFTWARE\...", "HKCU\Software\...".
#pragma once

#include <windows.h>

#include <string>

namespace automation {

// Default opens keys as the program under test does (a 64-bit process without a view flag).
enum class RegistryView { Default, Bits64, Bits32 };

REGSAM ViewFlag(RegistryView view);
// "HKLM\SOFTWARE\Autodesk" -> HKEY_LOCAL_MACHINE, "HKLM", "SOFTWARE\Autodesk". Accepts the short
// and the long root names (HKLM, HKCU, HKCR, HKU). False for anything else.
bool ParseRegistryPath(const std::string& full, HKEY* root, std::string* rootName, std::string* subPath);
std::string RootName(HKEY root);  // "HKLM", "HKCU", ...

}  // namespace automation
