// Lines of the log, in the system code page like every other string here: what the install
// wrote, what it skipped and what failed. Its failures decide the silent install's exit code and
// whether the install was complete.
#pragma once

#include <string>
#include <vector>

#include "install/exit_codes.h"

// " (error 5)": how a line names the system's error code.
inline std::string ErrorText(long rc) { return " (error " + std::to_string(rc) + ")"; }

// Where the lines go as they come: the log file, so that a run that is killed leaves what it did.
class ReportSink {
 public:
  virtual ~ReportSink() = default;
  virtual void Line(const std::string& line) = 0;
};

class InstallReport {
 public:
  void Done(const std::string& text) { Add(text); }
  // Something that simply is not there (a Fonts folder, a product key gone since discovery).
  void Warning(const std::string& text) { Add("warning: " + text); }
  // A write that was attempted and failed, or a run that stopped.
  void Failure(const std::string& text) {
    Add("FAILED: " + text);
    failed_.push_back(text);
  }
  // A product file or a backup that could not be replaced or removed now and will be at the next
  // restart. The setup's own copies never count: they always wait for it.
  void WaitsForRestart(const std::string& text) {
    Add("waits for the restart: " + text);
    restart_ = true;
  }

  // From now on every line also goes to `sink`, those so far first; null stops it.
  void StreamTo(ReportSink* sink) {
    sink_ = sink;
    if (sink_) {
      for (const std::string& line : lines_) sink_->Line(line);
    }
  }

  const std::vector<std::string>& Lines() const { return lines_; }
  int Failures() const { return static_cast<int>(failed_.size()); }
  // The failures' texts, without the mark.
  const std::vector<std::string>& FailureTexts() const { return failed_; }
  bool Restart() const { return restart_; }

 private:
  void Add(const std::string& line) {
    lines_.push_back(line);
    if (sink_) sink_->Line(line);
  }

  std::vector<std::string> lines_;
  std::vector<std::string> failed_;
  bool restart_ = false;
  ReportSink* sink_ = nullptr;
};

// The exit code of a run that went to its end: a failure wins over a restart.
inline int FinishedExitCode(const InstallReport& report) {
  if (report.Failures() > 0) return kExitFailed;
  return report.Restart() ? kExitRestartNeeded : kExitDone;
}
