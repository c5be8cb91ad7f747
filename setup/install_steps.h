// What the Install command decides and does that needs no window: the running-AutoCAD warning,
// the install folder, the installation steps in their order, and the completion messages.
// The dialog (ui/install_command.cpp) adds the view switch, the progress range and the ending.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "acad/acad_release_table.h"
#include "install/install.h"
#include "platform/platform.h"

// The folder below the chosen path that receives the product.
constexpr char kProductFolderName[] = "Tessarune";

// While `warnIfHostRunning` is set and AutoCAD runs: shows the warning, clears the flag and
// returns true (the command stops). Once cleared, the check is never made again.
bool StopForRunningAcad(const Platform& p, WindowRef owner, bool& warnIfHostRunning);

enum class InstallFolderResult {
  EmptyPath,  // nothing done; the caller raises the invalid-argument error
  Invalid,    // not a usable path: the picker's "is invalid" message, nothing created
  TooLong,    // refused with a message before anything was created; `installPath` unchanged
  Untrusted,  // a level or the Data folder is a link, a level is not the administration's, others may
              // rename or delete it, it was made by someone else while the setup made it, or the
              // volume keeps no permissions: refused with a message naming it; `installPath` unchanged
  Created,    // `installPath` holds the install folder (made unless a level above the chosen one is missing)
};

// From the path the user chose, once it passed IsTypedInstallPath: one trailing backslash removed,
// "\Tessarune" appended. Every existing level below the drive's root is held (nobody can rename or
// replace it) and checked on that handle (install_folder.cpp tells how); then the install folder,
// and the chosen folder when it holds nothing else, are given the protected descriptor
// (platform/folder_security.h) again, with what the install folder holds; then the chosen folder
// and the install folder are made, one level each, when missing, and held. `holds` keeps every
// level until the caller is done with the installation.
InstallFolderResult PrepareInstallFolder(const Platform& p, WindowRef owner, std::string& installPath,
                                         FolderHolds& holds);

// The copies, the registration and the support files, in that order, stepping `progress` between
// them; the trusted path goes to the profiles of `users`. False when the payload copy stopped (it
// has told the user why); nothing after it ran.
bool RunInstallSteps(const Platform& p, WindowRef owner, const AcadReleaseTable& table, const int selected[kYearCount],
                     const std::string& installPath, ProgressSink& progress,
                     const TrustedPathUsers& users = TrustedPathUsers());

// The two completion messages, in order.
void ShowCompletionMessages(const Platform& p, WindowRef owner);
