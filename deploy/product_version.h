// Product versions, "yyyy.mm.dd" (the release date), and what an install does to the one recorded.
#pragma once

#include <string>

// Below 0, 0 or above 0 as `a` is older than, the same as or newer than `b`: part by part, each
// read as a number ("2026.3.4" is older than "2026.03.31"); a missing part or one that is no
// number counts 0.
int CompareVersions(const std::string& a, const std::string& b);

// For the log and the record's history: "installing Y" when nothing is installed (`installed`
// empty), else "upgrading from X to Y", "downgrading from X to Y" or "reinstalling Y".
std::string VersionChange(const std::string& installed, const std::string& ours);
