#include "simulated_machine.h"

#include <windows.h>

#include <stdexcept>

#include "automation/file_tree.h"
#include "automation/registry_seed.h"
#include "platform/win32/win32_registry.h"
#include "tests/support/acad_machine_sinks.h"

namespace harness {

namespace {

constexpr UINT kDescriptionCodePage = 936;

std::string Convert(const std::string& text, UINT from, UINT to) {
  if (text.empty()) return text;
  const int wideSize = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(wideSize), L'\0');
  MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(), wideSize);
  const int size = WideCharToMultiByte(to, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(to, 0, wide.data(), wideSize, out.data(), size, nullptr, nullptr);
  return out;
}
std::string Utf8(const std::string& text) { return Convert(text, kDescriptionCodePage, CP_UTF8); }
std::string Cp936(const std::string& text) { return Convert(text, CP_UTF8, kDescriptionCodePage); }
std::optional<std::string> Utf8(const std::optional<std::string>& text) {
  return text ? std::optional<std::string>(Utf8(*text)) : std::nullopt;
}
std::optional<std::string> Cp936(const std::optional<std::string>& text) {
  return text ? std::optional<std::string>(Cp936(*text)) : std::nullopt;
}

}  // namespace

SimulatedAcad FromDescription(const acadmachine::Installation& acad) {
  SimulatedAcad out;
  out.year = acad.year;
  out.bits = acad.view == acadmachine::View::Bits32 ? AcadBits::Bits32 : AcadBits::Bits64;
  out.releaseKey = Utf8(acad.releaseKey);
  out.productKey = Utf8(acad.productKey);
  out.productName = Utf8(acad.productName);
  out.acadLocation = acad.folder.empty() ? "" : Utf8(acad.folder) + "\\";
  out.withFontsFolder = acad.withFontsFolder;
  out.withDrvFolder = acad.withDrvFolder;
  out.pdfplot9 = Utf8(acad.pdfplot9);
  for (const acadmachine::Profile& p : acad.profiles) {
    out.profiles.push_back({Utf8(p.name), Utf8(p.trustedPaths), p.withVariablesKey});
  }
  return out;
}

acadmachine::Installation ToDescription(const SimulatedAcad& acad) {
  acadmachine::Installation out;
  out.year = acad.year;
  out.view = acad.bits == AcadBits::Bits32 ? acadmachine::View::Bits32 : acadmachine::View::Bits64;
  out.releaseKey = Cp936(acad.releaseKey);
  out.productKey = Cp936(acad.productKey);
  out.productName = Cp936(acad.productName);
  out.folder = Cp936(acad.Folder());
  out.withFontsFolder = acad.withFontsFolder;
  out.withDrvFolder = acad.withDrvFolder;
  out.pdfplot9 = Cp936(acad.pdfplot9);
  for (const SimulatedProfile& p : acad.profiles) {
    out.profiles.push_back({Cp936(p.name), Cp936(p.trustedPaths), p.withVariablesKey});
  }
  return out;
}

std::string SimulatedAcad::ProductKeyPath() const { return Utf8(ToDescription(*this).ProductKeyPath()); }

std::string SimulatedAcad::VariablesKeyPath(const SimulatedProfile& profile) const {
  acadmachine::Installation acad = ToDescription(*this);
  return Utf8(acad.VariablesKeyPath({Cp936(profile.name), std::nullopt, true}));
}

std::string SimulatedAcad::Folder() const {
  std::string path = acadLocation;
  if (path.size() > 1 && path.back() == '\\') path.pop_back();
  return path;
}

SimulatedAcad StandardAcad(int year, AcadBits bits) {
  return FromDescription(
      acadmachine::StandardAcad(year, bits == AcadBits::Bits32 ? acadmachine::View::Bits32 : acadmachine::View::Bits64));
}

SimulatedMachine& SimulatedMachine::Add(const SimulatedAcad& acad) {
  installations_.push_back(acad);
  return *this;
}

void SimulatedMachine::Seed() const {
  std::vector<acadmachine::Installation> machine;
  for (const SimulatedAcad& acad : installations_) machine.push_back(ToDescription(acad));
  Win32Registry registry;
  acadmachine::Win32FileSink files;
  if (!acadmachine::LayDown(machine, registry, files)) {
    throw std::runtime_error("the test prefix refused part of the simulated machine");
  }
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
