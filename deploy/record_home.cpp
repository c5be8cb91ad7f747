#include "deploy/record_home.h"

#include "deploy/install_report.h"
#include "deploy/record_folder.h"
#include "install/install.h"
#include "platform/folder_security.h"
#include "platform/mb_string.h"

RecordHome::RecordHome(FileSystem& files, const CodePage& codePage, const Environment& env)
    : files_(files), codePage_(codePage), programFiles_(env.ProgramFilesFolder()), path_(RecordFolder(env)) {}

bool RecordHome::Trusted(const std::string& level) {
  return !files_.IsRedirection(level) && files_.Owner(level) == Ownership::Administration;
}

// A level that is there is checked. One that is not must be made by this run: "already exists"
// then means that someone else made it meanwhile.
bool RecordHome::MakeLevel(const std::string& level) { return HoldOwnFolder(files_, level, levels_) == OwnFolder::Held; }

bool RecordHome::MakeFolder(const std::string& relative) { return hold_ && MakeLevel(path_ + "\\" + relative); }

bool RecordHome::Prepare(std::string* why) {
  if (hold_) return true;
  if (!refused_.empty()) {
    *why = refused_;
    return false;
  }
  // Program Files itself is Windows' own; the levels below it are ours.
  for (const std::string& level : {path_.substr(0, FindLastBackslash(codePage_, path_)), path_}) {
    if (!MakeLevel(level)) {
      *why = refused_ = "record folder refused (a link, not the administrators', or not made): " + level;
      return false;
    }
  }
  long error = kOk;
  hold_ = files_.Secure(path_, kAdministratorsOnlySddl, &error);
  if (!hold_) {
    *why = "record folder cannot be secured: " + path_ + ErrorText(error);
    return false;
  }
  return true;
}

bool RecordHome::ReadRecord(InstallRecord* record) {
  const std::string parent = path_.substr(0, FindLastBackslash(codePage_, path_));
  const std::string file = path_ + "\\" + kRecordFileName;
  if (!files_.Exists(file) || !Trusted(parent) || !Trusted(path_) || files_.IsRedirection(file)) return false;
  std::string text;
  return files_.ReadFile(file, &text) == kOk && ParseInstallRecord(codePage_, text, record);
}

long RecordHome::Write(const std::string& relative, const std::string& bytes) {
  if (!hold_) return kErrAccessDenied;
  const size_t slash = FindLastBackslash(codePage_, relative);
  if (slash != std::string::npos && !MakeLevel(path_ + "\\" + relative.substr(0, slash))) return kErrAccessDenied;
  const std::string target = path_ + "\\" + relative;
  const std::string fresh = target + ".new";
  // Left by a run that stopped, or put there by anyone: a link goes, never what it leads to.
  files_.Remove(fresh);
  long rc = files_.WriteNewFile(fresh, bytes);
  if (rc != kOk) return rc;
  rc = files_.Replace(fresh, target);
  if (rc != kOk) files_.Remove(fresh);
  return rc;
}
