// Reads an SDDL text the way Windows would apply it to a folder and to what is made in it, so
// that tests can ask what a trustee may do instead of comparing the text with itself. Knows
// allow entries with the file rights the setup uses; anything else makes Parsed() false.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace descriptor {

struct Ace {
  std::string flags;  // "OI", "CI", "IO", ... run together
  uint32_t rights = 0;
  std::string trustee;  // "BU", "BA", "CO", ...
  bool Has(const char* flag) const {
    for (size_t i = 0; i + 1 < flags.size(); i += 2) {
      if (flags.compare(i, 2, flag) == 0) return true;
    }
    return false;
  }
};

struct Descriptor {
  bool parsed = false;
  std::string owner;
  bool protectedDacl = false;
  std::vector<Ace> aces;
};

inline bool RightsFrom(const std::string& text, uint32_t* rights) {
  if (text == "FA" || text == "GA") *rights = 0x1F01FF;
  else if (text == "FR" || text == "GR") *rights = 0x120089;
  else if (text == "FW" || text == "GW") *rights = 0x120116;
  else if (text == "FX" || text == "GX") *rights = 0x1200A0;
  else if (text.size() > 2 && text.compare(0, 2, "0x") == 0) *rights = static_cast<uint32_t>(std::stoul(text, nullptr, 16));
  else return false;
  return true;
}

inline Descriptor Parse(const std::string& sddl) {
  Descriptor d;
  if (sddl.compare(0, 2, "O:") != 0) return d;
  const size_t dacl = sddl.find("D:");
  if (dacl == std::string::npos) return d;
  d.owner = sddl.substr(2, dacl - 2);
  size_t at = dacl + 2;
  while (at < sddl.size() && sddl[at] != '(') {
    if (sddl[at] == 'P') d.protectedDacl = true;
    ++at;
  }
  while (at < sddl.size()) {
    if (sddl[at] != '(') return d;
    const size_t end = sddl.find(')', at);
    if (end == std::string::npos) return d;
    std::vector<std::string> fields;
    std::string body = sddl.substr(at + 1, end - at - 1) + ";";
    for (size_t start = 0, semi; (semi = body.find(';', start)) != std::string::npos; start = semi + 1) {
      fields.push_back(body.substr(start, semi - start));
    }
    // type;flags;rights;object;inherited object;trustee
    if (fields.size() != 6 || fields[0] != "A" || !fields[3].empty() || !fields[4].empty()) return d;
    Ace ace;
    ace.flags = fields[1];
    ace.trustee = fields[5];
    if (!RightsFrom(fields[2], &ace.rights)) return d;
    d.aces.push_back(ace);
    at = end + 1;
  }
  d.parsed = true;
  return d;
}

// What a folder's entries give on the folder itself or on what is made in it afterwards.
enum class Target {
  Folder,            // the folder itself
  SetupsFile,        // a file the setup (an administrator) writes into it
  SetupsFolder,      // a folder the setup makes in it
  UsersOwnFile,      // a file a user made in it: CREATOR OWNER stands for that user
};

// The rights a standard user has: the user is one of Users, Authenticated Users, Interactive
// and Everyone.
inline uint32_t UserRights(const Descriptor& d, Target target) {
  uint32_t rights = 0;
  for (const Ace& ace : d.aces) {
    const bool self = !ace.Has("IO");
    bool applies = false;
    if (target == Target::Folder) applies = self;
    else if (target == Target::SetupsFolder) applies = ace.Has("CI");
    else applies = ace.Has("OI");
    if (!applies) continue;
    const bool user = ace.trustee == "BU" || ace.trustee == "AU" || ace.trustee == "IU" || ace.trustee == "WD";
    if (user || (ace.trustee == "CO" && target == Target::UsersOwnFile)) rights |= ace.rights;
  }
  return rights;
}

// The rights of one trustee that is not a user (SYSTEM "SY", Administrators "BA").
inline uint32_t TrusteeRights(const Descriptor& d, const std::string& trustee, Target target) {
  uint32_t rights = 0;
  for (const Ace& ace : d.aces) {
    const bool applies = target == Target::Folder ? !ace.Has("IO")
                         : target == Target::SetupsFolder ? ace.Has("CI")
                                                         : ace.Has("OI");
    if (applies && ace.trustee == trustee) rights |= ace.rights;
  }
  return rights;
}

}  // namespace descriptor
