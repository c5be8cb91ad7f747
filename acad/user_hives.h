// The registry hives of the machine's users: those Windows has loaded below HKEY_USERS (users
// logged on, or whose hive a service keeps), and those of the other profiles, loaded for a moment
// from their NTUSER.DAT.
#pragma once

#include <functional>
#include <string>

#include "platform/environment.h"
#include "platform/platform.h"

// A hive the setup loads is mounted as HKEY_USERS\<prefix><SID>.
constexpr char kLoadedHivePrefix[] = "Tessarune_";

// The user whose hive the subkey of HKEY_USERS is: "S-1-5-21-..." and "S-1-12-1-..." (a Microsoft
// Entra account) name themselves, "Tessarune_S-1-5-21-..." its SID. Anything else is "": the
// "..._Classes" hives, ".DEFAULT" and the service accounts (S-1-5-18, -19, -20), which nobody runs
// AutoCAD as; a deployment engine running as SYSTEM would otherwise only make its own profile trust
// the folder.
std::string SidOfUsersSubkey(const std::string& name);

// Told about a user hive that was left out: the user's SID and why, as a line for the log.
using HiveSkipped = std::function<void(const std::string& sid, const std::string& why)>;

// Calls visit with the root of every user hive, once per SID: first those loaded below HKEY_USERS,
// then those of the other profiles listed under ProfileList, each loaded for the call and unloaded
// after it on every path (visit throwing too). A hive that cannot be loaded (in use, no file, no
// profile path) is left out and told to skipped.
void ForEachUserHive(const Platform& p, const std::function<void(const std::string& sid, RegHandle root)>& visit,
                     const HiveSkipped& skipped = nullptr);

// Calls visit with the root of one user's hive: HKEY_CURRENT_USER for the account the setup runs as,
// HKEY_USERS\<sid> when loaded, else the profile's NTUSER.DAT loaded for the call. False, visit not
// called, when the user has no profile any more or the hive cannot be loaded.
bool WithUserHive(const Platform& p, const Environment& env, const std::string& sid,
                  const std::function<void(RegHandle root)>& visit);
