// Which ARX module each AutoCAD release loads: several releases share one module build.
#pragma once

#include <cstddef>
#include <string>

#include "acad/acad_release_table.h"

struct ReleaseModule {
  int releaseYear;
  int moduleYear;           // the year in the module file name of the release's own entry
  const char* secondEntry;  // 64-bit builds only: the name of a second entry and of its module, or null
};

// clang-format off
constexpr ReleaseModule kReleaseModules[kYearCount] = {
    {2007, 2008, nullptr},
    {2008, 2008, nullptr},
    {2009, 2009, "Quilox2008"},
    {2010, 2010, "Quilox2010_32"},
    {2011, 2010, nullptr},
    {2012, 2010, nullptr},
    {2013, 2013, nullptr},
    {2014, 2013, nullptr},
    {2015, 2015, nullptr},
    {2016, 2015, nullptr},
    {2017, 2017, nullptr},
    {2018, 2018, nullptr},
    {2019, 2019, nullptr},
    {2020, 2019, nullptr},
    {2021, 2021, nullptr},
    {2022, 2021, nullptr},
    {2023, 2021, nullptr},
    {2024, 2021, nullptr},
    {2025, 2025, nullptr},
    {2026, 2025, nullptr},
    {2027, 2027, nullptr},
};
// clang-format on

// The row of a release year, or null for a year outside 2007 to 2027.
constexpr const ReleaseModule* FindReleaseModule(int year) {
  for (const ReleaseModule& row : kReleaseModules) {
    if (row.releaseYear == year) return &row;
  }
  return nullptr;
}

// The entry a release year gets below its product key: "Quilox2011".
std::string ReleaseEntryName(int year);
// The module the release's own entry loads: "Quilox2010" for 2011.
std::string OwnModuleName(const ReleaseModule& row);
// The module's file in the install folder, named in LOADER: "Quilox2010.ARX".
std::string ModuleFileName(const std::string& moduleName);

// The longest install folder whose LOADER texts all still fit AutoCAD's 259-character texts.
size_t LongestInstallFolder();
