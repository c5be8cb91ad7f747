// The release table and the real system seams that the dialog and its commands work on. In a
// library of their own translation unit, so that the dialog's tests link the same objects as
// SetUp.exe; nothing reads them before WinMain runs, so their order against theApp is free.
#include "ui/setup_globals.h"

#include "platform/win32/win32_code_page.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_message_boxes.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"

AcadReleaseTable theReleaseTable;

static Win32Registry win32Registry;
static Win32FileSystem win32FileSystem;
static Win32ProcessList win32ProcessList;
static Win32MessageBoxes win32MessageBoxes;
static Win32CodePage win32CodePage;

const Platform thePlatform{win32Registry, win32FileSystem, win32ProcessList, win32MessageBoxes, win32CodePage};
