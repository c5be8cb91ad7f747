// Where this machine keeps things and who runs the setup.
#pragma once

#include <string>

class Environment {
 public:
  virtual ~Environment() = default;
  // The 64-bit Program Files folder ("C:\Program Files"), without a trailing backslash.
  virtual std::string ProgramFilesFolder() const = 0;
  // GetTempPathA, without a trailing backslash.
  virtual std::string TempFolder() const = 0;
  // The SID of the account the process runs as, "S-1-5-21-...", or "S-1-5-18" for SYSTEM.
  virtual std::string UserSid() const = 0;
  // "DOMAIN\user".
  virtual std::string UserName() const = 0;
  // Local time, "2026-12-08 10:00:00".
  virtual std::string LocalTime() const = 0;
  // GetSystemWindowsDirectoryA ("C:\Windows"), without a trailing backslash.
  virtual std::string WindowsFolder() const = 0;
  // GetACP: the system's ANSI code page (936 where the setup's texts and folder names are right).
  virtual unsigned AnsiCodePage() const = 0;
  // Whether the process's window station is the one a user sees: not so for a service's, where
  // a message box would wait for nobody.
  virtual bool DesktopVisible() const = 0;
  // The bytes of the per-user program (TessaruneUser.exe) this setup carries to keep beside its
  // uninstaller; empty when it carries none.
  virtual std::string UserProgram() const = 0;
};
