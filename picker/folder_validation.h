// Checks a folder path typed into the folder browser, and creates it level by level.
#pragma once

#include "platform/platform.h"

// 0 accepted (exists or created), -1 the user declined to create it, 1 invalid, 2 not created.
// Messages are owned by `owner` and captioned with the executable's base name.
int ConfirmInstallPath(const Platform& p, WindowRef owner, const char* path);
// 0 valid (and, unless checkOnly, every level exists), 1 invalid, 2 a level could not be created.
int CheckOrCreatePath(FileSystem& files, const char* path, bool checkOnly);
bool IsValidPathComponent(const char* name);
