// The command line of SetUp.exe, for unattended installs by deployment tools.
//   /S                  silent: no window, no message box; every found release (or those of /RELEASES);
//                       /VERYSILENT and /QN, which administrators type for other installers, mean the same
//   /D=<path>           the path the path box would hold; takes the rest of the line, so it comes last
//   /RELEASES=2010,2021 only these releases where installed (with /S)
//   /LOG=<file>         the run's log there rather than in the default place (with /S)
//   /ALLUSERS           the trusted path in every user's AutoCAD profiles, not only the current user's
//   /ALLOWDOWNGRADE     (with /S) installs this version over a newer one instead of ending with 1638
//   /UNINSTALL          removes what the install record names (with or without /S)
//   /NORESTART          accepted and ignored: the setup never restarts Windows
// Switches are case-insensitive; a value with spaces may be quoted.
#pragma once

#include <string>
#include <vector>

#include "install/exit_codes.h"
#include "platform/code_page.h"

struct SetupOptions {
  bool silent = false;
  bool hasInstallPath = false;
  std::string installPath;  // with hasInstallPath; as given, quotes removed
  std::vector<int> releases;  // empty: every release found
  std::string logPath;        // empty: no log
  bool allUsers = false;      // with or without /S
  bool allowDowngrade = false;  // with /S
  bool uninstall = false;
  // The kept uninstaller's temporary copy, started with kTemporaryCopySwitch (with /UNINSTALL).
  bool temporaryCopy = false;
};

// The text of the usage box.
extern const char kUsageText[];

// False for an unknown switch or a bad value; `options->silent` is set all the same when /S is
// among the switches, so that a silent run never shows the usage box.
bool ParseCommandLine(const CodePage& codePage, const std::string& line, SetupOptions* options);

class MessageBoxes;
// A command line ParseCommandLine refused: the usage box, unless the run is silent or nobody can
// see the desktop (a deployment tool's service: the box would wait for its time-out). Returns 87.
int RefuseCommandLine(MessageBoxes& boxes, const SetupOptions& options, bool desktopVisible);

