// The process-wide objects that SetUp.exe defines in app/setup_globals.cpp, for the tests that
// run the real setup dialog: its commands reach the system through the same Win32 seams.
#include "platform/win32/win32_code_page.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_message_boxes.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "ui/setup_globals.h"

AcadReleaseTable theReleaseTable;

static Win32Registry win32Registry;
static Win32FileSystem win32FileSystem;
static Win32ProcessList win32ProcessList;
static Win32MessageBoxes win32MessageBoxes;
static Win32CodePage win32CodePage;

const Platform thePlatform{win32Registry, win32FileSystem, win32ProcessList, win32MessageBoxes, win32CodePage};
