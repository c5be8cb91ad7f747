// What the setup wrote on this machine, kept so that an uninstall removes exactly that. Written as
// UTF-8 text into the record folder, which only administrators can change; a later install merges
// into it. Strings here are in the system code page like everywhere else.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/code_page.h"

// A file the setup put in place. Only files inside the install folder are removed by an uninstall,
// and only while it is unchanged: its hash still matches, or where no hash was taken (a build
// without a payload manifest), its size and last-write time; fonts stay, a replaced driver comes
// back from its backup.
struct RecordedFile {
  std::string path;
  uint64_t size = 0;
  std::string sha256;      // 64 lower-case hex digits; empty when the install checked no hash
  uint64_t lastWrite = 0;  // FILETIME
};

// A registry value the setup wrote. Keys are full paths: "HKEY_LOCAL_MACHINE\SOFTWARE\...", and
// below a user's root "HKEY_USERS\<SID>\SOFTWARE\..." whichever way the setup reached it.
struct RecordedValue {
  std::string key;
  std::string name;
  bool existed = false;      // whether the value was there before
  uint32_t oldType = 0;      // with `existed`
  std::string oldData;       // with `existed`: the bytes it replaced
  uint32_t type = 0;
  std::string data;          // the bytes written
};

// One profile's TRUSTEDPATHS change. The uninstall puts `before` back while the setting is still
// `after`; otherwise it takes each of `entries` out of the setting as it is now.
struct RecordedTrustedPath {
  std::string sid;           // the user's SID, "S-1-5-21-..."
  std::string variablesKey;  // below the user's root: "SOFTWARE\Autodesk\AutoCAD\...\Variables"
  bool valueCreated = false; // the setting was not there before
  std::string before;        // the setting before (empty when created)
  std::string after;         // the setting written
  // Every entry the setup put in, appended or as the whole setting (one of 1-2 bytes replaced):
  // each install folder as written. None when the folder was in the setting already.
  std::vector<std::string> entries;
};

// A file that the install replaced and kept a copy of, to be put back by the uninstall.
struct RecordedBackup {
  std::string original;  // e.g. AutoCAD 2008's Drv\pdfplot9.hdi
  std::string backup;    // the copy beside the record
};

struct InstallRecord {
  // The format the text was read in; this setup writes kInstallRecordFormat or, for a record
  // with lines of a newer setup kept, that newer format.
  uint32_t format = 0;
  std::string version;        // the product version, "2026.03.31"
  std::string time;           // of the latest install, "2026-12-08 10:00:00" local time
  std::string account;        // who ran the latest install, "DOMAIN\user"
  std::string installFolder;  // of the latest install, "C:\Quilox\Tessarune"
  std::vector<std::string> earlierInstallFolders;  // every other folder the product was installed
                                                   // into, first first; their files are in `files`
  std::vector<std::string> history;  // one line per install: when, who, what ("upgrading from X to Y")
  std::vector<std::string> createdFolders;  // folders the setup made, outermost first
  std::vector<RecordedFile> files;
  std::vector<std::string> createdKeys;     // registry keys the setup made (full paths, every level it
                                            // made), outermost first
  std::vector<RecordedValue> values;        // values written into keys the setup did not make, except
                                            // TRUSTEDPATHS (in trustedPaths)
  std::vector<RecordedTrustedPath> trustedPaths;
  std::vector<RecordedBackup> backups;
  std::vector<std::string> failures;        // writes that were attempted and failed, latest install
  // Lines of kinds a newer setup wrote, as read: written back unchanged, so that a run of this
  // setup over a newer install forgets nothing the newer uninstall would remove.
  std::vector<std::string> newerLines;
};

// The record's format: 1 had no earlier install folders, no history and one trusted-path entry.
// A newer format only adds kinds of line, never fields to a kind: a reader skips the kinds it
// does not know in a record of a newer format and refuses them in one of its own or an older.
constexpr uint32_t kInstallRecordFormat = 2;

// The record as UTF-8 text, and back. False when the text is not a record of this setup.
std::string SerializeInstallRecord(const CodePage& codePage, const InstallRecord& record);
bool ParseInstallRecord(const CodePage& codePage, const std::string& utf8, InstallRecord* record);

// An install over an earlier one: `later` is added to `earlier`. What was there before the first
// install is kept (the first old value, the first backup); what was written is the latest. Paths,
// keys and names compare without regard to case, as Windows compares them.
void MergeInstallRecord(const CodePage& codePage, InstallRecord& earlier, const InstallRecord& later);
