#include "automation/registry_paths.h"

namespace automation {

namespace {

struct RootNames {
  HKEY root;
  const char* shortName;
  const char* longName;
};

const RootNames kRoots[] = {
    {HKEY_LOCAL_MACHINE, "HKLM", "HKEY_LOCAL_MACHINE"},
    {HKEY_CURRENT_USER, "HKCU", "HKEY_CURRENT_USER"},
    {HKEY_CLASSES_ROOT, "HKCR", "HKEY_CLASSES_ROOT"},
    {HKEY_USERS, "HKU", "HKEY_USERS"},
};

}  // namespace

REGSAM ViewFlag(RegistryView view) {
  switch (view) {
    case RegistryView::Bits64: return KEY_WOW64_64KEY;
    case RegistryView::Bits32: return KEY_WOW64_32KEY;
    default: return 0;
  }
}

bool ParseRegistryPath(const std::string& full, HKEY* root, std::string* rootName, std::string* subPath) {
  size_t slash = full.find('\\');
  std::string head = full.substr(0, slash);
  for (const RootNames& names : kRoots) {
    if (_stricmp(head.c_str(), names.shortName) == 0 || _stricmp(head.c_str(), names.longName) == 0) {
      *root = names.root;
      *rootName = names.shortName;
      *subPath = slash == std::string::npos ? std::string() : full.substr(slash + 1);
      while (!subPath->empty() && subPath->back() == '\\') subPath->pop_back();
      return true;
    }
  }
  return false;
}

std::string RootName(HKEY root) {
  for (const RootNames& names : kRoots) {
    if (names.root == root) return names.shortName;
  }
  return "?";
}

}  // namespace automation
