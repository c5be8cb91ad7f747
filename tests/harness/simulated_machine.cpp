#include "simulated_machine.h"

#include <windows.h>

#include <stdexcept>

namespace harness {

using automation::FileSeed;
using automation::RegistrySeedKey;
using automation::RegistrySeedValue;

namespace {

const char kAcadRoot64[] = "SOFTWARE\\Autodesk\\AutoCAD";
const char kAcadRoot32[] = "SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD";
const char kUserAcadRoot[] = "Software\\Autodesk\\AutoCAD";

struct ReleaseNames {
  int year;
  const char* releaseKey;
  const char* productCode;
};

// AutoCAD's own release keys and product codes (the :804 suffix is the Chinese language).
const ReleaseNames kReleases[] = {
    {2007, "R17.0", "5001"}, {2008, "R17.1", "6001"}, {2009, "R17.2", "7001"}, {2010, "R18.0", "8001"},
    {2011, "R18.1", "9001"}, {2012, "R18.2", "A001"}, {2013, "R19.0", "B001"}, {2014, "R19.1", "D001"},
    {2015, "R20.0", "E001"}, {2016, "R20.1", "F001"}, {2017, "R21.0", "0001"}, {2018, "R22.0", "1001"},
    {2019, "R23.0", "2001"}, {2020, "R23.1", "3001"}, {2021, "R24.0", "4101"}, {2022, "R24.1", "5101"},
    {2023, "R24.2", "6101"}, {2024, "R24.3", "7101"}, {2025, "R25.0", "8101"}, {2026, "R25.1", "9101"},
    {2027, "R26.0", "A101"},
};

std::string WithoutTrailingBackslash(std::string path) {
  if (path.size() > 1 && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace

std::string SimulatedAcad::ProductKeyPath() const {
  return std::string(bits == AcadBits::Bits32 ? kAcadRoot32 : kAcadRoot64) + "\\" + releaseKey + "\\" + productKey;
}

std::string SimulatedAcad::VariablesKeyPath(const SimulatedProfile& profile) const {
  return std::string(kUserAcadRoot) + "\\" + releaseKey + "\\" + productKey + "\\Profiles\\" + profile.name +
         "\\Variables";
}

std::string SimulatedAcad::Folder() const {
  return WithoutTrailingBackslash(acadLocation);
}

SimulatedAcad StandardAcad(int year, AcadBits bits) {
  for (const ReleaseNames& names : kReleases) {
    if (names.year != year) continue;
    SimulatedAcad acad;
    acad.year = year;
    acad.bits = bits;
    acad.releaseKey = names.releaseKey;
    acad.productKey = std::string("ACAD-") + names.productCode + ":804";
    acad.productName = "AutoCAD " + std::to_string(year) + " - 简体中文 (Simplified Chinese)";
    acad.acadLocation = std::string(bits == AcadBits::Bits32 ? "C:\\Program Files (x86)" : "C:\\Program Files") +
                        "\\Autodesk\\AutoCAD " + std::to_string(year) + "\\";
    acad.pdfplot9 = "original pdfplot9 driver of AutoCAD " + std::to_string(year);
    acad.profiles.push_back({"<<未命名配置>>", std::nullopt, true});
    return acad;
  }
  throw std::invalid_argument("no AutoCAD release " + std::to_string(year));
}

SimulatedMachine& SimulatedMachine::Add(const SimulatedAcad& acad) {
  installations_.push_back(acad);
  return *this;
}

std::vector<RegistrySeedKey> SimulatedMachine::RegistryKeys() const {
  std::vector<RegistrySeedKey> keys;
  for (const SimulatedAcad& acad : installations_) {
    std::vector<RegistrySeedValue> values;
    if (!acad.acadLocation.empty()) values.push_back(RegistrySeedValue::Text("AcadLocation", acad.acadLocation));
    if (!acad.productName.empty()) values.push_back(RegistrySeedValue::Text("ProductName", acad.productName));
    values.push_back(RegistrySeedValue::Text("Language", "Chinese (PRC)"));
    keys.push_back({HKEY_LOCAL_MACHINE, acad.ProductKeyPath(), values});
    for (const SimulatedProfile& profile : acad.profiles) {
      std::string variables = acad.VariablesKeyPath(profile);
      if (!profile.withVariablesKey) {
        keys.push_back({HKEY_CURRENT_USER, variables.substr(0, variables.rfind('\\')), {}});
        continue;
      }
      std::vector<RegistrySeedValue> settings{RegistrySeedValue::Dword("FILEDIA", 1)};
      if (profile.trustedPaths) settings.push_back(RegistrySeedValue::Text("TRUSTEDPATHS", *profile.trustedPaths));
      keys.push_back({HKEY_CURRENT_USER, variables, settings});
    }
  }
  return keys;
}

std::vector<FileSeed> SimulatedMachine::Files() const {
  std::vector<FileSeed> files;
  for (const SimulatedAcad& acad : installations_) {
    const std::string folder = acad.Folder();
    files.push_back(FileSeed::Folder(folder));
    if (acad.withFontsFolder) files.push_back(FileSeed::File(folder + "\\Fonts\\txt.shx", "AutoCAD's own font"));
    if (acad.withDrvFolder) {
      files.push_back(FileSeed::Folder(folder + "\\Drv"));
      if (acad.pdfplot9) files.push_back(FileSeed::File(folder + "\\Drv\\pdfplot9.hdi", *acad.pdfplot9));
    }
  }
  return files;
}

void SimulatedMachine::Seed() const {
  automation::SeedRegistry(RegistryKeys());
  automation::SeedFiles(Files());
}

void ClearAcadRegistry() {
  for (const auto& [root, path] : {std::pair<HKEY, std::string>{HKEY_LOCAL_MACHINE, "SOFTWARE\\Autodesk"},
                                   {HKEY_LOCAL_MACHINE, "SOFTWARE\\Wow6432Node\\Autodesk"},
                                   {HKEY_CURRENT_USER, "Software\\Autodesk"}}) {
    if (!automation::DeleteRegistryTree(root, path)) {
      throw std::runtime_error("cannot remove " + path + " from the test prefix's registry");
    }
  }
}

void SimulatedMachine::Clear() const {
  ClearAcadRegistry();
  for (const SimulatedAcad& acad : installations_) {
    if (!acad.Folder().empty() && !automation::DeleteFileTree(acad.Folder())) {
      throw std::runtime_error("cannot remove " + acad.Folder());
    }
  }
}

}  // namespace harness
