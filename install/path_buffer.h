// Paths that the copies format into fixed buffers of 260 bytes (MAX_PATH with its NUL).
// A path that does not fit is never cut short: the caller treats it as unusable.
#pragma once

#include <cstddef>
#include <string>

constexpr size_t kPathBufferSize = 260;

inline bool FitsPathBuffer(const std::string& path) { return path.size() < kPathBufferSize; }

// "%s\%s"
inline std::string JoinPath(const std::string& folder, const std::string& name) { return folder + "\\" + name; }
