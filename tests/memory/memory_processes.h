// A process list in memory, with snapshots that can fail and are counted.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/processes.h"

class MemoryProcessList : public ProcessList {
 public:
  std::unique_ptr<ProcessSnapshot> Take() override;

  void SetProcesses(std::vector<std::string> exeNames) { names_ = std::move(exeNames); }
  void FailSnapshot(bool fail) { failSnapshot_ = fail; }
  void FailFirst(bool fail) { failFirst_ = fail; }

  size_t SnapshotsTaken() const { return taken_; }
  size_t OpenSnapshots() const { return open_; }
  size_t EntriesRead() const { return read_; }  // names handed out by First and Next

 private:
  class Snapshot;
  std::vector<std::string> names_;
  bool failSnapshot_ = false;
  bool failFirst_ = false;
  size_t taken_ = 0;
  size_t open_ = 0;
  size_t read_ = 0;
};
