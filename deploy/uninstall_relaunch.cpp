// The kept uninstaller runs the uninstall from a temporary copy: Windows cannot delete a program
// while it runs, and the copy in the record folder is to go too.
#include "deploy/record_folder.h"
#include "deploy/uninstall.h"
#include "install/exit_codes.h"
#include "platform/folder_security.h"
#include "platform/mb_string.h"

namespace {

// The copy's folder in the temporary folder: the prefix and a number.
constexpr char kCopyFolderPrefix[] = "Tessarune-Uninstall-";
constexpr int kCopyFolderTries = 100;

std::string NameOf(const CodePage& cp, const std::string& path) {
  return path.substr(FindLastBackslash(cp, path) + 1);  // npos + 1 is 0
}

// A folder name of RunTemporaryCopy's: the prefix and digits.
bool IsCopyFolderName(const CodePage& cp, const std::string& name) {
  const std::string prefix = kCopyFolderPrefix;
  if (name.size() <= prefix.size() || !SameFileName(cp, name.substr(0, prefix.size()), prefix)) return false;
  for (size_t i = prefix.size(); i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return false;
  }
  return true;
}

}  // namespace

bool RunsFromRecordFolder(const Platform& p, const Environment& env) {
  return SameFileName(p.codePage, FolderOfPath(p.codePage, p.files.ModulePath()), RecordFolder(env));
}

int RunTemporaryCopy(const Platform& p, const Environment& env, const std::string& arguments,
                     InstallReport& report) {
  const std::string module = p.files.ModulePath();
  // A folder made now, with the descriptor given at creation: never one that was there before.
  std::string folder;
  for (int i = 1; i <= kCopyFolderTries && folder.empty(); ++i) {
    const std::string candidate = env.TempFolder() + "\\" + kCopyFolderPrefix + std::to_string(i);
    if (p.files.Exists(candidate)) continue;
    const long rc = p.files.MakeSecuredDirectory(candidate, kAdministratorsOnlySddl);
    if (rc == kOk) folder = candidate;
    // Not there a moment ago: someone made it meanwhile, and may be making the next one too.
    if (rc == kErrAlreadyExists) {
      report.Failure("the temporary folder for the uninstaller was made by someone else: " + candidate);
      return kExitFailed;
    }
  }
  if (folder.empty()) {
    report.Failure("no temporary folder for the uninstaller in " + env.TempFolder());
    return kExitFailed;
  }
  const std::string copy = folder + "\\" + kUninstallerName;
  const long copied = p.files.Copy(module, copy, true);
  if (copied != kOk || p.files.Sha256(copy) != p.files.Sha256(module) || p.files.Sha256(copy).empty()) {
    report.Failure("the uninstaller cannot be copied to " + copy + ErrorText(copied));
    p.files.Remove(copy);
    p.files.RemoveDirectory(folder);
    return kExitFailed;
  }
  // The switch goes first: /D= would take everything after it.
  int exitCode = kExitFailed;
  const long rc = p.processes.Run("\"" + copy + "\" " + kTemporaryCopySwitch + " " + arguments, &exitCode);
  if (rc != kOk) {
    report.Failure("the uninstaller cannot be started: " + copy + ErrorText(rc));
    p.files.Remove(copy);
    p.files.RemoveDirectory(folder);
    return kExitFailed;
  }
  return exitCode;
}

bool IsTemporaryCopy(const Platform& p, const Environment& env, std::unique_ptr<FolderHold>* hold) {
  const CodePage& cp = p.codePage;
  const std::string folder = FolderOfPath(cp, p.files.ModulePath());
  if (!SameFileName(cp, FolderOfPath(cp, folder), env.TempFolder()) || !IsCopyFolderName(cp, NameOf(cp, folder))) {
    return false;
  }
  // Neither a link nor anyone else's; held for administrators only while the copy runs.
  if (p.files.IsRedirection(folder) || p.files.Owner(folder) != Ownership::Administration) return false;
  long rc = kOk;
  *hold = p.files.Secure(folder, kAdministratorsOnlySddl, &rc);
  return *hold != nullptr;
}

void RemoveTemporaryCopyAtRestart(const Platform& p, InstallReport& report) {
  const std::string module = p.files.ModulePath();
  for (const std::string& path : {module, FolderOfPath(p.codePage, module)}) {
    const long rc = p.files.RemoveAtRestart(path);
    if (rc == kOk) report.Done("removed at the next restart: " + path);
    else report.Warning("not removed at the next restart: " + path + ErrorText(rc));
  }
}
