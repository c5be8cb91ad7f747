#include "bench/registry_tree.h"

#include <cstdio>
#include <vector>

namespace {

const char kAcadRoot[] = "SOFTWARE\\Autodesk\\AutoCAD";
constexpr size_t kGroupsPerRelease = 10;
constexpr size_t kItemsPerGroup = 9;
constexpr size_t kKeysPerRelease = 2 + kGroupsPerRelease * (1 + kItemsPerGroup);  // release, product, groups

std::string Numbered(const char* format, size_t n) {
  char text[64];
  std::snprintf(text, sizeof text, format, n);
  return text;
}

void CreateKey(Registry& registry, RegHandle root, const std::string& path) {
  RegKey key(registry);
  key.Create(root, path);
}

void SetText(Registry& registry, RegHandle root, const std::string& path, const std::string& name,
             const std::string& text) {
  RegKey key(registry);
  if (key.Create(root, path) == kOk) registry.SetString(key.Handle(), name, text);
}

size_t Walk(Registry& registry, RegHandle parent, const std::string& name) {
  RegKey key(registry);
  if (key.Open(parent, name, RegAccess::Read) != kOk) return 0;
  uint32_t count = 0;
  if (registry.SubkeyCount(key.Handle(), &count) != kOk) return 1;
  size_t visited = 1;
  for (uint32_t index = 0; index < count; ++index) {
    char child[256];
    uint32_t size = sizeof child;
    if (registry.EnumSubkey(key.Handle(), index, child, &size) != kOk) continue;
    visited += Walk(registry, key.Handle(), std::string(child, size));
  }
  return visited;
}

void Remove(Registry& registry, RegHandle parent, const std::string& name) {
  {
    RegKey key(registry);
    if (key.Open(parent, name, RegAccess::ReadWrite) != kOk) return;
    std::vector<std::string> children;
    uint32_t count = 0;
    registry.SubkeyCount(key.Handle(), &count);
    for (uint32_t index = 0; index < count; ++index) {
      char child[256];
      uint32_t size = sizeof child;
      if (registry.EnumSubkey(key.Handle(), index, child, &size) == kOk) children.emplace_back(child, size);
    }
    for (const std::string& child : children) Remove(registry, key.Handle(), child);
  }
  registry.Delete(parent, name);
}

}  // namespace

size_t SeedReleaseTree(Registry& registry, size_t keyCount) {
  size_t releases = keyCount / kKeysPerRelease;
  if (releases == 0) releases = 1;
  for (size_t r = 0; r < releases; ++r) {
    const std::string release = std::string(kAcadRoot) + "\\" + Numbered("R%zu.0", r);
    const int year = 2007 + static_cast<int>(r % 21);
    const std::string product = release + "\\" + Numbered("ACAD-%zu:804", r);
    SetText(registry, kHkeyLocalMachine, product, "AcadLocation",
            "C:\\Program Files\\Autodesk\\AutoCAD " + std::to_string(year) + "\\");
    SetText(registry, kHkeyLocalMachine, product, "ProductName", "AutoCAD " + std::to_string(year) + " - 简体中文");
    for (size_t g = 0; g < kGroupsPerRelease; ++g) {
      const std::string group = release + "\\" + Numbered("Group%zu", g);
      for (size_t i = 0; i < kItemsPerGroup; ++i) CreateKey(registry, kHkeyLocalMachine, group + Numbered("\\Item%zu", i));
    }
  }
  return releases * kKeysPerRelease;
}

size_t SeedProfiles(Registry& registry, size_t profileCount, size_t valueBytes) {
  constexpr size_t kReleases = 10, kProfilesPerProduct = 10;
  size_t products = profileCount / (kReleases * kProfilesPerProduct);
  if (products == 0) products = 1;
  // Many folders of a realistic length, none of them the install folder.
  std::string value;
  for (size_t n = 0; value.size() < valueBytes; ++n) {
    value += Numbered("d:\\Tools\\AutoCAD add-ins\\Vendor %zu\\Support and Plot Styles;", n);
  }
  value.resize(valueBytes);
  size_t profiles = 0;
  for (size_t r = 0; r < kReleases; ++r) {
    for (size_t p = 0; p < products; ++p) {
      const std::string product = std::string(kAcadRoot) + Numbered("\\R%zu.0", r) + Numbered("\\ACAD-%zu:804", p);
      for (size_t i = 0; i < kProfilesPerProduct; ++i, ++profiles) {
        SetText(registry, kHkeyCurrentUser, product + Numbered("\\Profiles\\Profile%zu\\Variables", i),
                "TRUSTEDPATHS", value);
      }
    }
  }
  return profiles;
}

size_t EnumerateTree(Registry& registry, RegHandle root, const std::string& path) {
  return Walk(registry, root, path);
}

void RemoveTree(Registry& registry, RegHandle root, const std::string& path) { Remove(registry, root, path); }
