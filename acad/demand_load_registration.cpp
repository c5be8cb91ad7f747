// AutoCAD's demand-load entries: "Applications\<name>" below a product key, with LOADCTRLS 2
// (load at start-up) and LOADER naming the module in the install folder.
#include <string>

#include "acad/acad_release_table.h"
#include "acad/demand_load_modules.h"
#include "acad/registry_reading.h"
#include "platform/mb_string.h"

namespace {

constexpr uint32_t kLoadAtStartup = 2;

// Replaces one entry: deleting it first drops values that others left in it.
// Text that would not fit AutoCAD's 260-byte buffers is not written cut short: the entry is skipped.
void WriteDemandLoadEntry(const Platform& p, RegHandle productKey, const std::string& entryName,
                          const std::string& installFolder, const std::string& moduleName,
                          const StringList* installedFiles) {
  if (installedFiles != nullptr) {
    bool installed = false;
    for (const std::string& file : *installedFiles) {
      installed = installed || SameFileName(p.codePage, file, ModuleFileName(moduleName));
    }
    if (!installed) return;
  }
  Registry& registry = p.registry;
  std::string keyName = "Applications\\" + entryName;
  std::string loader = installFolder + "\\" + ModuleFileName(moduleName);
  if (keyName.size() > kMaxRegistryTextLength || loader.size() > kMaxRegistryTextLength) return;

  registry.Delete(productKey, keyName);
  RegKey entry(registry);
  if (entry.Create(productKey, keyName) != kOk) return;
  registry.SetDword(entry.Handle(), "LOADCTRLS", kLoadAtStartup);
  registry.SetString(entry.Handle(), "LOADER", loader);
}

}  // namespace

void AcadReleaseTable::RegisterSelectedReleases(const Platform& p, const int selected[kYearCount],
                                                const std::string& installFolder, int bitness,
                                                const StringList* installedFiles,
                                                const TrustedPathUsers& users) const {
  for (int year = kFirstYear; year <= kLastYear; ++year) {
    if (selected[year - kFirstYear] != 0) RegisterRelease(p, year, installFolder, bitness, installedFiles);
  }
  if (!users.allUsers) {
    AddTrustedPath(p, installFolder);
    return;
  }
  ForEachUserHive(
      p, [&](const std::string&, RegHandle userRoot) { AddTrustedPath(p, installFolder, userRoot); }, users.skipped);
}

void AcadReleaseTable::RegisterRelease(const Platform& p, int year, const std::string& installFolder,
                                       int bitness, const StringList* installedFiles) const {
  const ReleaseModule* module = FindReleaseModule(year);
  if (module == nullptr) return;

  for (const std::string& productKeyPath : productKeys[year - kFirstYear]) {
    RegKey productKey(p.registry);
    if (productKey.Open(kHkeyLocalMachine, productKeyPath, RegAccess::ReadWrite) != kOk) continue;
    WriteDemandLoadEntry(p, productKey.Handle(), ReleaseEntryName(year), installFolder, OwnModuleName(*module),
                         installedFiles);
    if (bitness == 64 && module->secondEntry != nullptr) {
      WriteDemandLoadEntry(p, productKey.Handle(), module->secondEntry, installFolder, module->secondEntry,
                           installedFiles);
    }
  }
}
