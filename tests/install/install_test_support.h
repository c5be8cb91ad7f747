// Shared by the install tests: a progress bar that counts, and paths of a chosen length.
#pragma once

#include <string>

#include "install/install.h"

constexpr WindowRef kOwner = 0x5E7;

class CountingProgress : public ProgressSink {
 public:
  void Step() override { ++steps; }
  int steps = 0;
};

// base followed by folders of 'x' so that the whole text is exactly `length` characters long.
// base must not end in a backslash and must be at least 2 characters shorter than length.
inline std::string PathOfLength(const std::string& base, size_t length) {
  std::string path = base;
  while (path.size() < length) {
    size_t remaining = length - path.size();
    size_t part = remaining - 1;  // after the backslash
    // Never leave a single character over: it would have to be a backslash with no name.
    if (part > 100) part = remaining == 102 ? 99 : 100;
    path += "\\" + std::string(part, 'x');
  }
  return path;
}
