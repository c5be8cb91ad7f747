// Paths of the build tree (Unix) as programs under Wine see them.
#pragma once

#include <string>

namespace automation {

// "/tmp/b/app/SetUp.exe" -> "Z:\tmp\b\app\SetUp.exe" (Wine's own mapping when it offers one).
// A path that already is a Windows path comes back unchanged.
std::string DosPathFromUnix(const std::string& unixPath);
// The folder of the running executable, without a trailing backslash.
std::string ExecutableFolder();

}  // namespace automation
