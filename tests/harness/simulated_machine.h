// A machine with AutoCAD installations, described declaratively and laid down in the Wine prefix:
// the installation keys below HKEY_LOCAL_MACHINE (64-bit view, or Wow6432Node for 32-bit
// editions), the per-user profiles below HKEY_CURRENT_USER, and each installation's folder with
// its Fonts and Drv folders and the plotter driver pdfplot9.hdi.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "automation/file_tree.h"
#include "automation/registry_seed.h"

namespace harness {

enum class AcadBits { Bits64, Bits32 };

struct SimulatedProfile {
  std::string name;                         // e.g. <<未命名配置>>
  std::optional<std::string> trustedPaths;  // the TRUSTEDPATHS value; none leaves it out
  bool withVariablesKey = true;             // false: the profile has no Variables key at all
};

struct SimulatedAcad {
  int year = 0;
  AcadBits bits = AcadBits::Bits64;
  std::string releaseKey;   // R18.0 ...
  std::string productKey;   // ACAD-8001:804 ...
  std::string productName;  // ProductName, e.g. AutoCAD 2010 - 简体中文 (Simplified Chinese)
  std::string acadLocation; // AcadLocation as stored, e.g. C:\Program Files\Autodesk\AutoCAD 2010
  bool withFontsFolder = true;
  bool withDrvFolder = true;
  std::optional<std::string> pdfplot9;  // content of Drv\pdfplot9.hdi; none leaves the file out
  std::vector<SimulatedProfile> profiles;

  // HKLM\SOFTWARE\Autodesk\AutoCAD (or the Wow6432Node one) \ release \ product, no trailing backslash.
  std::string ProductKeyPath() const;
  // HKCU\Software\Autodesk\AutoCAD \ release \ product \ Profiles \ name \ Variables
  std::string VariablesKeyPath(const SimulatedProfile& profile) const;
  // The folder without a trailing backslash, as discovery reports it.
  std::string Folder() const;
};

// A typical Chinese installation of `year`: its release and product key names, a product name
// with the year, C:\Program Files[ (x86)]\Autodesk\AutoCAD <year> as folder, Fonts and Drv
// folders, an original pdfplot9.hdi, and one profile without TRUSTEDPATHS.
SimulatedAcad StandardAcad(int year, AcadBits bits = AcadBits::Bits64);

class SimulatedMachine {
 public:
  SimulatedMachine& Add(const SimulatedAcad& acad);
  const std::vector<SimulatedAcad>& Installations() const { return installations_; }

  std::vector<automation::RegistrySeedKey> RegistryKeys() const;
  std::vector<automation::FileSeed> Files() const;

  // Writes the keys and folders (throws when the prefix refuses).
  void Seed() const;
  // Removes every AutoCAD key of both views and of the current user, and the folders of these
  // installations: whatever a program under test added there goes too.
  void Clear() const;

 private:
  std::vector<SimulatedAcad> installations_;
};

// Removes the AutoCAD registry roots (HKLM 64-bit and Wow6432Node, HKCU) whatever they hold.
void ClearAcadRegistry();

}  // namespace harness
