// Checks a folder path typed into the folder browser, and creates it level by level.
#pragma once

#include <string>

#include "platform/platform.h"

// 0 accepted (exists or created), -1 the user declined to create it, 1 invalid, 2 not created.
// Messages are owned by `owner` and captioned with the executable's base name.
int ConfirmInstallPath(const Platform& p, WindowRef owner, const char* path);
// 0 valid (and, unless checkOnly, every level exists), 1 invalid, 2 a level could not be created.
int CheckOrCreatePath(FileSystem& files, const char* path, bool checkOnly);
bool IsValidPathComponent(const char* name);

// A path typed by hand that may be used as it stands: absolute on a drive ("X:\" or "X:\..."), and
// no character that Windows forbids in a name, nor ';'. Read by whole characters: a trail byte
// is part of its character, whatever its value.
bool IsTypedInstallPath(const CodePage& cp, const std::string& text);
// The "is invalid" message for a path, owned by `owner`.
void ShowInvalidPath(const Platform& p, WindowRef owner, const std::string& path);
