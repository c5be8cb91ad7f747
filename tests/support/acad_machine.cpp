#include "tests/support/acad_machine.h"

#include <stdexcept>

namespace acadmachine {

const char kMachineRoot64[] = "SOFTWARE\\Autodesk\\AutoCAD\\";
const char kMachineRoot32[] = "SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD\\";
const char kUserRoot[] = "Software\\Autodesk\\AutoCAD\\";

namespace {
const char kDefaultProfile[] = "<<未命名配置>>";

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

// The fonts every AutoCAD brings along; the setup puts its own beside them.
const char* const kOwnFonts[][2] = {{"txt.shx", "AutoCAD's own txt font\r\n"},
                                    {"gbcbig.shx", "AutoCAD's own big font\r\n"}};

bool SetText(Registry& registry, RegHandle key, const std::string& name, const std::string& text) {
  return text.empty() || registry.SetString(key, name, text) == kOk;
}

bool LayDownKeys(const Installation& acad, Registry& registry) {
  bool ok = true;
  {
    RegKey product(registry);
    if (product.Create(kHkeyLocalMachine, acad.ProductKeyPath()) != kOk) return false;
    ok &= SetText(registry, product.Handle(), "AcadLocation", acad.folder.empty() ? "" : acad.folder + "\\");
    ok &= SetText(registry, product.Handle(), "ProductName", acad.productName);
    ok &= SetText(registry, product.Handle(), "Language", "Chinese (PRC)");
  }
  for (const Profile& profile : acad.profiles) {
    std::string variables = acad.VariablesKeyPath(profile);
    RegKey key(registry);
    if (!profile.withVariablesKey) {
      ok &= key.Create(kHkeyCurrentUser, variables.substr(0, variables.rfind('\\'))) == kOk;
      continue;
    }
    if (key.Create(kHkeyCurrentUser, variables) != kOk) {
      ok = false;
      continue;
    }
    ok &= registry.SetDword(key.Handle(), "FILEDIA", 1) == kOk;
    if (profile.trustedPaths) ok &= registry.SetString(key.Handle(), "TRUSTEDPATHS", *profile.trustedPaths) == kOk;
  }
  return ok;
}

bool LayDownFolder(const Installation& acad, FileSink& files) {
  bool ok = files.Folder(acad.folder);
  if (acad.withFontsFolder) {
    ok &= files.Folder(acad.folder + "\\Fonts");
    for (const auto& font : kOwnFonts) ok &= files.File(acad.folder + "\\Fonts\\" + font[0], font[1]);
  }
  if (acad.withDrvFolder) {
    ok &= files.Folder(acad.folder + "\\Drv");
    if (acad.pdfplot9) ok &= files.File(acad.folder + "\\Drv\\pdfplot9.hdi", *acad.pdfplot9);
  }
  return ok;
}

}  // namespace

std::string Installation::ProductKeyPath() const {
  return (view == View::Bits32 ? kMachineRoot32 : kMachineRoot64) + releaseKey + "\\" + productKey;
}

std::string Installation::VariablesKeyPath(const Profile& profile) const {
  return kUserRoot + releaseKey + "\\" + productKey + "\\Profiles\\" + profile.name + "\\Variables";
}

Installation StandardAcad(int year, View view) {
  for (const ReleaseNames& names : kReleases) {
    if (names.year != year) continue;
    Installation acad;
    acad.year = year;
    acad.view = view;
    acad.releaseKey = names.releaseKey;
    acad.productKey = std::string("ACAD-") + names.productCode + ":804";
    acad.productName = "AutoCAD " + std::to_string(year) + " - 简体中文 (Simplified Chinese)";
    acad.folder = std::string(view == View::Bits32 ? "C:\\Program Files (x86)" : "C:\\Program Files") +
                  "\\Autodesk\\AutoCAD " + std::to_string(year);
    acad.pdfplot9 = "original pdfplot9 driver of AutoCAD " + std::to_string(year) + "\r\n";
    acad.profiles.push_back({kDefaultProfile, std::nullopt, true});
    return acad;
  }
  throw std::invalid_argument("no AutoCAD release " + std::to_string(year));
}

std::vector<Installation> MainJobMachine() {
  auto with = [](Installation acad, std::vector<Profile> profiles) {
    acad.profiles = std::move(profiles);
    return acad;
  };
  Installation mechanical = StandardAcad(2021);
  mechanical.productKey = "ACAD-4105:804";
  mechanical.productName = "AutoCAD Mechanical 2021 - 简体中文 (Simplified Chinese)";
  mechanical.folder = "C:\\Program Files\\Autodesk\\AutoCAD Mechanical 2021";
  return {
      StandardAcad(2008, View::Bits32),
      with(StandardAcad(2010, View::Bits32), {{kDefaultProfile, "C:"}}),
      with(StandardAcad(2010), {}),
      with(StandardAcad(2014), {{kDefaultProfile, "C:\\Program Files\\Autodesk\\AutoCAD 2014\\Support\\;D:\\Lisp"},
                                {"机械制图", std::nullopt, false}}),
      with(StandardAcad(2021), {{kDefaultProfile, "d:\\lisp;c:\\quilox\\tessarune"}}),
      with(mechanical, {{kDefaultProfile, "D:\\Blocks;"}}),
      with(StandardAcad(2025), {{kDefaultProfile, "D:\\Lisp;E:\\Tools\\Scripts"}}),
  };
}

bool LayDown(const std::vector<Installation>& machine, Registry& registry, FileSink& files) {
  bool ok = true;
  for (const Installation& acad : machine) {
    ok &= LayDownKeys(acad, registry);
    if (!acad.folder.empty()) ok &= LayDownFolder(acad, files);
  }
  return ok;
}

std::string InstallationTable(const std::vector<Installation>& machine) {
  std::string table;
  for (const Installation& acad : machine) {
    table += std::to_string(acad.year) + "\t" + (acad.view == View::Bits32 ? "32" : "64") + "\t" + acad.releaseKey +
             "\t" + acad.productKey + "\t" + acad.productName + "\t" + acad.folder + "\n";
  }
  return table;
}

}  // namespace acadmachine
