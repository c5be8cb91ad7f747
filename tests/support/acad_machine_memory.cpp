#include "tests/support/acad_machine_sinks.h"

namespace acadmachine {

namespace {

void AddDriveOf(MemoryFileSystem& files, const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') files.AddDrive(path[0]);
}

}  // namespace

bool MemoryFileSink::Folder(const std::string& path) {
  AddDriveOf(files_, path);
  files_.AddFolder(path);
  return true;
}

bool MemoryFileSink::File(const std::string& path, const std::string& content) {
  AddDriveOf(files_, path);
  files_.AddFile(path, content);
  return true;
}

void LayDown(const std::vector<Installation>& machine, MemoryPlatform& platform) {
  MemoryFileSink files(platform.files);
  LayDown(machine, platform.registry, files);
}

}  // namespace acadmachine
