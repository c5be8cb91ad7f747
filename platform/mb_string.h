// Multibyte-aware text operations over a code page: a 0x5C trail byte is not a backslash.
#pragma once

#include <string>

#include "platform/code_page.h"

// Offset of the last backslash that stands at a character start, or npos.
size_t FindLastBackslash(const CodePage& cp, const std::string& text);
// Whether a text that is a single backslash loses it too.
enum class LoneBackslash { Keep, Remove };
// Removes the last backslash when it is the last character (never more than one).
// Returns true when it removed one.
bool RemoveTrailingBackslash(const CodePage& cp, std::string& text, LoneBackslash lone);
// Offset of the first occurrence of needle that begins at a character start, or npos.
size_t FindAtCharStart(const CodePage& cp, const std::string& haystack, const std::string& needle);
// The folder part of a path: everything before the last backslash, or "" when there is none.
std::string FolderOfPath(const CodePage& cp, const std::string& path);
// File names compared without regard to case (double-byte characters as characters).
bool SameFileName(const CodePage& cp, const std::string& a, const std::string& b);
// ASCII letters upper-cased, every other byte as it is: names that Windows itself compares so
// (SIDs, value names, NT paths in UTF-8).
std::string AsciiUpper(std::string text);
// Whether `path` lies below `folder` (not the folder itself), without regard to case.
bool IsBelowFolder(const CodePage& cp, const std::string& path, const std::string& folder);
// The file name after the last backslash, without its extension.
std::string BaseNameWithoutExtension(const CodePage& cp, const std::string& path);
