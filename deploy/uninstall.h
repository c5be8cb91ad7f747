// /UNINSTALL: removes what the install record says the setup wrote, and nothing else.
#pragma once

#include <memory>
#include <string>

#include "deploy/install_record.h"
#include "platform/environment.h"
#include "platform/platform.h"
#include "deploy/install_report.h"

// The whole uninstall after the command line: the record, AutoCAD not running, the question
// (interactive), the removal, the result box (interactive). Returns the exit code: 0 done or
// nothing recorded, 1602 declined, 1603 a removal failed, 1618 AutoCAD runs.
// `copyFolder`: see RemoveRecordedInstall.
int RunUninstall(const Platform& p, const Environment& env, bool silent, InstallReport& report,
                 const std::string& copyFolder = "");

// Removes what `record` names, in this order: the files inside the install folder that are as
// the setup wrote them, the backups put back, the keys the setup made, the values it added,
// its trusted-path entries, the folders it made (when empty), then, when all that is done, the
// Add/Remove Programs entry and the record folder, the record first. What stays is in the
// report: a warning when it was kept on purpose, a failure when its removal failed; after a
// failure the record is rewritten with what remains, and Add/Remove Programs stays. A kept
// program in use is renamed into `copyFolder` (the temporary copy's folder; empty: none) and
// removed at the next restart: a path that a later install uses is never scheduled.
void RemoveRecordedInstall(const Platform& p, const Environment& env, const InstallRecord& record,
                           InstallReport& report, const std::string& copyFolder = "");

enum class RecordFound { None, Read, Unreadable };
// The record in the record folder. It says what an administrator's process deletes: a record
// that is not one, or in a folder that is a link or not the administrators', is Unreadable.
RecordFound LoadInstallRecord(const Platform& p, const Environment& env, InstallRecord* record);

// ---- The uninstaller never runs from the record folder: Windows cannot delete a running program.

// Not in the usage text: the kept uninstaller starts its temporary copy with it. The copy checks
// its own place all the same.
constexpr char kTemporaryCopySwitch[] = "/TEMPCOPY";

// Whether this process is the kept copy in the record folder.
bool RunsFromRecordFolder(const Platform& p, const Environment& env);

// The kept copy: copies itself into a new folder under the temporary folder that only
// administrators can change, runs that copy with `arguments` and the internal switch, waits,
// and returns its exit code (1603 when it cannot be made or started).
int RunTemporaryCopy(const Platform& p, const Environment& env, const std::string& arguments,
                     InstallReport& report);

// Whether this process is a copy that RunTemporaryCopy made (asked when the internal switch is
// given): its module lies in a folder of the temporary folder named as RunTemporaryCopy names
// them, neither a link nor anyone else's, now held for administrators only in *hold.
bool IsTemporaryCopy(const Platform& p, const Environment& env, std::unique_ptr<FolderHold>* hold);

// The temporary copy, when done: itself and its folder go at the next restart.
void RemoveTemporaryCopyAtRestart(const Platform& p, InstallReport& report);
