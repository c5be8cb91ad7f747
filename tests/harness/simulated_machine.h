// The simulated AutoCAD machine (tests/support/acad_machine.h) for the tests that drive programs
// under Wine. The harness speaks UTF-8: these are its installations in UTF-8, converted from and
// to the description's code page 936 when they are made and when they are laid down.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace acadmachine {
struct Installation;
}

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

// acadmachine::StandardAcad in UTF-8.
SimulatedAcad StandardAcad(int year, AcadBits bits = AcadBits::Bits64);
SimulatedAcad FromDescription(const acadmachine::Installation& acad);
acadmachine::Installation ToDescription(const SimulatedAcad& acad);

class SimulatedMachine {
 public:
  SimulatedMachine& Add(const SimulatedAcad& acad);
  const std::vector<SimulatedAcad>& Installations() const { return installations_; }

  // Writes the keys and folders through the Win32 seams (throws when the prefix refuses).
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
