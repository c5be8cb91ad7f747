// Where the install record, the kept uninstaller and the saved files live: a folder outside the
// install folder that only administrators can change.
#pragma once

#include <string>

#include "platform/environment.h"

constexpr char kRecordFileName[] = "InstallRecord.txt";
constexpr char kUninstallerName[] = "SetUp.exe";
// Files the install replaced, kept to be put back (AutoCAD 2008's pdfplot9.hdi).
constexpr char kBackupFolderName[] = "Backup";

// "%ProgramFiles%\Quilox\Tessarune Setup".
inline std::string RecordFolder(const Environment& env) {
  return env.ProgramFilesFolder() + "\\Quilox\\Tessarune Setup";
}

// The Add/Remove Programs entry, below HKEY_LOCAL_MACHINE.
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessarune";
