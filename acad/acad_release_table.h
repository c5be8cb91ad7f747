// The AutoCAD installations found on this machine, per release year 2007 to 2027, and the
// registry operations that read and write AutoCAD's keys.
#pragma once

#include <string>
#include <vector>

#include "acad/build_constants.h"
#include "acad/user_hives.h"
#include "platform/platform.h"

constexpr int kFirstYear = 2007;
constexpr int kLastYear = 2027;
constexpr int kYearCount = kLastYear - kFirstYear + 1;  // index = year - kFirstYear

using StringList = std::vector<std::string>;

// Whose AutoCAD profiles are given the trusted path: the current user's, or with allUsers every
// user's on the machine, each once, through ForEachUserHive. HKEY_CURRENT_USER is not visited
// apart then: a person's is one of the hives below HKEY_USERS, and a service account's (SYSTEM
// under a deployment engine) is left out like every other.
struct TrustedPathUsers {
  bool allUsers = false;
  HiveSkipped skipped;  // with allUsers: the hives left out
};

class AcadReleaseTable {
 public:
  StringList acadFolders[kYearCount];  // per year: AutoCAD folder of every installation
  StringList productKeys[kYearCount];  // per year: its product key below HKLM, ending in '\'

  bool IsFound(int year) const;

  // Discovery (below HKEY_LOCAL_MACHINE).
  void DiscoverReleases(const Platform& p);

  // Demand-load registration for the ticked years (flags in year order), then the trusted paths of `users`.
  // installFolder has no trailing backslash.
  // With `installedFiles`, an entry is written only when the file of its module is among them
  // (names as in the install folder, any case): a module that was not installed is not loaded.
  void RegisterSelectedReleases(const Platform& p, const int selected[kYearCount], const std::string& installFolder,
                                int bitness = targetBitness, const StringList* installedFiles = nullptr,
                                const TrustedPathUsers& users = TrustedPathUsers()) const;
  void RegisterRelease(const Platform& p, int year, const std::string& installFolder, int bitness = targetBitness,
                       const StringList* installedFiles = nullptr) const;

  // Adds installFolder to TRUSTEDPATHS of every AutoCAD profile of the user whose hive userRoot is.
  static void AddTrustedPath(const Platform& p, const std::string& installFolder,
                             RegHandle userRoot = kHkeyCurrentUser);
};
