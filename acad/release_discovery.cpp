// Finding the AutoCAD installations below HKEY_LOCAL_MACHINE: one key per installation holds
// both "AcadLocation" and "ProductName"; the year comes from the product name.
#include <string>

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

// The lowest year from kFirstYear to lastYear whose text stands in the name after its first
// character, or 0. A year at the very start is a model number, not the release.
int YearOfProductName(const std::string& productName, int lastYear) {
  for (int year = kFirstYear; year <= lastYear; ++year) {
    if (productName.find(std::to_string(year), 1) != std::string::npos) return year;
  }
  return 0;
}

}  // namespace

void AcadReleaseTable::DiscoverReleases(const Platform& p) {
  ScanReleaseRoot(p, "SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD",
                  "SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD\\%s\\", kLastYear32BitView);
  ScanReleaseRoot(p, "SOFTWARE\\Autodesk\\AutoCAD", "SOFTWARE\\Autodesk\\AutoCAD\\%s\\", kLastYear);
}

void AcadReleaseTable::ScanReleaseRoot(const Platform& p, const std::string& rootPath,
                                       const std::string& releasePathFormat, int lastYear) {
  Registry& registry = p.registry;
  RegKey root(registry);
  if (root.Open(kHkeyLocalMachine, rootPath, RegAccess::Read) != kOk) return;
  uint32_t releaseCount = 0;
  if (registry.SubkeyCount(root.Handle(), &releaseCount) != kOk) return;

  for (uint32_t index = 0; index < releaseCount; ++index) {
    std::string releaseName;
    if (ReadSubkeyName(registry, root.Handle(), index, &releaseName) != kOk) continue;
    std::string releasePath = ReleasePath(releasePathFormat, releaseName);
    RegKey release(registry);
    if (release.Open(root.Handle(), releaseName, RegAccess::Read) != kOk) continue;

    walkFoundKeys.clear();
    walkFoundValues.clear();
    walkValueName = kLocationValue;
    WalkForValue(p, release.Handle(), "", "", releasePath);
    StringList locationKeys = walkFoundKeys;
    StringList locations = walkFoundValues;

    walkFoundKeys.clear();
    walkFoundValues.clear();
    walkValueName = kProductNameValue;
    WalkForValue(p, release.Handle(), "", "", releasePath);
    StringList nameKeys = walkFoundKeys;
    StringList productNames = walkFoundValues;

    for (size_t j = 0; j < locationKeys.size(); ++j) {
      std::string folder = locations[j];
      RemoveTrailingBackslash(p.codePage, folder);
      for (size_t k = 0; k < nameKeys.size(); ++k) {
        if (nameKeys[k] != locationKeys[j]) continue;
        int year = YearOfProductName(productNames[k], lastYear);
        if (year == 0) continue;
        productKeys[year - kFirstYear].push_back(locationKeys[j]);
        acadFolders[year - kFirstYear].push_back(folder);
      }
    }
  }
}

void AcadReleaseTable::WalkForValue(const Platform& p, RegHandle parentKey, const std::string& subkeyName,
                                    const std::string& relativePath, const std::string& basePath) {
  Registry& registry = p.registry;
  RegKey key(registry);
  if (key.Open(parentKey, subkeyName, RegAccess::Read) != kOk) return;

  std::string value;
  if (ReadValueText(registry, key.Handle(), walkValueName, kInstallValueBufferSize, &value) == kOk) {
    // The installation key: whatever lies below it belongs to that installation.
    walkFoundKeys.push_back(basePath + relativePath);
    walkFoundValues.push_back(value);
    return;
  }

  uint32_t subkeyCount = 0;
  if (registry.SubkeyCount(key.Handle(), &subkeyCount) != kOk) return;
  for (uint32_t index = 0; index < subkeyCount; ++index) {
    std::string name;
    if (ReadSubkeyName(registry, key.Handle(), index, &name) != kOk) continue;
    WalkForValue(p, key.Handle(), name, relativePath + name + "\\", basePath);
  }
}
