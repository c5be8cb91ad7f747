// A later install's record merged into the earlier one's.
#include "deploy/install_record.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/mb_string.h"

namespace {

bool Same(const CodePage& cp, const std::string& a, const std::string& b) { return cp.Upper(a) == cp.Upper(b); }

// `key` is `outer` or lies below it.
bool IsWithin(const CodePage& cp, const std::string& key, const std::string& outer) {
  return Same(cp, key, outer) || IsBelowFolder(cp, key, outer);
}

// Adds `item` unless `same` finds it in `list`; `update` then changes the one found.
template <typename T>
void AddOrUpdate(std::vector<T>& list, const T& item, const std::function<bool(const T&, const T&)>& same,
                 const std::function<void(T&, const T&)>& update) {
  for (T& existing : list) {
    if (same(existing, item)) {
      update(existing, item);
      return;
    }
  }
  list.push_back(item);
}

// Outermost first: a folder or key is shorter than anything below it.
void OutermostFirst(std::vector<std::string>& paths) {
  std::stable_sort(paths.begin(), paths.end(),
                   [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
}

}  // namespace

void MergeInstallRecord(const CodePage& codePage, InstallRecord& earlier, const InstallRecord& later) {
  const CodePage& cp = codePage;
  earlier.format = std::max(earlier.format, later.format);
  earlier.version = later.version;
  earlier.time = later.time;
  earlier.account = later.account;
  const auto samePath = [&](const std::string& a, const std::string& b) { return Same(cp, a, b); };
  const auto keep = [](std::string&, const std::string&) {};
  // A move: the folder left is kept with its files until it is cleared; one moved back into is
  // the install folder again.
  std::vector<std::string> left = later.earlierInstallFolders;
  if (!later.installFolder.empty() && !earlier.installFolder.empty() && !Same(cp, earlier.installFolder, later.installFolder)) {
    left.push_back(earlier.installFolder);
  }
  for (const std::string& folder : left) AddOrUpdate<std::string>(earlier.earlierInstallFolders, folder, samePath, keep);
  if (!later.installFolder.empty()) {
    earlier.installFolder = later.installFolder;
    auto& folders = earlier.earlierInstallFolders;
    folders.erase(std::remove_if(folders.begin(), folders.end(),
                                 [&](const std::string& folder) { return Same(cp, folder, later.installFolder); }),
                  folders.end());
  }
  earlier.history.insert(earlier.history.end(), later.history.begin(), later.history.end());

  for (const std::string& folder : later.createdFolders) {
    AddOrUpdate<std::string>(earlier.createdFolders, folder, samePath, keep);
  }
  OutermostFirst(earlier.createdFolders);
  // The later hash: the file as it is now. Looked up by key: a payload has thousands of files.
  std::map<std::string, size_t> fileAt;
  for (size_t i = 0; i < earlier.files.size(); ++i) fileAt.emplace(cp.Upper(earlier.files[i].path), i);
  for (const RecordedFile& file : later.files) {
    auto at = fileAt.emplace(cp.Upper(file.path), earlier.files.size());
    if (at.second) {
      earlier.files.push_back(file);
    } else {
      earlier.files[at.first->second] = file;
    }
  }
  // A value in a key an earlier install made goes with the key; the key is not "made" again.
  const std::vector<std::string> earlierKeys = earlier.createdKeys;
  for (const std::string& key : later.createdKeys) AddOrUpdate<std::string>(earlier.createdKeys, key, samePath, keep);
  OutermostFirst(earlier.createdKeys);
  for (const RecordedValue& value : later.values) {
    if (std::any_of(earlierKeys.begin(), earlierKeys.end(),
                    [&](const std::string& key) { return IsWithin(cp, value.key, key); })) {
      continue;
    }
    AddOrUpdate<RecordedValue>(
        earlier.values, value,
        [&](const RecordedValue& a, const RecordedValue& b) {
          return Same(cp, a.key, b.key) && Same(cp, a.name, b.name);
        },
        [](RecordedValue& a, const RecordedValue& b) {
          a.type = b.type;
          a.data = b.data;
        });
  }
  for (const RecordedTrustedPath& trusted : later.trustedPaths) {
    AddOrUpdate<RecordedTrustedPath>(
        earlier.trustedPaths, trusted,
        [&](const RecordedTrustedPath& a, const RecordedTrustedPath& b) {
          return Same(cp, a.sid, b.sid) && Same(cp, a.variablesKey, b.variablesKey);
        },
        [&](RecordedTrustedPath& a, const RecordedTrustedPath& b) {
          // Changed by someone in between: what was there before the first install cannot be
          // put back without undoing that; the setting as the later install found it can.
          if (b.before != a.after || b.valueCreated) {
            a.before = b.before;
            a.valueCreated = b.valueCreated;
          }
          a.after = b.after;
          for (const std::string& entry : b.entries) AddOrUpdate<std::string>(a.entries, entry, samePath, keep);
        });
  }
  for (const RecordedBackup& backup : later.backups) {
    AddOrUpdate<RecordedBackup>(
        earlier.backups, backup,
        [&](const RecordedBackup& a, const RecordedBackup& b) { return Same(cp, a.original, b.original); },
        [](RecordedBackup&, const RecordedBackup&) {});
  }
  earlier.failures = later.failures;
  for (const std::string& line : later.newerLines) {
    if (std::find(earlier.newerLines.begin(), earlier.newerLines.end(), line) == earlier.newerLines.end()) {
      earlier.newerLines.push_back(line);
    }
  }
}
