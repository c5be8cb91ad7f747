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
  Untrusted,  // a level or the Data folder is a link, a level is not the administration's or cannot be
              // secured: as TooLong
  Created,    // both folders made (results ignored); `installPath` holds the install folder
};

// From the path the user chose, once it passed IsTypedInstallPath: one trailing backslash removed,
// the path and the install folder (the path with "\Tessarune") created one level each, unless
// one of them, or the Data folder beside SetUp.exe, is a junction or symbolic link, or one of
// them exists and is owned by anyone but the administration.
// Both levels are made with the protected descriptor (platform/folder_security.h); an existing
// install folder, and the chosen folder when it holds nothing else, are given it again and held
// in `holds`, which the caller keeps until the installation is over.
using FolderHolds = std::vector<std::unique_ptr<FolderHold>>;
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
