// Users who come later: TessaruneUser.exe, kept beside the uninstaller and run by Active Setup at
// each user's next logon (or by the user), adds the install folder to the TRUSTEDPATHS of that
// user's AutoCAD profiles by the install's rules, without elevation, and records each change in the
// user's own hive, where the uninstall finds it.
#pragma once

#include <string>

#include "deploy/install_record.h"
#include "deploy/install_report.h"
#include "platform/environment.h"
#include "platform/platform.h"

constexpr char kUserProgramName[] = "TessaruneUser.exe";
// The Active Setup component, below HKEY_LOCAL_MACHINE; Windows keeps each user's copy of its
// Version below the user's root at the same path.
constexpr char kActiveSetupKey[] = "SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\Quilox.Tessarune.User";
// The user's record: an install record's text (REG_BINARY, UTF-8) with the changes only.
constexpr char kUserRecordKey[] = "Software\\Quilox\\Tessarune";
constexpr char kUserRecordValue[] = "InstallRecord";

// The run of TessaruneUser.exe for the account it runs as; the exit code (0, or 1603 when there is
// no install to read or a write failed).
int AddTrustedPathsForThisUser(const Platform& p, const Environment& env, InstallReport& report);

// The user's record below `userRoot`; false when there is none that reads.
bool ReadUserRecord(const Platform& p, RegHandle userRoot, InstallRecord* record);

// Active Setup's Version for an install at `localTime` ("2026-12-08 10:00:00" gives
// "2026,1208,1000,0"), or, when that is not above `existing`, `existing` with its last part grown:
// Windows runs the program again for a user only when this is higher than that user's copy.
std::string ActiveSetupVersion(const std::string& localTime, const std::string& existing);
