// DLLs come from the system folder only: the program is started from download folders,
// where a planted DLL must never be loaded in its place.
#pragma once

#include <windows.h>

// Restricts the search of every later load to the system folder.
void RestrictDllSearchToSystem32();

// Loads a DLL of the system folder by its file name; null when it cannot be loaded.
HMODULE LoadSystemLibrary(const char* fileName);

// Registers the progress-bar window class (comctl32), which the dialog templates use.
// comctl32 is not one of the known DLLs, so it is loaded at run time from the system folder.
bool EnsureProgressBarClass();
