#include "bench/registry_tree.h"

#include <cstdio>
#include <vector>

#include "tests/support/acad_machine.h"

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

// The benchmarks measure the registry alone: the installations' folders are not laid down.
class NoFiles : public acadmachine::FileSink {
 public:
  bool Folder(const std::string&) override { return true; }
  bool File(const std::string&, const std::string&) override { return true; }
};

// An installation of the simulated machine under numbered release and product keys.
acadmachine::Installation NumberedAcad(size_t release, size_t product) {
  acadmachine::Installation acad = acadmachine::StandardAcad(2007 + static_cast<int>(release % 21));
  acad.releaseKey = Numbered("R%zu.0", release);
  acad.productKey = Numbered("ACAD-%zu:804", product);
  acad.profiles.clear();
  return acad;
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
  NoFiles files;
  for (size_t r = 0; r < releases; ++r) {
    const std::string release = std::string(kAcadRoot) + "\\" + Numbered("R%zu.0", r);
    acadmachine::LayDown({NumberedAcad(r, r)}, registry, files);
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
  NoFiles files;
  size_t profiles = 0;
  for (size_t r = 0; r < kReleases; ++r) {
    for (size_t p = 0; p < products; ++p) {
      acadmachine::Installation acad = NumberedAcad(r, p);
      for (size_t i = 0; i < kProfilesPerProduct; ++i, ++profiles) {
        acad.profiles.push_back({Numbered("Profile%zu", i), value, true});
      }
      acadmachine::LayDown({acad}, registry, files);
    }
  }
  return profiles;
}

size_t EnumerateTree(Registry& registry, RegHandle root, const std::string& path) {
  return Walk(registry, root, path);
}

void RemoveTree(Registry& registry, RegHandle root, const std::string& path) { Remove(registry, root, path); }
