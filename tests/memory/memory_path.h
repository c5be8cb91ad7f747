// Windows path rules for the in-memory file system: how a path text becomes a drive and a list
// of names, and how names compare and match wildcards. Code page 936 throughout: a 0x5C trail
// byte is neither a separator nor a forbidden character.
#pragma once

#include <string>
#include <vector>

#include "platform/code_page.h"

struct MemoryPath {
  long error = 0;               // kOk, or why the text names nothing (kErrInvalidName, ...)
  char drive = 0;               // upper-case letter
  std::vector<std::string> names;  // components below the root, "." and ".." resolved
  bool trailingBackslash = false;
  bool hasStream = false;       // the last name was "file:stream"
  std::string stream;           // without a ":$DATA" suffix
};

// Resolves text against the current directory (itself an absolute path) as Win32 does:
// "X:\a", "\a" (root of the current drive), "X:a" and "a" (relative). Doubled separators
// collapse, '/' counts as '\', a UNC path is refused. Wildcards are allowed in the last name
// only when asked for.
MemoryPath ParseMemoryPath(const CodePage& cp, const std::string& text, const std::string& currentDir,
                           bool allowWildcards);

// The key under which a name is stored: upper case, so that keys sort in listing order
// (NTFS sorts names upper-cased; double-byte names sort by their bytes here).
std::string NameKey(const CodePage& cp, const std::string& name);

bool HasWildcard(const std::string& name);

// Case-insensitive wildcard match of one name: '*' any run, '?' one character; "*.*" and "*"
// match every name, also names without a dot.
bool MatchesWildcard(const CodePage& cp, const std::string& pattern, const std::string& name);
