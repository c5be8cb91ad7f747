// The trusted-path update over arbitrary AutoCAD profile trees of the current user and an
// arbitrary install folder: no setting loses an entry, only TRUSTEDPATHS values and missing
// Variables keys are written, keys are closed, and a second run adds nothing. Beside the fuzzed
// tree stands one ordinary profile, which must get the folder whenever the input leaves it alone.
//
// Besides the registry records (registry_records.h, one base: SOFTWARE\Autodesk\AutoCAD of
// HKEY_CURRENT_USER) a line "F|folder" sets the install folder; the last one counts.
#include <cstdint>
#include <string>
#include <vector>

#include "acad/acad_release_table.h"
#include "platform/mb_string.h"
#include "tests/memory/memory_platform.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/registry_records.h"

namespace {

const std::string kUserAcadRoot = "SOFTWARE\\Autodesk\\AutoCAD";
const std::string kTrustedPaths = "TRUSTEDPATHS";

std::string TextUpToNul(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

bool Contains(const CodePage& cp, const std::string& text, const std::string& part) {
  return cp.Upper(text).find(cp.Upper(part)) != std::string::npos;
}

// Key names may hold 0x5C trail bytes: paths are taken apart at character starts only.
std::string LastName(const CodePage& cp, const std::string& path) {
  size_t slash = FindLastBackslash(cp, path);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Parent(const CodePage& cp, const std::string& path) {
  size_t slash = FindLastBackslash(cp, path);
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool IsVariablesKey(const CodePage& cp, const std::string& path) {
  return cp.Upper(LastName(cp, path)) == "VARIABLES";
}

// A value the update wrote: a NUL-terminated REG_SZ that holds the folder.
void CheckWritten(const CodePage& cp, const RegistrySnapshot::Value& v, const std::string& folder) {
  Require(v.type == kRegSz, "TRUSTEDPATHS is written as REG_SZ");
  Require(!v.bytes.empty() && v.bytes.find('\0') == v.bytes.size() - 1,
          "TRUSTEDPATHS is written with exactly one terminating NUL, counted in its size");
  Require(Contains(cp, TextUpToNul(v.bytes), folder), "a written TRUSTEDPATHS holds the install folder");
}

void CheckUpdate(const CodePage& cp, const RegistrySnapshot& before, const RegistrySnapshot& after,
                 const std::string& folder) {
  const std::string upperName = cp.Upper(kTrustedPaths);
  for (const auto& key : before.keys) {
    const auto* values = after.Find(key.first);
    Require(values != nullptr, "no key is removed");
    for (const auto& value : key.second) {
      const RegistrySnapshot::Value* now = after.Find(key.first, value.first);
      Require(now != nullptr, "no value is removed");
      if (value.first != upperName) {
        Require(*now == value.second, "values other than TRUSTEDPATHS are left alone");
        continue;
      }
      std::string old = TextUpToNul(value.second.bytes);
      if (old.size() > 2) {
        Require(Contains(cp, TextUpToNul(now->bytes), old), "every entry of an existing TRUSTEDPATHS is kept");
      }
      if (!(*now == value.second)) {
        Require(IsVariablesKey(cp, key.first), "TRUSTEDPATHS is rewritten in Variables keys only");
        CheckWritten(cp, *now, folder);
      }
    }
    for (const auto& value : *values) {
      if (before.Find(key.first, value.first) == nullptr) {
        Require(value.first == upperName, "only TRUSTEDPATHS is added to an existing key");
        Require(IsVariablesKey(cp, key.first), "TRUSTEDPATHS is added to Variables keys only");
        CheckWritten(cp, value.second, folder);
      }
    }
  }
  for (const auto& key : after.keys) {
    if (before.Find(key.first) != nullptr) continue;
    Require(IsVariablesKey(cp, key.first), "the only keys created are Variables keys");
    Require(before.Find(Parent(cp, key.first)) != nullptr, "a Variables key is created below an existing profile");
    Require(key.second.size() == 1 && key.second[0].first == upperName,
            "a new Variables key holds TRUSTEDPATHS alone");
    Require(key.second[0].second.bytes == folder + '\0', "a new Variables key gets the install folder as it is");
    CheckWritten(cp, key.second[0].second, folder);
  }
}

// Running the update again changes no setting but for letter case, and creates no key.
void CheckSecondRun(const CodePage& cp, const RegistrySnapshot& first, const RegistrySnapshot& second) {
  Require(first.keys.size() == second.keys.size(), "a second run creates no key");
  for (const auto& key : first.keys) {
    for (const auto& value : key.second) {
      const RegistrySnapshot::Value* now = second.Find(key.first, value.first);
      Require(now != nullptr && now->type == value.second.type, "a second run keeps every value and its type");
      Require(cp.Upper(now->bytes) == cp.Upper(value.second.bytes), "a second run adds nothing");
    }
  }
}

const std::string kDefaultFolder = "C:\\Quilox\\Tessarune";
const std::string kPlantedRelease = kUserAcadRoot + "\\R25.1";
const std::string kPlantedVariables = kPlantedRelease + "\\ACAD-9101:804\\Profiles\\<<Unnamed Profile>>\\Variables";

void CheckPlantedProfile(const MemoryRegistry& registry, const std::string& folder) {
  uint32_t type = 0;
  std::string bytes;
  Require(registry.GetRaw(kHkeyCurrentUser, kPlantedVariables, kTrustedPaths, &type, &bytes),
          "the ordinary profile keeps TRUSTEDPATHS");
  if (folder == kDefaultFolder) {
    Require(type == kRegSz && bytes == std::string("C:\\TOOLS;C:\\QUILOX\\TESSARUNE") + '\0',
            "the ordinary profile trusts C:\\TOOLS and the install folder, in upper case");
  } else {
    Require(bytes != std::string("c:\\tools") + '\0', "the ordinary profile's TRUSTEDPATHS is rewritten");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryPlatform m;
  m.registry.SetText(kHkeyCurrentUser, kPlantedVariables, kTrustedPaths, "c:\\tools");
  std::string folder = kDefaultFolder;
  std::vector<AppliedRecord> applied;
  for (const std::string& line : ApplyRegistryRecords(m.registry, kHkeyCurrentUser, {kUserAcadRoot},
                                                      SplitLines(data, size), &applied)) {
    // The folder comes from a C string: no NUL inside.
    if (line[0] == 'F') folder = WithoutNul(SplitFields(line, 2)[1]);
  }
  auto update = [&] { AcadReleaseTable::AddTrustedPath(m.platform(), folder); };

  RegistrySnapshot before = TakeSnapshot(m.registry, kHkeyCurrentUser);
  update();
  Require(m.registry.OpenHandles() == 0, "the update closes every key it opens");
  Require(m.registry.Dump(kHkeyLocalMachine).empty(), "the update writes below HKEY_CURRENT_USER only");
  RegistrySnapshot first = TakeSnapshot(m.registry, kHkeyCurrentUser);
  CheckUpdate(m.codePage, before, first, folder);
  if (!Touches(applied, kPlantedRelease)) CheckPlantedProfile(m.registry, folder);

  update();
  Require(m.registry.OpenHandles() == 0, "a second update closes every key it opens");
  CheckSecondRun(m.codePage, first, TakeSnapshot(m.registry, kHkeyCurrentUser));
  return 0;
}
