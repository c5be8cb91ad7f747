#include <windows.h>

#include "fw/win_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  return AfxWinMain(instance, showCommand);
}
