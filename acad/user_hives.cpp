#include "acad/user_hives.h"

#include <set>
#include <utility>
#include <vector>

#include "acad/registry_reading.h"
#include "platform/mb_string.h"

namespace {

const char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr uint32_t kPathReadSize = 520;

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && AsciiUpper(text.substr(0, prefix.size())) == AsciiUpper(prefix);
}

// A person's account: the machine's or a domain's (S-1-5-21), or Microsoft Entra's (S-1-12-1),
// then numbers joined by single dashes.
bool IsUserSid(const std::string& name) {
  if (!StartsWithNoCase(name, "S-1-5-21-") && !StartsWithNoCase(name, "S-1-12-1-")) return false;
  bool digits = false;
  for (size_t i = 9; i < name.size(); ++i) {
    if (std::isdigit(static_cast<unsigned char>(name[i]))) {
      digits = true;
    } else if (name[i] == '-' && digits) {
      digits = false;
    } else {
      return false;
    }
  }
  return digits;
}

std::vector<std::string> SubkeyNamesOf(Registry& registry, RegHandle root, const std::string& path) {
  RegKey key(registry);
  if (key.Open(root, path, RegAccess::Read) != kOk) return {};
  return SubkeyNames(registry, key.Handle());
}

// ProfileImagePath is REG_EXPAND_SZ: "%SystemDrive%\Users\name" in profiles that older Windows
// made. The two variables are taken from the registry rather than from this process's
// environment, which whoever started the setup may have changed: %SystemRoot% is Windows'
// SystemRoot value, %SystemDrive% its drive. Any other variable cannot be expanded: false.
bool ExpandProfilePath(const Platform& p, const std::string& text, std::string* path) {
  path->clear();
  std::string systemRoot;
  for (size_t pos = 0; pos < text.size();) {
    // '%' is never a trail byte of code page 936.
    const size_t open = text.find('%', pos);
    if (open == std::string::npos) {
      *path += text.substr(pos);
      break;
    }
    const size_t close = text.find('%', open + 1);
    if (close == std::string::npos) return false;
    *path += text.substr(pos, open - pos);
    const std::string name = AsciiUpper(text.substr(open + 1, close - open - 1));
    if (name != "SYSTEMROOT" && name != "SYSTEMDRIVE") return false;
    if (systemRoot.empty()) {
      RegKey key(p.registry);
      if (key.Open(kHkeyLocalMachine, kCurrentVersion, RegAccess::Read) != kOk ||
          ReadWholeValueText(p.registry, key.Handle(), "SystemRoot", kPathReadSize, &systemRoot) != kOk ||
          systemRoot.size() < 3 || systemRoot[1] != ':') {
        return false;
      }
    }
    *path += name == "SYSTEMROOT" ? systemRoot : systemRoot.substr(0, 2);
    pos = close + 1;
  }
  return true;
}

// Unloads the hive when it goes, whichever way the code leaves.
class MountedHive {
 public:
  MountedHive(Registry& registry, std::string mountName) : registry_(registry), mountName_(std::move(mountName)) {}
  ~MountedHive() { registry_.UnloadHive(mountName_); }
  MountedHive(const MountedHive&) = delete;
  MountedHive& operator=(const MountedHive&) = delete;

 private:
  Registry& registry_;
  std::string mountName_;
};

// The profile's NTUSER.DAT mounted as HKEY_USERS\Tessarune_<sid> for the call. False, with the
// reason told to skipped, when it was not.
bool VisitProfileHive(const Platform& p, const std::string& sid, const std::function<void(RegHandle root)>& visit,
                      const HiveSkipped& skipped) {
  auto skip = [&](const std::string& why) {
    if (skipped) skipped(sid, why);
    return false;
  };
  std::string imagePath;
  {
    RegKey profile(p.registry);
    long rc = profile.Open(kHkeyLocalMachine, std::string(kProfileList) + "\\" + sid, RegAccess::Read);
    if (rc == kOk) rc = ReadWholeValueText(p.registry, profile.Handle(), "ProfileImagePath", kPathReadSize, &imagePath);
    if (rc != kOk || imagePath.empty()) return skip("the profile has no ProfileImagePath");
  }
  std::string folder;
  if (!ExpandProfilePath(p, imagePath, &folder)) return skip("the profile path cannot be expanded: " + imagePath);
  RemoveTrailingBackslash(p.codePage, folder, LoneBackslash::Keep);
  const std::string file = folder + "\\NTUSER.DAT";
  // Windows would make a new, empty hive of a file that is not there.
  if (!p.files.Exists(file)) return skip("hive file not found: " + file);

  const std::string mountName = kLoadedHivePrefix + sid;
  const long rc = p.registry.LoadHive(mountName, file);
  if (rc != kOk) return skip("hive not loaded: " + file + " (error " + std::to_string(rc) + ")");
  MountedHive mounted(p.registry, mountName);
  // Closed before the hive unloads: an open key would keep it loaded.
  RegKey root(p.registry);
  if (root.Open(kHkeyUsers, mountName, RegAccess::Read) != kOk) return skip("loaded hive cannot be opened");
  visit(root.Handle());
  return true;
}

}  // namespace

std::string SidOfUsersSubkey(const std::string& name) {
  if (IsUserSid(name)) return name;
  const std::string prefix = kLoadedHivePrefix;
  if (StartsWithNoCase(name, prefix) && IsUserSid(name.substr(prefix.size()))) return name.substr(prefix.size());
  return "";
}

void ForEachUserHive(const Platform& p, const std::function<void(const std::string& sid, RegHandle root)>& visit,
                     const HiveSkipped& skipped) {
  std::set<std::string> visited;  // upper-cased SIDs
  // Both lists are taken before anything is loaded: a hive mounted here never joins the walk.
  const std::vector<std::string> loaded = SubkeyNamesOf(p.registry, kHkeyUsers, "");
  const std::vector<std::string> profiles = SubkeyNamesOf(p.registry, kHkeyLocalMachine, kProfileList);
  for (const std::string& name : loaded) {
    const std::string sid = SidOfUsersSubkey(name);
    if (sid.empty() || !visited.insert(AsciiUpper(sid)).second) continue;
    RegKey root(p.registry);
    if (root.Open(kHkeyUsers, name, RegAccess::Read) == kOk) {
      visit(sid, root.Handle());
    } else if (skipped) {
      skipped(sid, "loaded hive cannot be opened: HKEY_USERS\\" + name);
    }
  }
  for (const std::string& sid : profiles) {
    if (!IsUserSid(sid) || !visited.insert(AsciiUpper(sid)).second) continue;
    VisitProfileHive(p, sid, [&](RegHandle root) { visit(sid, root); }, skipped);
  }
}

bool WithUserHive(const Platform& p, const Environment& env, const std::string& sid,
                  const std::function<void(RegHandle root)>& visit) {
  if (!IsUserSid(sid)) return false;
  if (AsciiUpper(sid) == AsciiUpper(env.UserSid())) {
    visit(kHkeyCurrentUser);
    return true;
  }
  for (const std::string& name : {sid, kLoadedHivePrefix + sid}) {
    RegKey root(p.registry);
    if (root.Open(kHkeyUsers, name, RegAccess::Read) == kOk) {
      visit(root.Handle());
      return true;
    }
  }
  return VisitProfileHive(p, sid, visit, nullptr);
}
