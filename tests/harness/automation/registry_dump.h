// A registry tree as lines of text, for scripts and for before/after comparisons.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "automation/registry_paths.h"

namespace automation {

// Depth first, in the registry's enumeration order, one line per key and per value:
//   key<TAB><path>
//   value<TAB><path><TAB><name><TAB><type><TAB><bytes><TAB><data>
// <path> starts with the root's short name (HKLM\SOFTWARE\...). <type> is REG_SZ, REG_DWORD, ...
// <bytes> is the stored size. <data>: strings as UTF-8 without their final NUL (other NULs as %00,
// which also separates the strings of REG_MULTI_SZ); DWORD and QWORD in decimal; anything else
// in lower-case hex. Fields are escaped with EscapeField. A missing key gives no lines.
std::vector<std::string> DumpRegistryTree(HKEY root, const std::string& path,
                                          RegistryView view = RegistryView::Default);
std::string RegistryTypeName(DWORD type);
std::string FormatRegistryData(DWORD type, const BYTE* data, DWORD size);

}  // namespace automation
