// A move: once an install into another folder has completed, the folders the product was in
// before are cleared as an uninstall would clear them.
#pragma once

#include "deploy/install_record.h"
#include "deploy/install_report.h"
#include "platform/environment.h"
#include "platform/platform.h"

// `record`: the merged record of the complete install, its earlier install folders still in it.
// Removes what those folders hold of the product while unchanged, the folders the setup made for
// them once empty, their entries in the users' trusted paths, and the demand-load entries whose
// LOADER lies in one of them (the releases selected now point at the new folder already). The
// record loses what went, and every earlier folder that is gone.
void CleanUpEarlierFolders(const Platform& p, const Environment& env, InstallRecord& record, InstallReport& report);
