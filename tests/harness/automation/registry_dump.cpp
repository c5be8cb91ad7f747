#include "automation/registry_dump.h"

#include <cstdio>
#include <cstring>

#include "automation/text.h"

namespace automation {

std::string RegistryTypeName(DWORD type) {
  switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN: return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK: return "REG_LINK";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: return "type" + std::to_string(type);
  }
}

std::string FormatRegistryData(DWORD type, const BYTE* data, DWORD size) {
  if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (!text.empty()) std::memcpy(&text[0], data, text.size() * sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    if (type == REG_MULTI_SZ && !text.empty() && text.back() == L'\0') text.pop_back();
    return EscapeField(Utf8FromWide(text));
  }
  if (type == REG_DWORD && size == 4) {
    DWORD value;
    std::memcpy(&value, data, 4);
    return std::to_string(value);
  }
  if (type == REG_QWORD && size == 8) {
    unsigned long long value;
    std::memcpy(&value, data, 8);
    return std::to_string(value);
  }
  std::string hex;
  char byte[3];
  for (DWORD i = 0; i < size; ++i) {
    std::snprintf(byte, sizeof byte, "%02x", data[i]);
    hex += byte;
  }
  return hex;
}

namespace {

void DumpKey(HKEY key, const std::string& shownPath, REGSAM viewFlag, std::vector<std::string>* lines) {
  lines->push_back("key\t" + EscapeField(shownPath));

  DWORD subkeys = 0, values = 0, longestName = 0, longestValueName = 0, longestData = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longestName, nullptr, &values, &longestValueName,
                   &longestData, nullptr, nullptr);
  for (DWORD i = 0; i < values; ++i) {
    std::wstring name(longestValueName + 2, L'\0');
    std::vector<BYTE> data(longestData + 2);
    DWORD nameLength = static_cast<DWORD>(name.size()), dataSize = static_cast<DWORD>(data.size()), type = 0;
    if (RegEnumValueW(key, i, &name[0], &nameLength, nullptr, &type, data.data(), &dataSize) != ERROR_SUCCESS) {
      continue;
    }
    name.resize(nameLength);
    lines->push_back("value\t" + EscapeField(shownPath) + "\t" + EscapeField(Utf8FromWide(name)) + "\t" +
                     RegistryTypeName(type) + "\t" + std::to_string(dataSize) + "\t" +
                     FormatRegistryData(type, data.data(), dataSize));
  }
  for (DWORD i = 0; i < subkeys; ++i) {
    std::wstring name(longestName + 2, L'\0');
    DWORD nameLength = static_cast<DWORD>(name.size());
    if (RegEnumKeyExW(key, i, &name[0], &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) continue;
    name.resize(nameLength);
    HKEY child = nullptr;
    if (RegOpenKeyExW(key, name.c_str(), 0, KEY_READ | viewFlag, &child) != ERROR_SUCCESS) {
      lines->push_back("unreadable\t" + EscapeField(shownPath + "\\" + Utf8FromWide(name)));
      continue;
    }
    DumpKey(child, shownPath + "\\" + Utf8FromWide(name), viewFlag, lines);
    RegCloseKey(child);
  }
}

}  // namespace

std::vector<std::string> DumpRegistryTree(HKEY root, const std::string& path, RegistryView view) {
  std::vector<std::string> lines;
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, WideFromUtf8(path).c_str(), 0, KEY_READ | ViewFlag(view), &key) != ERROR_SUCCESS) {
    return lines;
  }
  DumpKey(key, path.empty() ? RootName(root) : RootName(root) + "\\" + path, ViewFlag(view), &lines);
  RegCloseKey(key);
  return lines;
}

}  // namespace automation
