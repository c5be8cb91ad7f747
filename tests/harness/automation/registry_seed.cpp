#include "automation/registry_seed.h"

#include <stdexcept>

#include "automation/text.h"

namespace automation {

RegistrySeedValue RegistrySeedValue::Text(const std::string& name, const std::string& text) {
  RegistrySeedValue value;
  value.name = name;
  value.type = REG_SZ;
  value.text = text;
  return value;
}

RegistrySeedValue RegistrySeedValue::Dword(const std::string& name, DWORD number) {
  RegistrySeedValue value;
  value.name = name;
  value.type = REG_DWORD;
  value.number = number;
  return value;
}

namespace {

std::string Describe(HKEY root, const std::string& path) {
  return RootName(root) + "\\" + path;
}

HKEY CreateKey(HKEY root, const std::string& path, RegistryView view) {
  HKEY key = nullptr;
  LONG status = RegCreateKeyExW(root, WideFromUtf8(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_READ | KEY_WRITE | ViewFlag(view), nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) {
    throw std::runtime_error("cannot create " + Describe(root, path) + ": error " + std::to_string(status));
  }
  return key;
}

void SetValue(HKEY key, const std::string& where, const RegistrySeedValue& value) {
  std::wstring name = WideFromUtf8(value.name);
  LONG status;
  if (value.type == REG_DWORD) {
    status = RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number),
                            sizeof value.number);
  } else {
    std::wstring text = WideFromUtf8(value.text);
    status = RegSetValueExW(key, name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  if (status != ERROR_SUCCESS) {
    throw std::runtime_error("cannot set " + where + " " + value.name + ": error " + std::to_string(status));
  }
}

}  // namespace

void SeedRegistry(const std::vector<RegistrySeedKey>& keys, RegistryView view) {
  for (const RegistrySeedKey& seed : keys) {
    HKEY key = CreateKey(seed.root, seed.path, view);
    try {
      for (const RegistrySeedValue& value : seed.values) SetValue(key, Describe(seed.root, seed.path), value);
    } catch (...) {
      RegCloseKey(key);
      throw;
    }
    RegCloseKey(key);
  }
}

void WriteRegistryText(HKEY root, const std::string& path, const std::string& name, const std::string& text,
                       RegistryView view) {
  SeedRegistry({{root, path, {RegistrySeedValue::Text(name, text)}}}, view);
}

void WriteRegistryDword(HKEY root, const std::string& path, const std::string& name, DWORD number,
                        RegistryView view) {
  SeedRegistry({{root, path, {RegistrySeedValue::Dword(name, number)}}}, view);
}

bool RegistryKeyExists(HKEY root, const std::string& path, RegistryView view) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, WideFromUtf8(path).c_str(), 0, KEY_READ | ViewFlag(view), &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

bool DeleteRegistryTree(HKEY root, const std::string& path, RegistryView view) {
  if (path.empty()) return false;  // never a whole root
  std::wstring wide = WideFromUtf8(path);
  size_t slash = wide.rfind(L'\\');
  std::wstring parentPath = slash == std::wstring::npos ? std::wstring() : wide.substr(0, slash);
  std::wstring name = slash == std::wstring::npos ? wide : wide.substr(slash + 1);
  HKEY parent = nullptr;
  if (RegOpenKeyExW(root, parentPath.c_str(), 0, KEY_READ | KEY_WRITE | ViewFlag(view), &parent) == ERROR_SUCCESS) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_ALL_ACCESS | ViewFlag(view), &key) == ERROR_SUCCESS) {
      RegDeleteTreeW(key, nullptr);
      RegCloseKey(key);
      RegDeleteKeyExW(parent, name.c_str(), ViewFlag(view), 0);
    }
    RegCloseKey(parent);
  }
  return !RegistryKeyExists(root, path, view);
}

bool ReadRegistryText(HKEY root, const std::string& path, const std::string& name, std::string* text,
                      RegistryView view) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, WideFromUtf8(path).c_str(), 0, KEY_READ | ViewFlag(view), &key) != ERROR_SUCCESS) {
    return false;
  }
  std::wstring wideName = WideFromUtf8(name);
  DWORD type = 0, size = 0;
  bool ok = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ);
  if (ok) {
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    ok = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) ==
         ERROR_SUCCESS;
    data.resize(size / sizeof(wchar_t));
    while (!data.empty() && data.back() == L'\0') data.pop_back();
    if (ok) *text = Utf8FromWide(data);
  }
  RegCloseKey(key);
  return ok;
}

}  // namespace automation
