// What Windows renames or deletes at the next restart (MoveFileEx with MOVEFILE_DELAY_UNTIL_REBOOT):
// the session manager's PendingFileRenameOperations, a REG_MULTI_SZ of UTF-16 NT paths in pairs,
// "\??\C:\..." and its new name, an empty one for a deletion. An uninstall leaves the record folder
// and its running uninstaller there; an install that writes there again takes them out first, or
// the restart would delete the new uninstaller.
#pragma once

#include <cstddef>
#include <string>

#include "deploy/install_report.h"
#include "platform/code_page.h"
#include "platform/registry.h"

constexpr char kSessionManagerKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr char kPendingOperationsValue[] = "PendingFileRenameOperations";

// The list without the pairs whose first path is `folder` (UTF-8, a DOS path) or lies in it,
// compared without regard to case; every other pair, and whatever follows the last, stays byte
// for byte. *removed: how many pairs went.
std::string WithoutPendingOperationsIn(const std::string& list, const std::string& folderUtf8, size_t* removed);

// Takes the operations on `folder` out of the list (HKEY_LOCAL_MACHINE); the value goes when no
// pair is left. A list that cannot be read or written back is a failure in the report.
void CancelPendingOperationsIn(Registry& registry, const CodePage& cp, const std::string& folder,
                               InstallReport& report);
