// Lines of the log, in the system code page like every other string here: what the install
// wrote, what it skipped and what failed. Its failures decide the silent install's exit code and
// whether the install was complete.
#pragma once

#include <string>
#include <vector>

// " (error 5)": how a line names the system's error code.
inline std::string ErrorText(long rc) { return " (error " + std::to_string(rc) + ")"; }

class InstallReport {
 public:
  void Done(const std::string& text) { lines_.push_back(text); }
  // Something that simply is not there (a Fonts folder, a product key gone since discovery).
  void Warning(const std::string& text) { lines_.push_back("warning: " + text); }
  // A write that was attempted and failed, or a run that stopped.
  void Failure(const std::string& text) {
    lines_.push_back("FAILED: " + text);
    failed_.push_back(text);
  }

  const std::vector<std::string>& Lines() const { return lines_; }
  int Failures() const { return static_cast<int>(failed_.size()); }
  // The failures' texts, without the mark.
  const std::vector<std::string>& FailureTexts() const { return failed_; }

 private:
  std::vector<std::string> lines_;
  std::vector<std::string> failed_;
};
