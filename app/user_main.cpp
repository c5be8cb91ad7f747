// TessaruneUser.exe: run by Active Setup at a user's logon, or by the user, as that user and without
// elevation. It shows no window: it adds the install folder to the user's AutoCAD profiles and ends
// (deploy/user_trusted_paths.h).
#include <windows.h>

#include "deploy/logged_message_boxes.h"
#include "deploy/user_trusted_paths.h"
#include "platform/win32/win32_code_page.h"
#include "platform/win32/win32_environment.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  Win32Registry registry;
  Win32FileSystem files;
  Win32ProcessList processes;
  Win32CodePage codePage;
  Win32Environment environment;
  InstallReport report;
  LoggedMessageBoxes boxes(report);
  const Platform platform{registry, files, processes, boxes, codePage};
  return AddTrustedPathsForThisUser(platform, environment, report);
}
