// Adds the install folder to TRUSTEDPATHS of every AutoCAD profile of a user (the current one, or
// one whose hive is loaded below HKEY_USERS), so AutoCAD loads the add-in's modules without asking.
#include <string>

#include "acad/acad_release_table.h"
#include "acad/registry_reading.h"
#include "platform/mb_string.h"

namespace {

const char kUserAcadRoot[] = "SOFTWARE\\Autodesk\\AutoCAD";
const char kTrustedPathsValue[] = "TRUSTEDPATHS";
// The first read takes this much; a longer value is read whole all the same.
constexpr uint32_t kTrustedPathsReadSize = 10000;

// parent + "\" + child, without a doubled backslash when child is empty.
std::string JoinKeyPath(const CodePage& codePage, const std::string& parent, const std::string& child) {
  std::string path = parent + "\\" + child;
  RemoveTrailingBackslash(codePage, path, LoneBackslash::Keep);
  return path;
}

// The subkeys of key that open for reading; one that cannot be read or opened is left out.
void ListOpenableSubkeys(Registry& registry, RegHandle key, StringList* names) {
  for (const std::string& name : SubkeyNames(registry, key)) {
    RegKey subkey(registry);
    if (subkey.Open(key, name, RegAccess::Read) == kOk) names->push_back(name);
  }
}

// "SOFTWARE\Autodesk\AutoCAD\<release>\<product>\Profiles" for every product of every release.
StringList CollectProfileRoots(const Platform& p, RegHandle userRoot) {
  Registry& registry = p.registry;
  StringList roots;
  RegKey acad(registry);
  if (acad.Open(userRoot, kUserAcadRoot, RegAccess::Read) != kOk) return roots;
  for (const std::string& releaseName : SubkeyNames(registry, acad.Handle())) {
    RegKey release(registry);
    if (release.Open(acad.Handle(), releaseName, RegAccess::Read) != kOk) continue;
    StringList productNames;
    ListOpenableSubkeys(registry, release.Handle(), &productNames);
    for (const std::string& productName : productNames) {
      std::string releasePath = std::string(kUserAcadRoot) + "\\" + releaseName;
      roots.push_back(JoinKeyPath(p.codePage, releasePath, productName) + "\\Profiles");
    }
  }
  return roots;
}

// "<profile root>\<profile>\Variables" for every profile below the roots.
StringList CollectVariablesKeys(const Platform& p, RegHandle userRoot, const StringList& profileRoots) {
  Registry& registry = p.registry;
  StringList keys;
  for (const std::string& rootPath : profileRoots) {
    RegKey root(registry);
    if (root.Open(userRoot, rootPath, RegAccess::Read) != kOk) continue;
    StringList profileNames;
    ListOpenableSubkeys(registry, root.Handle(), &profileNames);
    for (const std::string& profileName : profileNames) {
      keys.push_back(JoinKeyPath(p.codePage, rootPath, profileName) + "\\Variables");
    }
  }
  return keys;
}

// The setting with the folder in it. AutoCAD compares these paths without regard to case, so an
// existing setting is kept in upper case and the folder is added only when it is not in it yet.
std::string TrustedPathsWith(const CodePage& codePage, const std::string& existing,
                             const std::string& folder) {
  // One or two bytes cannot name a folder: such a setting is replaced.
  if (existing.size() <= 2) return folder;
  std::string upperExisting = codePage.Upper(existing);
  std::string upperFolder = codePage.Upper(folder);
  if (upperExisting.find(upperFolder) != std::string::npos) return upperExisting;
  return upperExisting + ";" + upperFolder;
}

// The profile's setting as text; empty when the key or the value is missing. False when the
// setting is there but cannot be read: writing the folder alone would drop the paths it holds.
bool ReadExistingTrustedPaths(Registry& registry, RegHandle userRoot, const std::string& variablesPath,
                              std::string* existing) {
  RegKey variables(registry);
  long rc = variables.Open(userRoot, variablesPath, RegAccess::Read);
  if (rc == kOk) {
    rc =
        ReadWholeValueText(registry, variables.Handle(), kTrustedPathsValue, kTrustedPathsReadSize, existing);
  }
  if (rc == kOk) return true;
  existing->clear();
  return IsNotFound(rc);
}

void UpdateTrustedPaths(const Platform& p, RegHandle userRoot, const std::string& variablesPath,
                        const std::string& folder) {
  std::string existing;
  if (!ReadExistingTrustedPaths(p.registry, userRoot, variablesPath, &existing)) return;
  RegKey variables(p.registry);
  if (variables.Create(userRoot, variablesPath) != kOk) return;
  p.registry.SetString(variables.Handle(), kTrustedPathsValue,
                       TrustedPathsWith(p.codePage, existing, folder));
}

}  // namespace

void AcadReleaseTable::AddTrustedPath(const Platform& p, const std::string& installFolder, RegHandle userRoot) {
  // Both lists are complete before anything is written, so new keys never join the walk.
  StringList profileRoots = CollectProfileRoots(p, userRoot);
  StringList variablesKeys = CollectVariablesKeys(p, userRoot, profileRoots);
  for (const std::string& variablesPath : variablesKeys) UpdateTrustedPaths(p, userRoot, variablesPath, installFolder);
}
