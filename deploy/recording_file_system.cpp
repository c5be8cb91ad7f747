#include "deploy/recording_file_system.h"

#include <algorithm>

#include "install/install.h"
#include "platform/mb_string.h"

RecordingFileSystem::RecordingFileSystem(FileSystem& inner, const CodePage& codePage, InstallReport& report,
                                         InstallRecord& record)
    : inner_(inner), codePage_(codePage), report_(report), record_(record) {}

void RecordingFileSystem::KeepBeforeReplacing(const std::vector<std::string>& originals, Keeper keep) {
  for (const std::string& original : originals) kept_.insert(Key(original));
  keep_ = std::move(keep);
}

void RecordingFileSystem::Placed(const std::string& path, const std::string& sha256) {
  const std::string key = Key(path);
  Gone(key);
  placedAt_[key] = placed_.size();
  placed_.push_back({path, 0, sha256});
}

void RecordingFileSystem::Gone(const std::string& key) {
  auto at = placedAt_.find(key);
  if (at == placedAt_.end()) return;
  placed_[at->second].path.clear();
  placedAt_.erase(at);
}

RecordedFile* RecordingFileSystem::PlacedFile(const std::string& path) {
  auto at = placedAt_.find(Key(path));
  return at == placedAt_.end() ? nullptr : &placed_[at->second];
}

void RecordingFileSystem::Finish() {
  std::map<std::string, size_t> known;
  for (size_t i = 0; i < record_.files.size(); ++i) known[Key(record_.files[i].path)] = i;
  for (RecordedFile& file : placed_) {
    if (file.path.empty()) continue;  // removed or moved on since
    // A file whose stamp cannot be read any more is recorded all the same, and will not count as
    // unchanged. The file is not read again for a hash: where the install took none, the stamp is
    // what the uninstall goes by.
    FileStamp stamp;
    if (inner_.Stamp(file.path, &stamp) == kOk) {
      file.size = stamp.size;
      file.lastWrite = stamp.lastWrite;
    }
    auto at = known.find(Key(file.path));
    if (at != known.end()) {
      record_.files[at->second] = file;
    } else {
      known[Key(file.path)] = record_.files.size();
      record_.files.push_back(file);
    }
  }
  placed_.clear();
  placedAt_.clear();
}

std::unique_ptr<DirListing> RecordingFileSystem::FindFirst(const std::string& pattern, FindEntry* first) {
  return inner_.FindFirst(pattern, first);
}

// Files are copied under a temporary name, or their own in a folder for the copies, and then
// renamed into place: a failed copy is reported under the name it is to have, which is the
// source's, in the folder it was to go to.
long RecordingFileSystem::Copy(const std::string& from, const std::string& to, bool failIfExists) {
  const long rc = inner_.Copy(from, to, failIfExists);
  if (rc == kOk) {
    Placed(to, "");
    return rc;
  }
  std::string folder = FolderOfPath(codePage_, to);
  // A copy into this install's folder for the copies was to go into the folder that holds it.
  const std::string folderName = folder.substr(FindLastBackslash(codePage_, folder) + 1);
  if (folderName.rfind(kCopyFolderPrefix, 0) == 0 && madeNow_.count(Key(folder))) {
    folder = FolderOfPath(codePage_, folder);
  }
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
  const RecordedFile* copied = PlacedFile(from);
  std::string hash = copied ? copied->sha256 : "";
  if (keep_ && kept_.count(Key(to)) && inner_.Exists(to)) {
    if (hash.empty()) hash = inner_.Sha256(from);
    keep_(to, hash);
  }
  const long rc = inner_.Replace(from, to);
  if (rc == kOk) {
    Gone(Key(from));
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
  if (RecordedFile* file = PlacedFile(path)) file->sha256 = hash;
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
  if (rc == kOk) Gone(Key(path));
  return rc;
}

// A folder made and removed again by the same install (the copies' own) is not in the record.
long RecordingFileSystem::RemoveDirectory(const std::string& path) {
  const long rc = inner_.RemoveDirectory(path);
  if (rc == kOk && madeNow_.erase(Key(path))) {
    auto& made = record_.createdFolders;
    made.erase(std::remove_if(made.begin(), made.end(), [&](const std::string& f) { return Key(f) == Key(path); }),
               made.end());
    report_.Done("folder removed: " + path);
  }
  return rc;
}

long RecordingFileSystem::RemoveAtRestart(const std::string& path) { return inner_.RemoveAtRestart(path); }

std::string RecordingFileSystem::ModulePath() { return inner_.ModulePath(); }

long RecordingFileSystem::ReadFile(const std::string& path, std::string* bytes) { return inner_.ReadFile(path, bytes); }

long RecordingFileSystem::WriteNewFile(const std::string& path, const std::string& bytes) {
  const long rc = inner_.WriteNewFile(path, bytes);
  if (rc == kOk) Placed(path, "");
  return rc;
}

long RecordingFileSystem::Stamp(const std::string& path, FileStamp* stamp) { return inner_.Stamp(path, stamp); }

std::unique_ptr<HeldFile> RecordingFileSystem::HoldFile(const std::string& path, long* error) {
  return inner_.HoldFile(path, error);
}

std::unique_ptr<HeldFolder> RecordingFileSystem::HoldFolder(const std::string& path, bool forRemoval, long* error) {
  return inner_.HoldFolder(path, forRemoval, error);
}

long RecordingFileSystem::Made(const std::string& path, long rc) {
  if (rc == kOk) {
    report_.Done("folder created: " + path);
    madeNow_.insert(Key(path));
    const bool known = std::any_of(record_.createdFolders.begin(), record_.createdFolders.end(),
                                   [&](const std::string& folder) { return Key(folder) == Key(path); });
    if (!known) record_.createdFolders.push_back(path);
  } else if (rc != kErrAlreadyExists) {
    failedFolders_.insert(Key(path));
  }
  return rc;
}


std::unique_ptr<FolderHold> RecordingFileSystem::HoldLevel(const std::string& path, FolderTrust* trust,
                                                            long* error) {
  return inner_.HoldLevel(path, trust, error);
}

std::unique_ptr<FolderHold> RecordingFileSystem::TakeOver(const std::string& path, const std::string& sddl,
                                                          Ownership* previous, long* error) {
  std::unique_ptr<FolderHold> hold = inner_.TakeOver(path, sddl, previous, error);
  if (hold && *previous != Ownership::Administration) {
    report_.Warning("taken over from another owner: " + path);
  } else if (*error == kErrReparsePointEncountered) {
    report_.Warning("left alone, a link or reparse point: " + path);
  } else if (*error == kErrTooManyLinks) {
    report_.Warning("left alone, a file with more than one name: " + path);
  } else if (!hold) {
    report_.Failure("not taken over: " + path + ErrorText(*error));
  }
  return hold;
}
