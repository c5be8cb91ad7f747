// The install folder: formed from the chosen path, then every level from below the drive's root
// down to it checked and held, the install folder and what is in it secured again, and the
// missing levels made by this run.
#include "acad/demand_load_modules.h"
#include "install/install_texts.h"
#include "picker/folder_validation.h"
#include "platform/folder_security.h"
#include "platform/mb_string.h"
#include "setup/install_command_texts.h"
#include "setup/install_steps.h"

namespace {

struct Refusal {
  std::string folder;  // empty: none
  const char* tail = nullptr;
};

Refusal Refuse(const std::string& folder, const char* tail) { return Refusal{folder, tail}; }

// The folder the payload would come from. Only a Data folder redirects: a flat distribution's
// files lie beside SetUp.exe, in the folder the administrator started it from.
std::string DataFolder(const Platform& p) { return FolderOfPath(p.codePage, p.files.ModulePath()) + "\\Data"; }

// Every level of `folder` below its drive's root, outermost first, each without a trailing
// backslash; an empty name (a doubled separator) is no level.
std::vector<std::string> LevelsOf(const CodePage& cp, const std::string& folder) {
  std::vector<std::string> levels;
  bool named = false;  // a name since the last separator
  for (size_t i = 3; i < folder.size(); i += cp.IsLeadByte(static_cast<unsigned char>(folder[i])) ? 2 : 1) {
    if (folder[i] == '\\' && named) levels.push_back(folder.substr(0, i));
    named = folder[i] != '\\';
  }
  levels.push_back(folder);
  return levels;
}

// Whether the folder holds nothing but, at most, the install folder. A listing that cannot be
// read says no.
bool HoldsOnlyTheInstallFolder(const Platform& p, const std::string& folder) {
  FindEntry entry;
  std::unique_ptr<DirListing> listing = p.files.FindFirst(folder + "\\*", &entry);
  if (!listing) return false;
  do {
    if (entry.name != "." && entry.name != ".." && !SameFileName(p.codePage, entry.name, kProductFolderName)) {
      return false;
    }
  } while (listing->Next(&entry));
  return listing->Error() == kErrNoMoreFiles;
}

// What was in an install folder from before becomes the administration's, with the folder's
// rules; the folder it is in is held while it is. Links and files with other names are left as
// they are (the recording file system names them, and what others owned, in the report).
void TakeOverContents(FileSystem& files, const std::string& folder) {
  FindEntry entry;
  std::unique_ptr<DirListing> listing = files.FindFirst(folder + "\\*", &entry);
  if (!listing) return;
  do {
    if (entry.name == "." || entry.name == "..") continue;
    const std::string path = folder + "\\" + entry.name;
    Ownership previous = Ownership::Administration;
    long error = kOk;
    std::unique_ptr<FolderHold> hold = files.TakeOver(path, kProtectedFolderSddl, &previous, &error);
    if (hold && (entry.attributes & kAttrDirectory) != 0) TakeOverContents(files, path);
  } while (listing->Next(&entry));
}

// How a level is judged: by its owner always, by its entries unless it is a drive's root or gets
// the protected descriptor (again), which it then passes on to what is below.
enum class Judged { Entries, OwnerOnly, Protected };

// A level the install uses, checked on the handle that holds it.
class LevelChecks {
 public:
  LevelChecks(const Platform& p, FolderHolds& holds) : p_(p), holds_(holds) {}

  // False when there is nothing to hold: the rest shows in the copies.
  bool Hold(const std::string& level, Judged judged, Refusal* refusal) {
    FolderTrust trust;
    long error = kOk;
    std::unique_ptr<FolderHold> hold = p_.files.HoldLevel(level, &trust, &error);
    if (!hold) {
      if (!IsNothingToHold(error)) *refusal = Refuse(level, kUntrustedFolderTail);
      return false;
    }
    if (trust.owner != Ownership::Administration) {
      *refusal = Refuse(level, kUntrustedFolderTail);
    } else if (judged == Judged::Entries && trust.othersMayChange) {
      *refusal = Refuse(level, kChangeableFolderTail);
    }
    holds_.push_back(std::move(hold));
    parent_ = trust;
    parentProtected_ = judged == Judged::Protected;
    return true;
  }

  // What is inside a level may be renamed by whoever may delete its children.
  bool ParentLetsOthersDelete() const { return !parentProtected_ && parent_.othersMayDeleteChildren; }
  bool ParentKeepsPermissions() const { return parent_.persistentAcls; }

