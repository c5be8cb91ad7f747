// Exit codes of SetUp.exe, as Windows Installer's: deployment tools read them from the install
// and from the uninstall alike.
#pragma once

constexpr int kExitDone = 0;
constexpr int kExitBadArguments = 87;
constexpr int kExitUserDeclined = 1602;
constexpr int kExitFailed = 1603;
constexpr int kExitAcadRunning = 1618;
// Done, but a file waits for the next restart (the setup never restarts Windows itself).
constexpr int kExitRestartNeeded = 3010;
// A newer version is installed: a silent install of an older one changes nothing.
constexpr int kExitNewerInstalled = 1638;
