#include "acad/demand_load_modules.h"

#include <algorithm>

#include "acad/registry_reading.h"

std::string ReleaseEntryName(int year) { return "Quilox" + std::to_string(year); }

std::string OwnModuleName(const ReleaseModule& row) { return "Quilox" + std::to_string(row.moduleYear); }

std::string ModuleFileName(const std::string& moduleName) { return moduleName + ".ARX"; }

size_t LongestInstallFolder() {
  size_t longestName = 0;
  for (const ReleaseModule& row : kReleaseModules) {
    longestName = std::max(longestName, ModuleFileName(OwnModuleName(row)).size());
    if (row.secondEntry != nullptr) longestName = std::max(longestName, ModuleFileName(row.secondEntry).size());
  }
  // The folder, a backslash and the longest module file name.
  return kMaxRegistryTextLength - 1 - longestName;
}
