// Release discovery over arbitrary registry trees in both views: whatever the keys, names and
// values, every installation listed is backed by the registry and every key is closed again.
// Beside the fuzzed tree stands one ordinary AutoCAD 2026, which must be found whenever the
// input leaves its keys alone.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "acad/acad_release_table.h"
#include "platform/mb_string.h"
#include "tests/memory/memory_platform.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/registry_records.h"

namespace {

const std::string k64BitRoot = "SOFTWARE\\Autodesk\\AutoCAD";
const std::string k32BitRoot = "SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD";
constexpr uint32_t kInstallValueBufferSize = 520;
constexpr int kLastYear32BitView = 2010;

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The in-memory registry, counting every call that could change it.
class WatchedRegistry : public MemoryRegistry {
 public:
  size_t writes = 0;

  long Open(RegHandle parent, const std::string& subkey, RegAccess access, RegHandle* out) override {
    if (access != RegAccess::Read) ++writes;
    return MemoryRegistry::Open(parent, subkey, access, out);
  }
  long Create(RegHandle parent, const std::string& subkey, RegHandle* out) override {
    ++writes;
    return MemoryRegistry::Create(parent, subkey, out);
  }
  long Delete(RegHandle parent, const std::string& subkey) override {
    ++writes;
    return MemoryRegistry::Delete(parent, subkey);
  }
  long SetValue(RegHandle key, const std::string& name, uint32_t type, const unsigned char* data,
                uint32_t size) override {
    ++writes;
    return MemoryRegistry::SetValue(key, name, type, data, size);
  }
};

std::string TextUpToNul(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

void CheckInstallation(const MemoryRegistry& registry, const CodePage& cp, int year, const std::string& key,
                       const std::string& folder) {
  Require(!key.empty() && FindLastBackslash(cp, key) == key.size() - 1,
          "a product key ends in a backslash that is a character of its own");
  bool view32 = StartsWith(key, k32BitRoot + "\\");
  Require(view32 || StartsWith(key, k64BitRoot + "\\"), "a product key lies below one of the two release roots");
  Require(!view32 || year <= kLastYear32BitView, "the 32-bit view gives releases up to 2010 only");
  Require(registry.HasKey(kHkeyLocalMachine, key), "a product key names an existing key");

  std::string location, productName;
  Require(registry.GetRaw(kHkeyLocalMachine, key, "AcadLocation", nullptr, &location),
          "an installation key holds AcadLocation");
  Require(registry.GetRaw(kHkeyLocalMachine, key, "ProductName", nullptr, &productName),
          "an installation key holds ProductName");
  Require(location.size() <= kInstallValueBufferSize && productName.size() <= kInstallValueBufferSize,
          "values larger than the read buffer are not taken, never taken cut short");
  Require(TextUpToNul(productName).find(std::to_string(year), 1) != std::string::npos,
          "the year stands in the product name after its first character");

  std::string text = TextUpToNul(location);
  bool endsWithSeparator = text.size() > 1 && FindLastBackslash(cp, text) == text.size() - 1;
  if (endsWithSeparator) {
    Require(folder + "\\" == text, "one trailing backslash is removed from the AutoCAD folder");
  } else {
    Require(folder == text, "the AutoCAD folder is the location as stored, up to its NUL");
  }
}

// The planted installation.
const std::string kPlantedRelease = "SOFTWARE\\Autodesk\\AutoCAD\\R25.1";
const std::string kPlantedProduct = kPlantedRelease + "\\ACAD-9101:804";

void PlantInstallation(MemoryRegistry& registry) {
  registry.SetText(kHkeyLocalMachine, kPlantedProduct, "AcadLocation", "D:\\AutoCAD 2026\\");
  registry.SetText(kHkeyLocalMachine, kPlantedProduct, "ProductName", "AutoCAD 2026 - Simplified Chinese");
}

void CheckPlantedFound(const AcadReleaseTable& table) {
  const StringList& keys = table.productKeys[2026 - kFirstYear];
  const StringList& folders = table.acadFolders[2026 - kFirstYear];
  for (size_t i = 0; i < keys.size() && i < folders.size(); ++i) {
    if (keys[i] == "SOFTWARE\\Autodesk\\AutoCAD\\R25.1\\ACAD-9101:804\\") {
      Require(folders[i] == "D:\\AutoCAD 2026", "the planted AutoCAD 2026 has its folder");
      return;
    }
  }
  Require(false, "an ordinary AutoCAD 2026 installation is found");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryPlatform m;
  WatchedRegistry registry;
  PlantInstallation(registry);
  std::vector<AppliedRecord> applied;
  ApplyRegistryRecords(registry, kHkeyLocalMachine, {k64BitRoot, k32BitRoot}, SplitLines(data, size), &applied);

  AcadReleaseTable table;
  table.DiscoverReleases(Platform{registry, m.files, m.processes, m.boxes, m.codePage});

  Require(registry.OpenHandles() == 0, "discovery closes every key it opens");
  Require(registry.writes == 0, "discovery only reads the registry");
  std::set<std::string> seen;
  for (int year = kFirstYear; year <= kLastYear; ++year) {
    const StringList& folders = table.acadFolders[year - kFirstYear];
    const StringList& keys = table.productKeys[year - kFirstYear];
    Require(folders.size() == keys.size(), "one AutoCAD folder per product key");
    for (size_t i = 0; i < keys.size(); ++i) {
      Require(seen.insert(m.codePage.Upper(keys[i])).second, "an installation is listed once");
      CheckInstallation(registry, m.codePage, year, keys[i], folders[i]);
    }
  }
  if (!Touches(applied, kPlantedRelease)) CheckPlantedFound(table);
  return 0;
}
