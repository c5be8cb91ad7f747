// The AutoCAD installations found on this machine, per release year 2007 to 2027, and the
// registry operations that read and write AutoCAD's keys.
#pragma once

#include <string>
#include <vector>

#include "acad/build_constants.h"
#include "platform/platform.h"

constexpr int kFirstYear = 2007;
constexpr int kLastYear = 2027;
constexpr int kYearCount = kLastYear - kFirstYear + 1;  // index = year - kFirstYear

using StringList = std::vector<std::string>;

class AcadReleaseTable {
 public:
  std::string installFolder;          // without trailing backslash; set by the install sequence
  StringList acadFolders[kYearCount];  // per year: AutoCAD folder of every installation
  StringList productKeys[kYearCount];  // per year: its product key below HKLM, ending in '\'
  std::string walkValueName = "AcadLocation";
  StringList walkFoundKeys;
  StringList walkFoundValues;

  bool IsFound(int year) const;

  // Discovery (below HKEY_LOCAL_MACHINE).
  void DiscoverReleases(const Platform& p);
  void ScanReleaseRoot(const Platform& p, const std::string& rootPath, const std::string& releasePathFormat,
                       int lastYear);
  void WalkForValue(const Platform& p, RegHandle parentKey, const std::string& subkeyName,
                    const std::string& relativePath, const std::string& basePath);

  // Demand-load registration for the ticked years (flags in year order), then the trusted paths.
  void RegisterSelectedReleases(const Platform& p, const int selected[kYearCount], int bitness = targetBitness);
  void RegisterRelease(const Platform& p, int year, int bitness = targetBitness);

  // Adds installFolder to TRUSTEDPATHS of every AutoCAD profile of the current user.
  void AddTrustedPath(const Platform& p);
  static void ListOpenableSubkeys(Registry& registry, RegHandle key, StringList* names);
};
