#include "ui/silent_install.h"

#include <map>
#include <set>

#include "install/install.h"
#include "platform/mb_string.h"
#include "ui/install_steps.h"

namespace {

constexpr char kDefaultPath[] = "C:\\Quilox";

bool IsMissing(long rc) { return rc == kErrFileNotFound || rc == kErrPathNotFound; }

std::string ErrorText(long rc) { return " (error " + std::to_string(rc) + ")"; }

// The registry as the install sees it, noting every write and every failed one. Keys are named
// by their full path for the log.
class ReportingRegistry : public Registry {
 public:
  ReportingRegistry(Registry& inner, const CodePage& codePage, InstallReport& report)
      : inner_(inner), codePage_(codePage), report_(report) {}

  long Open(RegHandle parent, const std::string& subkey, RegAccess access, RegHandle* out) override {
    const long rc = inner_.Open(parent, subkey, access, out);
    if (rc == kOk) {
      Name(*out, parent, subkey);
    } else if (access == RegAccess::ReadWrite) {
      // A product key that went away since discovery: nothing to write into.
      if (IsMissing(rc)) {
        report_.Warning("registry key not found: " + PathOf(parent, subkey));
      } else {
        report_.Failure("registry key cannot be opened for writing: " + PathOf(parent, subkey) + ErrorText(rc));
      }
    }
    return rc;
  }
  long Create(RegHandle parent, const std::string& subkey, RegHandle* out) override {
    const long rc = inner_.Create(parent, subkey, out);
    if (rc == kOk) {
      Name(*out, parent, subkey);
    } else {
      report_.Failure("registry key cannot be created: " + PathOf(parent, subkey) + ErrorText(rc));
    }
    return rc;
  }
  long Delete(RegHandle parent, const std::string& subkey) override {
    const long rc = inner_.Delete(parent, subkey);
    // The entry is rewritten right after: a key that stays only keeps values of others.
    if (rc == kOk) report_.Done("registry key removed: " + PathOf(parent, subkey));
    else if (!IsMissing(rc)) report_.Warning("registry key not removed: " + PathOf(parent, subkey) + ErrorText(rc));
    return rc;
  }
  long SubkeyCount(RegHandle key, uint32_t* count) override { return inner_.SubkeyCount(key, count); }
  long EnumSubkey(RegHandle key, uint32_t index, char* name, uint32_t* nameSize) override {
    return inner_.EnumSubkey(key, index, name, nameSize);
  }
  long QueryValue(RegHandle key, const std::string& name, uint32_t* type, unsigned char* data,
                  uint32_t* size) override {
    return inner_.QueryValue(key, name, type, data, size);
  }
  long SetValue(RegHandle key, const std::string& name, uint32_t type, const unsigned char* data,
                uint32_t size) override {
    const long rc = inner_.SetValue(key, name, type, data, size);
    const std::string where = PathOf(key, "") + " : " + name;
    if (rc != kOk) {
      report_.Failure("registry value not written: " + where + ErrorText(rc));
    } else if (type == kRegDword && size == 4) {
      const uint32_t value = uint32_t{data[0]} | uint32_t{data[1]} << 8 | uint32_t{data[2]} << 16 |
                             uint32_t{data[3]} << 24;
      report_.Done("registry value written: " + where + " = " + std::to_string(value));
    } else {
      const std::string text(reinterpret_cast<const char*>(data), size);
      report_.Done("registry value written: " + where + " = " + text.substr(0, text.find('\0')));
    }
    return rc;
  }
  void Close(RegHandle key) override {
    names_.erase(key);
    inner_.Close(key);
  }
  long DeleteValue(RegHandle key, const std::string& name) override {
    const long rc = inner_.DeleteValue(key, name);
    const std::string where = PathOf(key, "") + " : " + name;
    if (rc == kOk) report_.Done("registry value removed: " + where);
    else if (!IsMissing(rc)) report_.Failure("registry value not removed: " + where + ErrorText(rc));
    return rc;
  }
  // A hive that does not load is left out (user_hives.cpp reports it); one that stays loaded is a failure.
  long LoadHive(const std::string& mountName, const std::string& file) override {
    const long rc = inner_.LoadHive(mountName, file);
    if (rc == kOk) report_.Done("user hive loaded: HKEY_USERS\\" + mountName + " from " + file);
    return rc;
  }
  long UnloadHive(const std::string& mountName) override {
    const long rc = inner_.UnloadHive(mountName);
    if (rc == kOk) report_.Done("user hive unloaded: HKEY_USERS\\" + mountName);
    else report_.Failure("user hive not unloaded: HKEY_USERS\\" + mountName + ErrorText(rc));
    return rc;
  }

