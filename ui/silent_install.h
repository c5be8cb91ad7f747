// The unattended install (/S): the Install command's sequence with every found release (or those
// asked for) selected, no window and no message box. What was written, what was skipped and
// what failed goes into a report; its failures decide the exit code.
#pragma once

#include <string>
#include <vector>

#include "acad/acad_release_table.h"
#include "platform/platform.h"
#include "ui/command_line.h"

// Lines of the log, in the system code page like every other string here.
class InstallReport {
 public:
  void Done(const std::string& text) { lines_.push_back(text); }
  // Something that simply is not there (a Fonts folder, a product key gone since discovery).
  void Warning(const std::string& text) { lines_.push_back("warning: " + text); }
  // A write that was attempted and failed, or a run that stopped.
  void Failure(const std::string& text) {
    lines_.push_back("FAILED: " + text);
    ++failures_;
  }

  const std::vector<std::string>& Lines() const { return lines_; }
  int Failures() const { return failures_; }

 private:
  std::vector<std::string> lines_;
  int failures_ = 0;
};

// Runs the install after discovery has filled `table`; returns the exit code.
int RunSilentInstall(const Platform& p, const AcadReleaseTable& table, const SetupOptions& options,
                     InstallReport& report);
