// The file mechanics of the setup's log. The setup runs elevated and its log may lie where users
// can create files (%SystemRoot%\Temp, a share): the file is never opened by a name that someone
// else could have prepared, and never through a link.
#pragma once

#include <memory>
#include <string>

// A log file open for appending; closed when destroyed.
class LogFile {
 public:
  virtual ~LogFile() = default;
  // Adds the bytes at the end, written through at once: a run that is killed leaves what it did.
  virtual long Append(const std::string& bytes) = 0;
};

class LogFiles {
 public:
  virtual ~LogFiles() = default;
  // Opens `folder` itself, never what a junction or symbolic link leads to (refused with
  // kErrReparsePointEncountered), and holds it for as long as the file is open. In it, creates
  // `temporary` as a new file (kErrFileExists when anything is there), checks on its handle that it
  // has one link and is no reparse point, and renames it through the handle to `name`, replacing
  // a file of that name. Null, with the code in *error, when a step fails; the temporary file is
  // then gone again.
  virtual std::unique_ptr<LogFile> Create(const std::string& folder, const std::string& temporary,
                                          const std::string& name, long* error) = 0;
};
