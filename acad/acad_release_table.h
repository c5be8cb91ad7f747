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
  StringList acadFolders[kYearCount];  // per year: AutoCAD folder of every installation
  StringList productKeys[kYearCount];  // per year: its product key below HKLM, ending in '\'

  bool IsFound(int year) const;

  // Discovery (below HKEY_LOCAL_MACHINE).
  void DiscoverReleases(const Platform& p);

  // Demand-load registration for the ticked years (flags in year order), then the trusted paths.
  // installFolder has no trailing backslash.
  // With `installedFiles`, an entry is written only when the file of its module is among them
  // (names as in the install folder, any case): a module that was not installed is not loaded.
  void RegisterSelectedReleases(const Platform& p, const int selected[kYearCount], const std::string& installFolder,
                                int bitness = targetBitness, const StringList* installedFiles = nullptr) const;
  void RegisterRelease(const Platform& p, int year, const std::string& installFolder, int bitness = targetBitness,
                       const StringList* installedFiles = nullptr) const;

  // Adds installFolder to TRUSTEDPATHS of every AutoCAD profile of the current user.
  static void AddTrustedPath(const Platform& p, const std::string& installFolder);
};