 private:
  std::string PathOf(RegHandle parent, const std::string& subkey) const {
    std::string path;
    if (parent == kHkeyLocalMachine) path = "HKEY_LOCAL_MACHINE";
    else if (parent == kHkeyCurrentUser) path = "HKEY_CURRENT_USER";
    else if (parent == kHkeyUsers) path = "HKEY_USERS";
    else if (names_.count(parent)) path = names_.at(parent);
    else path = "?";
    return subkey.empty() ? path : path + "\\" + subkey;
  }
  // Product keys are kept with a trailing backslash: the log shows no doubled one.
  void Name(RegHandle key, RegHandle parent, const std::string& subkey) {
    std::string path = PathOf(parent, subkey);
    RemoveTrailingBackslash(codePage_, path, LoneBackslash::Keep);
    names_[key] = path;
  }

  Registry& inner_;
  const CodePage& codePage_;
  InstallReport& report_;
  std::map<RegHandle, std::string> names_;
};

// The file system as the install sees it, noting every copy and every failed one.
class ReportingFileSystem : public FileSystem {
 public:
  ReportingFileSystem(FileSystem& inner, const CodePage& codePage, InstallReport& report)
      : inner_(inner), codePage_(codePage), report_(report) {}

  std::unique_ptr<DirListing> FindFirst(const std::string& pattern, FindEntry* first) override {
    return inner_.FindFirst(pattern, first);
  }
  // Files are copied under a temporary name of their own length and then renamed into place: a
  // copy is reported under the name it is to have, which is the source's, in the target folder.
  long Copy(const std::string& from, const std::string& to, bool failIfExists) override {
    const long rc = inner_.Copy(from, to, failIfExists);
    if (rc == kOk) return rc;
    const std::string folder = FolderOf(to);
    const std::string target = folder + "\\" + from.substr(FindLastBackslash(codePage_, from) + 1);
    // AutoCAD's own folders are never created: one that is not there is skipped. A folder of
    // ours that could not be made is a failure like the copy.
    if (!inner_.Exists(folder) && !failedFolders_.count(codePage_.Upper(folder))) {
      report_.Warning("folder not found, file left out: " + target);
    } else {
      report_.Failure("file not written: " + target + " from " + from + ErrorText(rc));
    }
    return rc;
  }
  long Replace(const std::string& from, const std::string& to) override {
    const long rc = inner_.Replace(from, to);
    if (rc == kOk) report_.Done("file written: " + to);
    else report_.Failure("file not written: " + to + ErrorText(rc));
    return rc;
  }
  std::string Sha256(const std::string& path) override { return inner_.Sha256(path); }
  long MakeDirectory(const std::string& path) override { return Made(path, inner_.MakeDirectory(path)); }
  long MakeSecuredDirectory(const std::string& path, const std::string& sddl) override {
    return Made(path, inner_.MakeSecuredDirectory(path, sddl));
  }
  std::unique_ptr<FolderHold> Secure(const std::string& path, const std::string& sddl, long* error) override {
    std::unique_ptr<FolderHold> hold = inner_.Secure(path, sddl, error);
    if (hold) report_.Done("folder secured: " + path);
    return hold;
  }
  bool IsRedirection(const std::string& path) override { return inner_.IsRedirection(path); }
  Ownership Owner(const std::string& path) override { return inner_.Owner(path); }
  uint32_t Attributes(const std::string& path) override { return inner_.Attributes(path); }
  long SetAttributes(const std::string& path, uint32_t attributes) override {
    return inner_.SetAttributes(path, attributes);
  }
  long Remove(const std::string& path) override { return inner_.Remove(path); }
  long RemoveDirectory(const std::string& path) override { return inner_.RemoveDirectory(path); }
  long RemoveAtRestart(const std::string& path) override { return inner_.RemoveAtRestart(path); }
  std::string ModulePath() override { return inner_.ModulePath(); }

