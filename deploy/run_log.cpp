#include "deploy/run_log.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/mb_string.h"
#include "tessa_version.h"

namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.compare(0, strlen(prefix), prefix) == 0; }

// "2026-12-08 10:00:00" as a file name's part: "2026-12-08 100000".
std::string NameTime(std::string time) {
  time.erase(std::remove(time.begin(), time.end(), ':'), time.end());
  return time;
}

}  // namespace

std::string EscapedLogText(const std::string& text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  // No byte below 0x20 is a trail byte in code page 936.
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      out += "\\x";
      out += kDigits[byte >> 4];
      out += kDigits[byte & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

std::vector<std::string> OldLogs(FileSystem& files, const std::string& folder, size_t keep) {
  std::vector<std::string> logs;
  FindEntry entry;
  std::unique_ptr<DirListing> listing;
  if (!files.IsRedirection(folder)) listing = files.FindFirst(folder + "\\" + kLogNamePrefix + "*.log", &entry);
  if (!listing) return logs;
  do {
    if (!IsFolderEntry(entry)) logs.push_back(folder + "\\" + entry.name);
  } while (listing->Next(&entry));
  std::sort(logs.begin(), logs.end());
  logs.resize(logs.size() > keep && keep > 0 ? logs.size() - keep : keep > 0 ? 0 : logs.size());
  return logs;
}

RunLog::RunLog(LogFiles& logFiles, FileSystem& files, const CodePage& codePage, const Environment& env,
               std::string run, std::string commandLine)
    : logFiles_(logFiles),
      files_(files),
      codePage_(codePage),
      env_(env),
      run_(std::move(run)),
      commandLine_(std::move(commandLine)) {}

bool RunLog::MayReplace(const std::string& path) {
  if (!files_.Exists(path)) return true;
  std::string bytes;
  return !files_.IsRedirection(path) && (files_.Attributes(path) & kAttrDirectory) == 0 &&
         files_.ReadFile(path, &bytes) == kOk && StartsWith(bytes, kLogHeader) &&
         bytes.compare(strlen(kLogHeader), 2, "\r\n") == 0;
}

bool RunLog::Open(const std::string& folder, const std::string& name) {
  if (file_) return true;
  if (!MayReplace(folder + "\\" + name)) return false;
  // A name nobody could have prepared: a file there is not ours and is left alone.
  for (int n = 1; n <= 9 && !file_; ++n) {
    const std::string temporary = "~" + name + "." + std::to_string(n) + ".new";
    long error = kOk;
    file_ = logFiles_.Create(folder, temporary, name, &error);
    if (!file_ && error != kErrFileExists) return false;
  }
  if (!file_) return false;
  Write(std::string(kLogHeader) + "\r\n");
  const std::string time = env_.LocalTime();
  Write(time + " " + codePage_.ToUtf8(EscapedLogText(std::string("Tessarune Setup ") + TESSA_VERSION_TEXT + ", " +
                                                      run_ + ", run by " + env_.UserName())) + "\r\n");
  Write(time + " " + codePage_.ToUtf8(EscapedLogText("command line: " + commandLine_)) + "\r\n");
  Write(pending_);
  pending_.clear();
  return true;
}

bool RunLog::OpenAt(const std::string& path) {
  const size_t slash = FindLastBackslash(codePage_, path);
  if (slash == std::string::npos || slash + 1 == path.size()) return false;
  // "C:\x.log": the root is the folder "C:\".
  const std::string folder = path.substr(0, slash == 2 ? 3 : slash);
  return Open(folder, path.substr(slash + 1));
}

bool RunLog::OpenIn(const std::string& folder, size_t keep) {
  const std::string base = kLogNamePrefix + NameTime(env_.LocalTime());
  // Two runs within a second, or a file of that name that is not a log.
  for (int n = 1; n <= 9; ++n) {
    if (Open(folder, base + (n == 1 ? "" : " (" + std::to_string(n) + ")") + ".log")) {
      if (keep > 0) RemoveOldest(folder, keep);
      return true;
    }
  }
  return false;
}

void RunLog::RemoveOldest(const std::string& folder, size_t keep) {
  for (const std::string& path : OldLogs(files_, folder, keep)) {
    if (files_.Remove(path) == kOk) Line("old log removed: " + path);
  }
}

void RunLog::Write(const std::string& text) {
  // A log that cannot be written any more is given up: the run goes on.
  if (file_ && !text.empty() && file_->Append(text) != kOk) file_.reset();
}

void RunLog::Line(const std::string& line) {
  Count(line);
  const std::string text = env_.LocalTime() + " " + codePage_.ToUtf8(EscapedLogText(line)) + "\r\n";
  if (file_) Write(text);
  else pending_ += text;
}

void RunLog::Count(const std::string& line) {
  if (StartsWith(line, "FAILED: ")) ++failures_;
  if (StartsWith(line, "warning: ")) ++warnings_;
  if (StartsWith(line, "file written: ") || StartsWith(line, "file removed: ") || StartsWith(line, "file put back: ")) {
    ++files_count_;
  }
  const bool written = StartsWith(line, "registry value written: ");
  if (written || StartsWith(line, "registry value removed: ") || StartsWith(line, "registry key removed: ")) {
    ++entries_;
  }
  // A profile's trusted paths; the user is the root its key lies under.
  const size_t at = line.find(" : TRUSTEDPATHS");
  if (!written || at == std::string::npos) return;
  ++profiles_;
  const std::string key = line.substr(strlen("registry value written: "));
  size_t end = key.find('\\');
  if (StartsWith(key, "HKEY_USERS\\")) end = key.find('\\', end + 1);
  users_.insert(key.substr(0, end));
}

void RunLog::Close(int exitCode) {
  if (!file_) return;
  Line("summary: " + std::to_string(files_count_) + " files, " + std::to_string(entries_) + " registry entries, " +
       std::to_string(profiles_) + " profiles of " + std::to_string(users_.size()) + " users updated, " +
       std::to_string(warnings_) + " warnings, " + std::to_string(failures_) + " failures");
  Line("exit code: " + std::to_string(exitCode));
  file_.reset();
}
