// The environment as fixed values that a test may change.
#pragma once

#include "platform/environment.h"

class MemoryEnvironment : public Environment {
 public:
  std::string programFiles = "C:\\Program Files";
  std::string temp = "C:\\Windows\\Temp";
  std::string sid = "S-1-5-21-1000-2000-3000-1001";
  std::string user = "WORKSTATION\\admin";
  std::string time = "2026-12-08 10:00:00";
  std::string windows = "C:\\Windows";
  unsigned codePage = 936;
  bool desktopVisible = true;
  std::string userProgram = "per-user program";

  std::string ProgramFilesFolder() const override { return programFiles; }
  std::string TempFolder() const override { return temp; }
  std::string UserSid() const override { return sid; }
  std::string UserName() const override { return user; }
  std::string LocalTime() const override { return time; }
  std::string WindowsFolder() const override { return windows; }
  unsigned AnsiCodePage() const override { return codePage; }
  bool DesktopVisible() const override { return desktopVisible; }
  std::string UserProgram() const override { return userProgram; }
};
