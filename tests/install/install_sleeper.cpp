// A stand-in for a running program: the Windows tests copy it under AutoCAD's names and start it.
// It ends by itself after a minute in case a test cannot end it.
#include <windows.h>

int main() {
  Sleep(60 * 1000);
  return 0;
}
