// The earlier install folders cleared after a move, by the uninstall's own removal.
#include "deploy/move_cleanup.h"

#include <algorithm>
#include <string>
#include <vector>

#include "deploy/uninstall_removal.h"
#include "platform/mb_string.h"

namespace {

// The same folder, or `path` below `folder`, without regard to case.
bool IsAtOrBelow(const CodePage& cp, const std::string& path, const std::string& folder) {
  return SameFileName(cp, path, folder) || IsBelowFolder(cp, path, folder);
}

bool InAny(const CodePage& cp, const std::string& path, const std::vector<std::string>& folders) {
  return std::any_of(folders.begin(), folders.end(), [&](const std::string& f) { return IsAtOrBelow(cp, path, f); });
}

bool Listed(const CodePage& cp, const std::string& path, const std::vector<std::string>& paths) {
  return std::any_of(paths.begin(), paths.end(), [&](const std::string& p) { return SameFileName(cp, p, path); });
}

template <typename T, typename Drop>
void EraseIf(std::vector<T>& items, Drop drop) {
  items.erase(std::remove_if(items.begin(), items.end(), drop), items.end());
}

}  // namespace

void CleanUpEarlierFolders(const Platform& p, const Environment& env, InstallRecord& record, InstallReport& report) {
  const CodePage& cp = p.codePage;
  const std::string& now = record.installFolder;
  std::vector<std::string> left;
  for (const std::string& folder : record.earlierInstallFolders) {
    if (!IsAtOrBelow(cp, now, folder) && !IsAtOrBelow(cp, folder, now)) left.push_back(folder);
  }
  if (left.empty()) return;

  // What the folders left hold, as an uninstall of them sees it.
  InstallRecord earlier;
  earlier.earlierInstallFolders = left;
  for (const RecordedFile& file : record.files) {
    if (InAny(cp, file.path, left)) earlier.files.push_back(file);
  }
  // The levels made for them too (C:\Quilox), unless they hold the new folder.
  for (const std::string& folder : record.createdFolders) {
    const bool related = InAny(cp, folder, left) ||
                         std::any_of(left.begin(), left.end(), [&](const std::string& f) { return IsAtOrBelow(cp, f, folder); });
    if (related && !IsAtOrBelow(cp, now, folder)) earlier.createdFolders.push_back(folder);
  }
  earlier.createdKeys = record.createdKeys;
  InstallRecord remains;
  FileRemoval files(p, env, earlier, remains, report, "");
  RegistryRemoval registry(p, env, earlier, remains, report);
  files.RemoveFiles();
  const std::vector<std::string> loadersGone = registry.RemoveLoadersIn(left);
  for (RecordedTrustedPath& change : record.trustedPaths) {
    RecordedTrustedPath out = change;
    out.after.clear();  // never put back: the entry for the new folder stays
    EraseIf(out.entries, [&](const std::string& entry) { return !Listed(cp, entry, left); });
    if (out.entries.empty()) continue;
    const int failures = report.Failures();
    registry.TakeOutTrustedPath(out);
    if (report.Failures() > failures) continue;
    EraseIf(change.entries, [&](const std::string& entry) { return Listed(cp, entry, left); });
  }
  files.RemoveCreatedFolders(false);

  // The record keeps what is still there to remove.
  EraseIf(record.files, [&](const RecordedFile& file) {
    if (!InAny(cp, file.path, left)) return false;
    return std::none_of(remains.files.begin(), remains.files.end(),
                        [&](const RecordedFile& kept) { return SameFileName(cp, kept.path, file.path); });
  });
  EraseIf(record.createdFolders, [&](const std::string& folder) {
    return Listed(cp, folder, earlier.createdFolders) && !Listed(cp, folder, remains.createdFolders);
  });
  EraseIf(record.createdKeys, [&](const std::string& key) { return Listed(cp, key, loadersGone); });
  EraseIf(record.earlierInstallFolders, [&](const std::string& folder) {
    const bool gone = Listed(cp, folder, left) && !p.files.Exists(folder);
    if (gone) report.Done("earlier install folder cleared: " + folder);
    return gone;
  });
}
