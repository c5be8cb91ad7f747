#include "deploy/recording_file_system.h"

#include <algorithm>

#include "platform/mb_string.h"

namespace {

}  // namespace

RecordingFileSystem::RecordingFileSystem(FileSystem& inner, const CodePage& codePage, InstallReport& report,
                                         InstallRecord& record)
    : inner_(inner), codePage_(codePage), report_(report), record_(record) {}

void RecordingFileSystem::KeepBeforeReplacing(const std::vector<std::string>& originals, Keeper keep) {
  for (const std::string& original : originals) kept_.insert(Key(original));
  keep_ = std::move(keep);
}

void RecordingFileSystem::Placed(const std::string& path, const std::string& sha256) {
  Gone(path);
  placed_.push_back({path, 0, sha256});
}

void RecordingFileSystem::Gone(const std::string& path) {
  placed_.erase(std::remove_if(placed_.begin(), placed_.end(),
                               [&](const RecordedFile& file) { return Key(file.path) == Key(path); }),
                placed_.end());
}

void RecordingFileSystem::Finish() {
  for (RecordedFile& file : placed_) {
    // A file whose size cannot be read any more is recorded all the same; the uninstall goes by the hash.
    inner_.FileSize(file.path, &file.size);
    if (file.sha256.empty()) file.sha256 = inner_.Sha256(file.path);
    auto known = std::find_if(record_.files.begin(), record_.files.end(),
                              [&](const RecordedFile& f) { return Key(f.path) == Key(file.path); });
    if (known != record_.files.end()) {
      *known = file;
    } else {
      record_.files.push_back(file);
    }
  }
  placed_.clear();
}

std::unique_ptr<DirListing> RecordingFileSystem::FindFirst(const std::string& pattern, FindEntry* first) {
  return inner_.FindFirst(pattern, first);
}

// Files are copied under a temporary name of their own length and then renamed into place: a
// failed copy is reported under the name it is to have, which is the source's, in the target folder.
long RecordingFileSystem::Copy(const std::string& from, const std::string& to, bool failIfExists) {
  const long rc = inner_.Copy(from, to, failIfExists);
  if (rc == kOk) {
    Placed(to, "");
    return rc;
  }
  const std::string folder = FolderOfPath(codePage_, to);
  const std::string target = folder + "\\" + from.substr(FindLastBackslash(codePage_, from) + 1);
  // AutoCAD's own folders are never created: one that is not there is skipped. A folder of
  // ours that could not be made is a failure like the copy.
  if (!inner_.Exists(folder) && !failedFolders_.count(Key(folder))) {
    report_.Warning("folder not found, file left out: " + target);
  } else {
    report_.Failure("file not written: " + target + " from " + from + ErrorText(rc));
  }
  return rc;
}

long RecordingFileSystem::Replace(const std::string& from, const std::string& to) {
  auto copied = std::find_if(placed_.begin(), placed_.end(),
                             [&](const RecordedFile& file) { return Key(file.path) == Key(from); });
  std::string hash = copied != placed_.end() ? copied->sha256 : "";
  if (keep_ && kept_.count(Key(to)) && inner_.Exists(to)) {
    if (hash.empty()) hash = inner_.Sha256(from);
    keep_(to, hash);
  }
  const long rc = inner_.Replace(from, to);
  if (rc == kOk) {
    Gone(from);
    Placed(to, hash);
    report_.Done("file written: " + to);
  } else {
    report_.Failure("file not written: " + to + ErrorText(rc));
  }
  return rc;
}

// The install checks each copy against its manifest before it takes its place: that hash is the
// record's, so no file is read twice.
std::string RecordingFileSystem::Sha256(const std::string& path) {
  const std::string hash = inner_.Sha256(path);
  for (RecordedFile& file : placed_) {
    if (Key(file.path) == Key(path)) file.sha256 = hash;
  }
  return hash;
}

long RecordingFileSystem::MakeDirectory(const std::string& path) { return Made(path, inner_.MakeDirectory(path)); }

long RecordingFileSystem::MakeSecuredDirectory(const std::string& path, const std::string& sddl) {
  return Made(path, inner_.MakeSecuredDirectory(path, sddl));
}

std::unique_ptr<FolderHold> RecordingFileSystem::Secure(const std::string& path, const std::string& sddl,
                                                        long* error) {
  std::unique_ptr<FolderHold> hold = inner_.Secure(path, sddl, error);
  if (hold) report_.Done("folder secured: " + path);
  return hold;
}

bool RecordingFileSystem::IsRedirection(const std::string& path) { return inner_.IsRedirection(path); }

Ownership RecordingFileSystem::Owner(const std::string& path) { return inner_.Owner(path); }

uint32_t RecordingFileSystem::Attributes(const std::string& path) { return inner_.Attributes(path); }

long RecordingFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  return inner_.SetAttributes(path, attributes);
}

long RecordingFileSystem::Remove(const std::string& path) {
  const long rc = inner_.Remove(path);
  if (rc == kOk) Gone(path);
  return rc;
}

long RecordingFileSystem::RemoveDirectory(const std::string& path) { return inner_.RemoveDirectory(path); }

long RecordingFileSystem::RemoveAtRestart(const std::string& path) { return inner_.RemoveAtRestart(path); }

std::string RecordingFileSystem::ModulePath() { return inner_.ModulePath(); }

long RecordingFileSystem::ReadFile(const std::string& path, std::string* bytes) { return inner_.ReadFile(path, bytes); }

long RecordingFileSystem::WriteNewFile(const std::string& path, const std::string& bytes) {
  const long rc = inner_.WriteNewFile(path, bytes);
  if (rc == kOk) Placed(path, "");
  return rc;
}

long RecordingFileSystem::FileSize(const std::string& path, uint64_t* size) { return inner_.FileSize(path, size); }

long RecordingFileSystem::Made(const std::string& path, long rc) {
  if (rc == kOk) {
    report_.Done("folder created: " + path);
    const bool known = std::any_of(record_.createdFolders.begin(), record_.createdFolders.end(),
                                   [&](const std::string& folder) { return Key(folder) == Key(path); });
    if (!known) record_.createdFolders.push_back(path);
  } else if (rc != kErrAlreadyExists) {
    failedFolders_.insert(Key(path));
  }
  return rc;
}

