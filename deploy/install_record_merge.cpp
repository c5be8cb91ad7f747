// A later install's record merged into the earlier one's.
#include "deploy/install_record.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

bool Same(const CodePage& cp, const std::string& a, const std::string& b) { return cp.Upper(a) == cp.Upper(b); }

// `key` is `outer` or lies below it.
bool IsWithin(const CodePage& cp, const std::string& key, const std::string& outer) {
  const std::string upperKey = cp.Upper(key), upperOuter = cp.Upper(outer);
  return upperKey == upperOuter || upperKey.rfind(upperOuter + "\\", 0) == 0;
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
  earlier.version = later.version;
  earlier.time = later.time;
  earlier.account = later.account;
  if (!later.installFolder.empty()) earlier.installFolder = later.installFolder;

  const auto samePath = [&](const std::string& a, const std::string& b) { return Same(cp, a, b); };
  const auto keep = [](std::string&, const std::string&) {};
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
        [](RecordedTrustedPath& a, const RecordedTrustedPath& b) {
          a.after = b.after;
          // The folder is still in the setting when a later install found it there.
          if (!b.appended.empty()) a.appended = b.appended;
        });
  }
  for (const RecordedBackup& backup : later.backups) {
    AddOrUpdate<RecordedBackup>(
        earlier.backups, backup,
        [&](const RecordedBackup& a, const RecordedBackup& b) { return Same(cp, a.original, b.original); },
        [](RecordedBackup&, const RecordedBackup&) {});
  }
  earlier.failures = later.failures;
}
