// Where this machine keeps things and who runs the setup, as Windows says.
#pragma once

#include "platform/environment.h"

class Win32Environment : public Environment {
 public:
  std::string ProgramFilesFolder() const override;
  std::string TempFolder() const override;
  std::string UserSid() const override;
  std::string UserName() const override;
  std::string LocalTime() const override;
  std::string WindowsFolder() const override;
  unsigned AnsiCodePage() const override;
  bool DesktopVisible() const override;
  // The RCDATA resource `userProgramResource` of the process's own module.
  std::string UserProgram() const override;

  int userProgramResource = 0;  // 0: none
};
