#include "tests/memory/memory_processes.h"

#include "platform/win_types.h"

// A snapshot keeps the names as they were when it was taken, as Tool Help does.
class MemoryProcessList::Snapshot : public ProcessSnapshot {
 public:
  explicit Snapshot(MemoryProcessList& list) : list_(list), names_(list.names_) { ++list_.open_; }
  ~Snapshot() override { --list_.open_; }

  bool First(std::string* exeName) override {
    if (list_.failFirst_) return false;
    next_ = 0;
    return Next(exeName);
  }

  bool Next(std::string* exeName) override {
    if (next_ >= names_.size()) return false;
    *exeName = names_[next_++];
    ++list_.read_;
    return true;
  }

 private:
  MemoryProcessList& list_;
  std::vector<std::string> names_;
  size_t next_ = 0;
};

std::unique_ptr<ProcessSnapshot> MemoryProcessList::Take() {
  if (failSnapshot_) return nullptr;
  ++taken_;
  return std::make_unique<Snapshot>(*this);
}

long MemoryProcessList::Run(const std::string& commandLine, int* exitCode) {
  if (!program_) return kErrFileNotFound;
  run_.push_back(commandLine);
  *exitCode = program_(commandLine);
  return kOk;
}
