// The uninstall's folders: each level opened as itself, checked on its handle and held, so that
// an elevated uninstall never deletes through a link or in a folder that someone else controls.
#include "deploy/uninstall_removal.h"

FolderLevels::FolderLevels(const Platform& p, InstallReport& report, const std::vector<std::string>& removable)
    : p_(p), report_(report) {
  for (const std::string& folder : removable) removable_.push_back(Key(folder));
}

FolderLevels::Trust FolderLevels::Check(const std::string& folder) {
  // From the top: a level below one that failed is never opened.
  std::vector<std::string> levels;
  for (std::string level = folder; FindLastBackslash(p_.codePage, level) != std::string::npos;
       level = FolderOfPath(p_.codePage, level)) {
    levels.push_back(level);
  }
  for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
    const Trust trust = Hold(*level);
    if (trust != Trust::Trusted) return trust;
  }
  return Trust::Trusted;
}

FolderLevels::Trust FolderLevels::Hold(const std::string& level) {
  const std::string key = Key(level);
  auto known = known_.find(key);
  if (known != known_.end()) return known->second;
  const bool removable = std::find(removable_.begin(), removable_.end(), key) != removable_.end();
  long rc = kOk;
  std::unique_ptr<HeldFolder> held = p_.files.HoldFolder(level, removable, &rc);
  // In use (someone's current folder, say): checked and held all the same, and left in place.
  if (!held && removable && (rc == kErrSharingViolation || rc == kErrAccessDenied)) {
    held = p_.files.HoldFolder(level, false, &rc);
  }
  Trust trust = Trust::Trusted;
  if (!held && IsNotFound(rc)) {
    trust = Trust::Missing;
  } else if (!held || held->Owner() != Ownership::Administration) {
    trust = Trust::Refused;
    const std::string why = held ? " (not the administrators')"
                            : rc == kErrReparsePointEncountered ? " (a link)" : ErrorText(rc);
    report_.Failure("folder refused, nothing in it removed: " + level + why);
  }
  known_[key] = trust;
  // Missing stays so: nothing the uninstall does makes a folder.
  if (trust == Trust::Trusted) held_[key] = std::move(held);
  return trust;
}

long FolderLevels::Remove(const std::string& folder) {
  const Trust trust = Check(folder);
  if (trust == Trust::Missing) return kErrFileNotFound;
  if (trust == Trust::Refused) return kErrAccessDenied;
  const std::string key = Key(folder);
  const long rc = held_[key]->Remove();
  if (rc == kOk) {
    held_.erase(key);
    known_[key] = Trust::Missing;
  }
  return rc;
}
