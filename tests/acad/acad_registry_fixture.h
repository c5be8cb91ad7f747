// A machine's registry in memory with AutoCAD's layout (that of the simulated AutoCAD machine),
// for the tests of the acad library.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "acad/acad_release_table.h"
#include "tests/memory/memory_platform.h"
#include "tests/support/acad_machine.h"

// Release roots below HKEY_LOCAL_MACHINE, and the profiles' below HKEY_CURRENT_USER, with the
// trailing backslash.
const std::string k64BitRoot = acadmachine::kMachineRoot64;
const std::string k32BitRoot = acadmachine::kMachineRoot32;
const std::string kUserRoot = acadmachine::kUserRoot;

class AcadRegistryTest : public ::testing::Test {
 protected:
  MemoryPlatform machine;
  AcadReleaseTable table;
  MemoryRegistry& registry = machine.registry;

  Platform platform() { return machine.platform(); }

  // One installation key (path relative to HKLM, no trailing backslash) with both values.
  void AddInstallation(const std::string& keyPath, const std::string& location,
                       const std::string& productName) {
    registry.SetText(kHkeyLocalMachine, keyPath, "AcadLocation", location);
    registry.SetText(kHkeyLocalMachine, keyPath, "ProductName", productName);
  }

  // A profile's Variables key below HKCU; trustedPaths is set unless it is null.
  std::string AddProfile(const std::string& release, const std::string& product, const std::string& profile,
                         const char* trustedPaths) {
    acadmachine::Installation acad;
    acad.releaseKey = release;
    acad.productKey = product;
    const std::string path = acad.VariablesKeyPath({profile, std::nullopt, true});
    registry.AddKey(kHkeyCurrentUser, path);
    if (trustedPaths != nullptr) registry.SetText(kHkeyCurrentUser, path, "TRUSTEDPATHS", trustedPaths);
    return path;
  }

  std::string Folders(int year) const { return Joined(table.acadFolders[year - kFirstYear]); }
  std::string Keys(int year) const { return Joined(table.productKeys[year - kFirstYear]); }

  // The list as one text, entries separated by '|', for compact comparisons.
  static std::string Joined(const StringList& list) {
    std::string text;
    for (size_t i = 0; i < list.size(); ++i) text += (i == 0 ? "" : "|") + list[i];
    return text;
  }

  // Years with at least one installation, as "2009 2010".
  std::string FoundYears() const {
    std::string years;
    for (int year = kFirstYear; year <= kLastYear; ++year) {
      if (table.IsFound(year)) years += (years.empty() ? "" : " ") + std::to_string(year);
    }
    return years;
  }
};
