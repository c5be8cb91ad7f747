// The log of a run, install or uninstall: UTF-8, one line per event with its time, written as the
// events come, ending with a summary and the exit code. Where it goes: /LOG= when given;
// otherwise Logs\ in the record folder once an install has started (the newest kept), or the
// system's Temp folder for an uninstall or a run refused early.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "deploy/install_report.h"
#include "platform/code_page.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/log_file.h"

// The first line of every log: only a file that starts with it is ever replaced by a new log.
constexpr char kLogHeader[] = "Tessarune Setup log";
constexpr char kLogsFolderName[] = "Logs";
constexpr size_t kLogsKept = 10;
// "SetUp 2026-12-08 100000.log": sorted by name, sorted by time.
constexpr char kLogNamePrefix[] = "SetUp ";

// A line's text as written: a control character (registry data may hold any) as \xNN, so that
// every event stays one line.
std::string EscapedLogText(const std::string& text);

// The logs in `folder` (not a link) beyond the newest `keep`, oldest first; every one with 0.
std::vector<std::string> OldLogs(FileSystem& files, const std::string& folder, size_t keep);

class RunLog : public ReportSink {
 public:
  // `run` names the run in the log ("install", "uninstall").
  RunLog(LogFiles& logFiles, FileSystem& files, const CodePage& codePage, const Environment& env, std::string run,
         std::string commandLine);

  // The log at `path` (/LOG=). False when it cannot be made, or something there is not a log.
  bool OpenAt(const std::string& path);
  // A log of its own name in `folder`; beyond the newest `keep` logs there (0: all) the oldest go.
  bool OpenIn(const std::string& folder, size_t keep);
  // The system's Temp folder.
  bool OpenInSystemTemp() { return OpenIn(env_.WindowsFolder() + "\\Temp", 0); }
  bool IsOpen() const { return file_ != nullptr; }

  // Kept until the log is open, then written with the time they came.
  void Line(const std::string& line) override;
  // The summary and the exit code; the file is closed. Nothing when it was never opened.
  void Close(int exitCode);

 private:
  bool Open(const std::string& folder, const std::string& name);
  // Nothing there, or a log of ours.
  bool MayReplace(const std::string& path);
  void RemoveOldest(const std::string& folder, size_t keep);
  void Write(const std::string& text);
  void Count(const std::string& line);

  LogFiles& logFiles_;
  FileSystem& files_;
  const CodePage& codePage_;
  const Environment& env_;
  std::string run_;
  std::string commandLine_;
  std::unique_ptr<LogFile> file_;
  std::string pending_;  // lines before the log was open, as they will be written
  int files_count_ = 0, entries_ = 0, profiles_ = 0, warnings_ = 0, failures_ = 0;
  std::set<std::string> users_;  // the roots of the profiles' keys: one per user
};