 private:
  const Platform& p_;
  FolderHolds& holds_;
  FolderTrust parent_;
  bool parentProtected_ = false;
};

Refusal CheckMakeAndHold(const Platform& p, const std::string& chosen, const std::string& installFolder,
                         FolderHolds& holds) {
  if (p.files.IsRedirection(DataFolder(p))) return Refuse(DataFolder(p), kUntrustedFolderTail);
  const std::vector<std::string> levels = LevelsOf(p.codePage, installFolder);
  const size_t installAt = levels.size() - 1;
  // The chosen folder is given the descriptor again when it holds nothing else (the default C:\Quilox).
  const bool chosenReSecured = installAt > 0 && p.files.Exists(chosen) && HoldsOnlyTheInstallFolder(p, chosen);

  LevelChecks checks(p, holds);
  Refusal refusal;
  // The drive's root is not judged itself, but a user who owns it could let itself rename what is below.
  if (!checks.Hold(installFolder.substr(0, 3), Judged::OwnerOnly, &refusal)) return refusal;
  if (!refusal.folder.empty()) return refusal;
  if (!checks.ParentKeepsPermissions()) return Refuse(installFolder, kNoPermissionsVolumeTail);

  size_t missing = 0;
  for (; missing < levels.size(); ++missing) {
    const std::string& level = levels[missing];
    if (checks.ParentLetsOthersDelete()) return Refuse(level, kChangeableFolderTail);
    if (!p.files.Exists(level)) break;
    const bool reSecured = missing == installAt || (chosenReSecured && missing + 1 == installAt);
    if (!checks.Hold(level, reSecured ? Judged::Protected : Judged::Entries, &refusal)) return refusal;
    if (!refusal.folder.empty()) return refusal;
  }
  // Only now is anything changed.
  for (size_t i = installAt > 0 && chosenReSecured ? installAt - 1 : installAt; i < missing; ++i) {
    long error = kOk;
    std::unique_ptr<FolderHold> hold = p.files.Secure(levels[i], kProtectedFolderSddl, &error);
    if (!hold) return Refuse(levels[i], kUntrustedFolderTail);
    holds.push_back(std::move(hold));
    if (i == installAt) TakeOverContents(p.files, levels[i]);
  }
  // Only the chosen folder and the install folder are made: a missing parent shows later, in the
  // payload copy. A level that was missing and then is there was made by someone else.
  if (missing + 1 < installAt) return refusal;
  for (; missing < levels.size(); ++missing) {
    const long made = p.files.MakeSecuredDirectory(levels[missing], kProtectedFolderSddl);
    if (made == kErrAlreadyExists) return Refuse(levels[missing], kUntrustedFolderTail);
    if (made != kOk) break;
    if (!checks.Hold(levels[missing], Judged::Protected, &refusal)) return Refuse(levels[missing], kUntrustedFolderTail);
    if (!refusal.folder.empty()) return refusal;
  }
  return refusal;
}

}  // namespace

InstallFolderResult PrepareInstallFolder(const Platform& p, WindowRef owner, std::string& installPath,
                                         FolderHolds& holds) {
  if (installPath.empty()) return InstallFolderResult::EmptyPath;
  // The text goes on into folder names and AutoCAD's trusted paths: a relative path, a share or a
  // character no name may hold would install somewhere else or add foreign entries.
  if (!IsTypedInstallPath(p.codePage, installPath)) {
    ShowInvalidPath(p, owner, installPath);
    return InstallFolderResult::Invalid;
  }

  // Unlike an AutoCAD folder, a chosen path that is a lone backslash loses it too.
  std::string chosen = installPath;
  RemoveTrailingBackslash(p.codePage, chosen, LoneBackslash::Remove);
  const std::string installFolder = chosen + "\\" + kProductFolderName;
  // Registration would leave out every entry whose text does not fit, and AutoCAD would never
  // load the add-in: refuse now, while the user can still choose a shorter path.
  if (installFolder.size() > LongestInstallFolder()) {
    p.boxes.Show(owner, kPathTooLongText, kSetupCaption, kMbOk | kMbIconExclamation);
    return InstallFolderResult::TooLong;
  }
  // The setup runs elevated and makes what it installs trusted by AutoCAD for every user: a level
  // that leads elsewhere, that a user owns or may rename, would let that user choose what is
  // installed or loaded.
  const Refusal refusal = CheckMakeAndHold(p, chosen, installFolder, holds);
  if (!refusal.folder.empty()) {
    holds.clear();
    RefuseFolder(p, owner, refusal.folder, refusal.tail);
    return InstallFolderResult::Untrusted;
  }
  installPath = installFolder;
  return InstallFolderResult::Created;
}
