// Where an AutoCAD machine is laid down: the in-memory twins, or the real machine (Windows only).
#pragma once

#include <vector>

#include "tests/memory/memory_platform.h"
#include "tests/support/acad_machine.h"

namespace acadmachine {

class MemoryFileSink : public FileSink {
 public:
  explicit MemoryFileSink(MemoryFileSystem& files) : files_(files) {}
  bool Folder(const std::string& path) override;
  bool File(const std::string& path, const std::string& content) override;

 private:
  MemoryFileSystem& files_;
};

// The machine in the in-memory twins; drives other than C: are added as needed.
void LayDown(const std::vector<Installation>& machine, MemoryPlatform& platform);

#ifdef _WIN32
// Files through CreateDirectoryA and CreateFileA: paths in the process's ANSI code page (936).
class Win32FileSink : public FileSink {
 public:
  bool Folder(const std::string& path) override;
  bool File(const std::string& path, const std::string& content) override;
};
#endif

}  // namespace acadmachine
