// The process-wide objects the setup dialog works on (ui/setup_globals.cpp); discovery fills
// the table before the dialog exists.
#pragma once

#include "acad/acad_release_table.h"
#include "platform/platform.h"

extern AcadReleaseTable theReleaseTable;
// The real registry, file system, process list, message boxes and code page.
extern const Platform thePlatform;
