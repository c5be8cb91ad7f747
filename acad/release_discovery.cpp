// Finding the AutoCAD installations below HKEY_LOCAL_MACHINE: one key per installation holds
// both "AcadLocation" and "ProductName"; the year comes from the product name.
#include <string>
#include <vector>

#include "acad/acad_release_table.h"
#include "acad/registry_reading.h"
#include "platform/mb_string.h"

namespace {

// The 32-bit view is taken only for the releases that shipped a 32-bit edition for x64 Windows.
constexpr int kLastYear32BitView = 2010;
// AutoCAD's installation values are read through a buffer of this size.
constexpr uint32_t kInstallValueBufferSize = 520;

const char kLocationValue[] = "AcadLocation";
const char kProductNameValue[] = "ProductName";

// The release path: the format with the release key name in place of "%s".
std::string ReleasePath(const std::string& format, const std::string& releaseKeyName) {
  std::string path = format;
  size_t slot = path.find("%s");
  if (slot != std::string::npos) path.replace(slot, 2, releaseKeyName);
  return path;
}

// The lowest year from kFirstYear to lastYear whose text first occurs in the name after its first
// character, or 0. A year at the very start is a model number, not the release, even when the same
// text stands again further on.
int YearOfProductName(const std::string& productName, int lastYear) {
  for (int year = kFirstYear; year <= lastYear; ++year) {
    const size_t at = productName.find(std::to_string(year));
    if (at != std::string::npos && at != 0) return year;
  }
  return 0;
}

// A key that holds the value the walk looks for, and the value's text.
struct FoundValue {
  std::string keyPath;  // the release path and the path below it, ending in '\'
  std::string text;
};

// Below parentKey's subkey, every key that holds valueName, in enumeration order. The walk does
// not go below a key that holds it: whatever lies below belongs to that installation.
void WalkForValue(Registry& registry, RegHandle parentKey, const std::string& subkeyName,
                  const std::string& valueName, const std::string& keyPath, std::vector<FoundValue>* found) {
  RegKey key(registry);
  if (key.Open(parentKey, subkeyName, RegAccess::Read) != kOk) return;

  std::string text;
  if (ReadValueText(registry, key.Handle(), valueName, kInstallValueBufferSize, &text) == kOk) {
    found->push_back({keyPath, text});
    return;
  }

  for (const std::string& name : SubkeyNames(registry, key.Handle())) {
    WalkForValue(registry, key.Handle(), name, valueName, keyPath + name + "\\", found);
  }
}

std::vector<FoundValue> FindValue(Registry& registry, RegHandle releaseKey, const std::string& valueName,
                                  const std::string& releasePath) {
  std::vector<FoundValue> found;
  WalkForValue(registry, releaseKey, "", valueName, releasePath, &found);
  return found;
}

// Adds the installations below one release root; years after lastYear are not taken from it.
void ScanReleaseRoot(const Platform& p, AcadReleaseTable& table, const std::string& rootPath,
                     const std::string& releasePathFormat, int lastYear) {
  Registry& registry = p.registry;
  RegKey root(registry);
  if (root.Open(kHkeyLocalMachine, rootPath, RegAccess::Read) != kOk) return;
  for (const std::string& releaseName : SubkeyNames(registry, root.Handle())) {
    std::string releasePath = ReleasePath(releasePathFormat, releaseName);
    RegKey release(registry);
    if (release.Open(root.Handle(), releaseName, RegAccess::Read) != kOk) continue;

    const std::vector<FoundValue> locations = FindValue(registry, release.Handle(), kLocationValue, releasePath);
    const std::vector<FoundValue> names = FindValue(registry, release.Handle(), kProductNameValue, releasePath);
    for (const FoundValue& location : locations) {
      std::string folder = location.text;
      RemoveTrailingBackslash(p.codePage, folder, LoneBackslash::Keep);
      for (const FoundValue& name : names) {
        if (name.keyPath != location.keyPath) continue;
        int year = YearOfProductName(name.text, lastYear);
        if (year == 0) continue;
        table.productKeys[year - kFirstYear].push_back(location.keyPath);
        table.acadFolders[year - kFirstYear].push_back(folder);
      }
    }
  }
}

}  // namespace

void AcadReleaseTable::DiscoverReleases(const Platform& p) {
  ScanReleaseRoot(p, *this, "SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD",
                  "SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD\\%s\\", kLastYear32BitView);
  ScanReleaseRoot(p, *this, "SOFTWARE\\Autodesk\\AutoCAD", "SOFTWARE\\Autodesk\\AutoCAD\\%s\\", kLastYear);
}
