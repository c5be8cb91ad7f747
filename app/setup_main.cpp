#include <windows.h>

#include "app/wizard_app.h"
#include "fw/win_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  auto* app = static_cast<CWizardApp*>(AfxGetApp());
  if (app) app->commandLine = commandLine ? commandLine : "";
  const int exitCode = AfxWinMain(instance, showCommand);
  // The framework's own code stands for a run that did not finish.
  return exitCode == 0 && app ? app->exitCode : exitCode;
}