 private:
  long Made(const std::string& path, long rc) {
    if (rc == kOk) report_.Done("folder created: " + path);
    else if (rc != kErrAlreadyExists) failedFolders_.insert(codePage_.Upper(path));
    return rc;
  }
  std::string FolderOf(const std::string& path) const {
    const size_t slash = FindLastBackslash(codePage_, path);
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
  }

  FileSystem& inner_;
  const CodePage& codePage_;
  InstallReport& report_;
  std::set<std::string> failedFolders_;
};

// No box is shown: its text goes into the log. A failed copy is answered Abort.
class LoggedMessageBoxes : public MessageBoxes {
 public:
  explicit LoggedMessageBoxes(InstallReport& report) : report_(report) {}
  int Show(WindowRef, const std::string& text, const std::string&, unsigned style) override {
    std::string line = text;  // one line in the log
    for (char& c : line) {
      if (c == '\n') c = ' ';
    }
    report_.Done("message: " + line);
    if ((style & 0xF) == kMbAbortRetryIgnore) return kIdAbort;
    if ((style & 0xF) == kMbYesNo) return kIdNo;
    return kIdOk;
  }

 private:
  InstallReport& report_;
};

class NoProgress : public ProgressSink {
 public:
  void Step() override {}
};

}  // namespace

int RunSilentInstall(const Platform& p, const AcadReleaseTable& table, const SetupOptions& options,
                     InstallReport& report) {
  int selected[kYearCount] = {};
  for (int year : options.releases) {
    if (!table.IsFound(year)) {
      report.Failure("AutoCAD " + std::to_string(year) + " is not installed");
      return kExitBadArguments;
    }
    selected[year - kFirstYear] = 1;
  }
  bool any = false;
  for (int year = kFirstYear; year <= kLastYear; ++year) {
    if (options.releases.empty() && table.IsFound(year)) selected[year - kFirstYear] = 1;
    if (selected[year - kFirstYear]) {
      report.Done("release selected: " + std::to_string(year));
      any = true;
    }
  }
  if (!any) {
    report.Failure("no AutoCAD found: nothing to install into");
    return kExitFailed;
  }
  if (IsAcadRunning(p)) {
    report.Failure("AutoCAD is running: nothing changed; close it and run the setup again");
    return kExitAcadRunning;
  }

  ReportingRegistry registry(p.registry, p.codePage, report);
  ReportingFileSystem files(p.files, p.codePage, report);
  LoggedMessageBoxes boxes(report);
  const Platform reporting{registry, files, p.processes, boxes, p.codePage};
  constexpr WindowRef kNoWindow = 0;

  std::string installPath = options.hasInstallPath ? options.installPath : kDefaultPath;
  // Held until the installation is over, as in the dialog.
  FolderHolds holds;
  const InstallFolderResult folder = PrepareInstallFolder(reporting, kNoWindow, installPath, holds);
  if (folder == InstallFolderResult::EmptyPath || folder == InstallFolderResult::Invalid ||
      folder == InstallFolderResult::TooLong) {
    report.Failure("install path refused: " + installPath);
    return kExitBadArguments;
  }
  if (folder != InstallFolderResult::Created) {
    report.Failure("install folder refused (a link, or not the administrators'): " + installPath);
    return kExitFailed;
  }
  report.Done("install folder: " + installPath);

  NoProgress progress;
  TrustedPathUsers users;
  users.allUsers = options.allUsers;
  users.skipped = [&report](const std::string& sid, const std::string& why) {
    report.Warning("user hive left out: " + sid + ": " + why);
  };
  if (!RunInstallSteps(reporting, kNoWindow, table, selected, installPath, progress, users)) {
    report.Failure("the copy of the program files stopped");
    return kExitFailed;
  }
  ShowCompletionMessages(reporting, kNoWindow);
  return report.Failures() == 0 ? kExitDone : kExitFailed;
}
