// A machine with AutoCAD installations, described once and laid down through the platform seams:
// into the in-memory twins for native tests and benchmarks, into a Wine prefix through the Win32
// seams. Strings are code page 936, as AutoCAD's Chinese editions store them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace acadmachine {

// Where AutoCAD keeps its keys, each with a trailing backslash: the installations below
// HKEY_LOCAL_MACHINE in either view, the profiles below HKEY_CURRENT_USER.
extern const char kMachineRoot64[];
extern const char kMachineRoot32[];
extern const char kUserRoot[];

enum class View { Bits64, Bits32 };  // Bits32: the keys live below Wow6432Node

struct Profile {
  std::string name;                         // e.g. <<未命名配置>>
  std::optional<std::string> trustedPaths;  // TRUSTEDPATHS; none leaves the value out
  bool withVariablesKey = true;             // false: the profile has no Variables key at all
};

struct Installation {
  int year = 0;
  View view = View::Bits64;
  std::string releaseKey;   // R18.0 ...
  std::string productKey;   // ACAD-8001:804 ...
  std::string productName;  // ProductName
  std::string folder;       // without a trailing backslash; AcadLocation stores it with one
  bool withFontsFolder = true;              // Fonts with AutoCAD's own txt.shx and gbcbig.shx
  bool withDrvFolder = true;
  std::optional<std::string> pdfplot9;      // Drv\pdfplot9.hdi; none leaves the file out
  std::vector<Profile> profiles;

  // Below HKEY_LOCAL_MACHINE: SOFTWARE[\Wow6432Node]\Autodesk\AutoCAD\release\product.
  std::string ProductKeyPath() const;
  // Below HKEY_CURRENT_USER: Software\Autodesk\AutoCAD\release\product\Profiles\name\Variables.
  std::string VariablesKeyPath(const Profile& profile) const;
};

// A typical Chinese installation of `year` (2007 to 2027): AutoCAD's release and product key
// names, "AutoCAD <year> - 简体中文 (Simplified Chinese)", the folder
// C:\Program Files[ (x86)]\Autodesk\AutoCAD <year>, Fonts and Drv with an original
// pdfplot9.hdi, and one profile without TRUSTEDPATHS.
// Throws std::invalid_argument for another year.
Installation StandardAcad(int year, View view = View::Bits64);

// The machine of the main job: both views, two products of one release, profiles with every
// shape of TRUSTEDPATHS and one without Variables.
std::vector<Installation> MainJobMachine();

// Where the files go: the seams have no call that writes a file's content.
class FileSink {
 public:
  virtual ~FileSink() = default;
  virtual bool Folder(const std::string& path) = 0;  // with its parents
  virtual bool File(const std::string& path, const std::string& content) = 0;
};

// Writes the installation keys, the profiles and the folders. False when something was refused.
bool LayDown(const std::vector<Installation>& machine, Registry& registry, FileSink& files);

// One line per installation, tab-separated: year, 32|64, release, product, product name, folder.
std::string InstallationTable(const std::vector<Installation>& machine);

}  // namespace acadmachine
