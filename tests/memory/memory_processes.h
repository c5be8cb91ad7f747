// A process list in memory, with snapshots that can fail and are counted, and programs that a
// test scripts: Run calls the test's function with the command line, which returns the exit code.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/processes.h"

class MemoryProcessList : public ProcessList {
 public:
  std::unique_ptr<ProcessSnapshot> Take() override;
  // kErrFileNotFound while no program is scripted.
  long Run(const std::string& commandLine, int* exitCode) override;

  void SetProcesses(std::vector<std::string> exeNames) { names_ = std::move(exeNames); }
  void FailSnapshot(bool fail) { failSnapshot_ = fail; }
  void FailFirst(bool fail) { failFirst_ = fail; }
  void ScriptProgram(std::function<int(const std::string& commandLine)> program) { program_ = std::move(program); }

  size_t SnapshotsTaken() const { return taken_; }
  size_t OpenSnapshots() const { return open_; }
  size_t EntriesRead() const { return read_; }  // names handed out by First and Next
  const std::vector<std::string>& CommandLinesRun() const { return run_; }

 private:
  class Snapshot;
  std::vector<std::string> names_;
  bool failSnapshot_ = false;
  bool failFirst_ = false;
  size_t taken_ = 0;
  size_t open_ = 0;
  size_t read_ = 0;
  std::function<int(const std::string&)> program_;
  std::vector<std::string> run_;
};
