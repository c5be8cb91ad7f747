// Writing and removing registry trees in the test prefix, for a test that prepares a machine.
// Failures throw std::runtime_error: a half-prepared machine must fail the test, not mislead it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "automation/registry_paths.h"

namespace automation {

struct RegistrySeedValue {
  std::string name;
  DWORD type = REG_SZ;  // REG_SZ or REG_DWORD
  std::string text;     // UTF-8, for REG_SZ
  DWORD number = 0;     // for REG_DWORD

  static RegistrySeedValue Text(const std::string& name, const std::string& text);
  static RegistrySeedValue Dword(const std::string& name, DWORD number);
};

struct RegistrySeedKey {
  HKEY root = HKEY_LOCAL_MACHINE;
  std::string path;  // below the root, e.g. SOFTWARE\Autodesk\AutoCAD\R18.0
  std::vector<RegistrySeedValue> values;
};

// Creates every key (with any missing parents), then sets its values.
void SeedRegistry(const std::vector<RegistrySeedKey>& keys, RegistryView view = RegistryView::Default);
void WriteRegistryText(HKEY root, const std::string& path, const std::string& name, const std::string& text,
                       RegistryView view = RegistryView::Default);
void WriteRegistryDword(HKEY root, const std::string& path, const std::string& name, DWORD number,
                        RegistryView view = RegistryView::Default);

// Removes the key and everything below it. True when the key is absent afterwards.
bool DeleteRegistryTree(HKEY root, const std::string& path, RegistryView view = RegistryView::Default);
bool RegistryKeyExists(HKEY root, const std::string& path, RegistryView view = RegistryView::Default);
// A string value as UTF-8; false when the key or value is missing or not a string.
bool ReadRegistryText(HKEY root, const std::string& path, const std::string& name, std::string* text,
                      RegistryView view = RegistryView::Default);

}  // namespace automation
