// The application object: the system seams, the command line, discovery once, then the setup
// dialog or the silent install, then the end of the process.
#pragma once

#include <string>

#include "acad/acad_release_table.h"
#include "fw/win_app.h"
#include "platform/platform.h"
#include "platform/win32/win32_code_page.h"
#include "platform/win32/win32_environment.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_message_boxes.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "setup/command_line.h"

class CWizardApp : public CWinApp {
 public:
  // Installed, cancelled or closed: the program ends when the dialog does.
  void InitInstance() override;

  std::string commandLine;  // after the program's name, in the ANSI code page
  int exitCode = 0;         // the process's, once InitInstance has returned

 private:
  int RunSilent(const SetupOptions& options, HeldFile* self);
  // /UNINSTALL, from the kept copy through a temporary one.
  int Uninstall(const SetupOptions& options);

  Win32Registry registry;
  Win32FileSystem files;
  Win32ProcessList processes;
  Win32MessageBoxes boxes;
  Win32CodePage codePage;
  Win32Environment environment;
  const Platform platform{registry, files, processes, boxes, codePage};
  AcadReleaseTable releaseTable;
};
