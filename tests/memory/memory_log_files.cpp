#include "tests/memory/memory_log_files.h"

namespace {

class MemoryLogFile : public LogFile {
 public:
  MemoryLogFile(MemoryFileSystem& files, const std::string& path) : files_(files), path_(path) {}
  long Append(const std::string& bytes) override {
    if (!files_.IsFile(path_)) return kErrFileNotFound;
    files_.AddFile(path_, files_.Content(path_) + bytes);
    return kOk;
  }

 private:
  MemoryFileSystem& files_;
  std::string path_;
};

}  // namespace

std::unique_ptr<LogFile> MemoryLogFiles::Create(const std::string& folder, const std::string& temporary,
                                                const std::string& name, long* error) {
  if (files_.IsRedirection(folder)) {
    *error = kErrReparsePointEncountered;
    return nullptr;
  }
  if (!files_.IsFolder(folder)) {
    *error = files_.IsFile(folder) ? kErrDirectory : kErrPathNotFound;
    return nullptr;
  }
  const std::string fresh = folder + "\\" + temporary;
  const std::string path = folder + "\\" + name;
  long rc = files_.WriteNewFile(fresh, "");
  if (rc == kOk) {
    rc = files_.Replace(fresh, path);
    if (rc != kOk) files_.Remove(fresh);
  }
  if (rc != kOk) {
    *error = rc;
    return nullptr;
  }
  return std::make_unique<MemoryLogFile>(files_, path);
}
