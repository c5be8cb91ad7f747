// The unattended install (/S): the Install command's sequence with every found release (or those
// asked for) selected, no window and no message box. What was written, what was skipped and
// what failed goes into a report; its failures decide the exit code.
// The install record, the kept uninstaller and Add/Remove Programs as in the dialog.
#pragma once

#include "acad/acad_release_table.h"
#include "deploy/install_report.h"
#include "deploy/run_log.h"
#include "platform/environment.h"
#include "platform/platform.h"
#include "setup/command_line.h"

// Runs the install after discovery has filled `table`, keeping its record; returns the exit code.
// `self`: the running SetUp.exe, held since start-up (see RecordedInstall). `log`, unless open
// already, opens in the record folder once the install has started.
int RunSilentInstall(const Platform& p, const Environment& env, const AcadReleaseTable& table,
                     const SetupOptions& options, HeldFile* self, InstallReport& report, RunLog* log = nullptr);
