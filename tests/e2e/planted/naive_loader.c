// A program without any defence: it loads each DLL named on its command line by its bare name,
// as LoadLibraryA searches by default (its own folder first). Exit code: how many loaded.
#include <windows.h>

int main(int argc, char** argv) {
  int loaded = 0;
  for (int i = 1; i < argc; ++i) {
    if (LoadLibraryA(argv[i])) ++loaded;
  }
  return loaded;
}
