#include "tests/memory/memory_file_system.h"

#include <cstdio>
#include <map>
#include <set>
#include <stdexcept>

#include "platform/cp936_code_page.h"
#include "tests/memory/memory_path.h"
#include "tests/memory/sha256_bytes.h"

namespace {

// Attributes that SetFileAttributesA can change.
constexpr uint32_t kSettableAttributes = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive |
                                         0x100 /* temporary */ | 0x1000 /* offline */ |
                                         kAttrNotContentIndexed;

// Numbers the calls of the interface and of its listings, and fails the one chosen by FailCall.
struct CallCounter {
  size_t calls = 0;
  size_t failNumber = 0;  // 0: none
  std::string failed;

  bool Count(const char* operation, const std::string& path = std::string(),
             const std::string& target = std::string()) {
    if (++calls != failNumber) return false;
    failed = std::string(operation) + path + (target.empty() ? "" : " -> " + target);
    return true;
  }
};

struct Stream {
  std::string name;
  std::string content;
};

}  // namespace

struct MemoryFileSystem::Node {
  std::string name;
  uint32_t attributes = 0;
  uint32_t reparseTag = 0;  // with kAttrReparsePoint
  Ownership owner = Ownership::Administration;
  std::string descriptor;  // SDDL it was made or secured with; empty: inherited
  uint32_t othersRights = 0;  // what entries applying to it grant others (FolderTrust's sense)
  size_t links = 1;           // names of a file
  bool noAcls = false;        // a drive root: its volume keeps no permissions
  std::string content;
  uint64_t lastWrite = 0;  // a tick of the file system's clock
  std::map<std::string, Stream> streams;                   // by NameKey
  std::map<std::string, std::unique_ptr<Node>> children;  // by NameKey: listing order

  bool IsFolder() const { return (attributes & kAttrDirectory) != 0; }
  bool IsReadOnly() const { return (attributes & kAttrReadOnly) != 0; }
  // A file without any attribute reports FILE_ATTRIBUTE_NORMAL, as Windows does.
  uint32_t Reported() const { return attributes == 0 ? kAttrNormal : attributes; }
};

namespace {

// An open listing: a copy of the entries taken when the search started.
class MemoryListing : public DirListing {
 public:
  MemoryListing(std::vector<FindEntry> entries, size_t limit, std::shared_ptr<size_t> open,
                std::shared_ptr<CallCounter> counter)
      : entries_(std::move(entries)), limit_(limit), open_(std::move(open)), counter_(std::move(counter)) {
    ++*open_;
  }
  ~MemoryListing() override { --*open_; }

  // Once it has failed, a listing fails for good with the same code.
  bool Next(FindEntry* entry) override {
    if (counter_->Count("Next")) {
      error_ = kErrAccessDenied;
    } else if (error_ == kOk && next_ >= entries_.size()) {
      error_ = kErrNoMoreFiles;
    } else if (error_ == kOk && next_ >= limit_) {
      error_ = kErrNetNameDeleted;
    }
    if (error_ != kOk) return false;
    *entry = entries_[next_++];
    return true;
  }
  long Error() const override { return error_; }

 private:
  std::vector<FindEntry> entries_;
  size_t next_ = 1;  // the first entry went out with FindFirst
  size_t limit_;
  long error_ = kOk;
  std::shared_ptr<size_t> open_;
  std::shared_ptr<CallCounter> counter_;
};

}  // namespace

struct MemoryFileSystem::Impl {
  Cp936CodePage cp;
  std::map<char, std::unique_ptr<Node>> drives;
  std::string modulePath = "C:\\Setup\\SetUp.exe";
  // Relative paths resolve against it, as against the process's current directory.
  std::string currentDir = "C:\\";
  std::set<std::string> locked;
  // Files and folders opened by HoldFile and HoldFolder, by Key: how many holds each.
  std::shared_ptr<std::map<std::string, size_t>> held = std::make_shared<std::map<std::string, size_t>>();
  std::set<std::string> denyCreate;
  std::set<std::string> failSetAttributes;
  std::vector<std::string> pendingAtRestart;
  std::map<std::string, size_t> brokenListings;
  std::shared_ptr<size_t> openListings = std::make_shared<size_t>(0);
  // Holds of Secure, HoldLevel and TakeOver not yet destroyed (their paths are in `held` too).
  std::shared_ptr<size_t> folderHolds = std::make_shared<size_t>(0);
  struct Racer {
    MemoryPath folder;
    bool afterOurs;
  };
  std::vector<Racer> racers;
  std::shared_ptr<CallCounter> counter = std::make_shared<CallCounter>();
  uint64_t clock = 1;  // every write is later than the one before

  // Where a parsed path leads: the folder that holds its last name, and the node of that name.
  struct Place {
    long error = kOk;        // kErrPathNotFound when the drive or a folder on the way is missing
    Node* parent = nullptr;  // null for a drive root
    Node* node = nullptr;    // null when the last name does not exist
    std::string key;         // NameKey of the last name
  };

  MemoryPath Parse(const std::string& text, bool wildcards = false) const {
    return ParseMemoryPath(cp, text, currentDir, wildcards);
  }

  Node* Root(char drive) const {
    auto it = drives.find(drive);
    return it == drives.end() ? nullptr : it->second.get();
  }

  // Follows the names up to the last one; the last one is looked up but need not exist.
  Place Locate(const MemoryPath& path) const {
    Place place;
    Node* folder = Root(path.drive);
    if (folder == nullptr) {
      place.error = kErrPathNotFound;
      return place;
    }
    if (path.names.empty()) {
      place.node = folder;
      return place;
    }
    for (size_t i = 0; i + 1 < path.names.size(); ++i) {
      auto it = folder->children.find(NameKey(cp, path.names[i]));
      if (it == folder->children.end() || !it->second->IsFolder()) {
        place.error = kErrPathNotFound;
        return place;
      }
      folder = it->second.get();
    }
    place.parent = folder;
    place.key = NameKey(cp, path.names.back());
    auto it = folder->children.find(place.key);
    if (it != folder->children.end()) place.node = it->second.get();
    return place;
  }

  // Neither deleted, renamed nor written while locked or held.
  bool Busy(const std::string& key) const { return locked.count(key) != 0 || held->count(key) != 0; }

  // The node a complete path names, or null.
  Node* Find(const std::string& text) const { return Find(Parse(text)); }
  Node* Find(const MemoryPath& path) const {
    if (path.error != kOk || path.hasStream) return nullptr;
    Place place = Locate(path);
    if (place.error != kOk || place.node == nullptr) return nullptr;
    if (path.trailingBackslash && !place.node->IsFolder()) return nullptr;
    return place.node;
  }

  // One spelling per file system object, for the fault sets.
  std::string Key(const MemoryPath& path) const {
    std::string key(1, path.drive);
    key += ":\\";
    for (size_t i = 0; i < path.names.size(); ++i) key += (i ? "\\" : "") + NameKey(cp, path.names[i]);
    return key;
  }
  std::string Key(const std::string& text) const { return Key(Parse(text)); }

  // Set-up: the folder of a path, made with its parents; throws when that cannot be.
  Node* MakeFolders(const MemoryPath& path, size_t count) {
    if (path.error != kOk) throw std::invalid_argument("bad path");
    Node* folder = Root(path.drive);
    if (folder == nullptr) throw std::invalid_argument("no such drive");
    for (size_t i = 0; i < count; ++i) {
      std::unique_ptr<Node>& child = folder->children[NameKey(cp, path.names[i])];
      if (!child) {
        child = std::make_unique<Node>();
        child->name = path.names[i];
        child->attributes = kAttrDirectory;
      } else if (!child->IsFolder()) {
        throw std::invalid_argument("a file is in the way: " + path.names[i]);
      }
      folder = child.get();
    }
    return folder;
  }

  void DumpFolder(const Node& folder, const std::string& prefix, std::string* out) const {
    char line[64];
    for (const auto& entry : folder.children) {
      const Node& node = *entry.second;
      std::string path = prefix + node.name;
      if (node.IsFolder()) {
        std::snprintf(line, sizeof line, "\\ [0x%02X]\n", static_cast<unsigned>(node.attributes));
        *out += path + line;
        DumpFolder(node, path + "\\", out);
        continue;
      }
      std::snprintf(line, sizeof line, " [0x%02X] %zu bytes\n", static_cast<unsigned>(node.Reported()),
                    node.content.size());
      *out += path + line;
      for (const auto& stream : node.streams) {
        std::snprintf(line, sizeof line, " %zu bytes\n", stream.second.content.size());
        *out += path + ":" + stream.second.name + line;
      }
    }
  }
};

MemoryFileSystem::MemoryFileSystem() : impl_(std::make_unique<Impl>()) { AddDrive('C'); }

MemoryFileSystem::~MemoryFileSystem() = default;

std::unique_ptr<DirListing> MemoryFileSystem::FindFirst(const std::string& pattern, FindEntry* first) {
  if (impl_->counter->Count("FindFirst ", pattern)) return nullptr;
  MemoryPath path = impl_->Parse(pattern, true);
  // A drive root or a text ending in a backslash names no entry to find.
  if (path.error != kOk || path.hasStream || path.names.empty() || path.trailingBackslash) return nullptr;

  std::string last = path.names.back();
  path.names.pop_back();
  Node* folder = impl_->Find(path);
  if (folder == nullptr || !folder->IsFolder()) return nullptr;

  std::vector<FindEntry> entries;
  if (HasWildcard(last)) {
    if (!path.names.empty()) {
      MemoryPath parentPath = path;
      parentPath.names.pop_back();
      Node* parent = impl_->Find(parentPath);
      if (MatchesWildcard(impl_->cp, last, ".")) entries.push_back({".", folder->attributes});
      if (MatchesWildcard(impl_->cp, last, "..")) entries.push_back({"..", parent->attributes});
    }
    for (const auto& child : folder->children) {
      if (MatchesWildcard(impl_->cp, last, child.second->name)) {
        entries.push_back({child.second->name, child.second->Reported()});
      }
    }
  } else {
    auto it = folder->children.find(NameKey(impl_->cp, last));
    if (it != folder->children.end()) entries.push_back({it->second->name, it->second->Reported()});
  }
  if (entries.empty()) return nullptr;

  size_t limit = entries.size();
  auto broken = impl_->brokenListings.find(impl_->Key(path));
  if (broken != impl_->brokenListings.end()) limit = broken->second;
  *first = entries.front();
  return std::make_unique<MemoryListing>(std::move(entries), limit, impl_->openListings, impl_->counter);
}

long MemoryFileSystem::Copy(const std::string& from, const std::string& to, bool failIfExists) {
  if (impl_->counter->Count("Copy ", from, to)) return kErrAccessDenied;
  MemoryPath source = impl_->Parse(from);
  MemoryPath target = impl_->Parse(to);
  if (source.error != kOk) return source.error;
  if (target.error != kOk) return target.error;
  if (source.hasStream || target.hasStream) return kErrInvalidName;

  Impl::Place src = impl_->Locate(source);
  if (src.error != kOk) return src.error;
  if (src.node == nullptr) return kErrFileNotFound;
  if (src.node->IsFolder()) return kErrAccessDenied;
  if (source.trailingBackslash) return kErrInvalidName;
  if (impl_->locked.count(impl_->Key(source))) return kErrSharingViolation;

  Impl::Place dst = impl_->Locate(target);
  if (dst.error != kOk) return dst.error;
  if (dst.parent == nullptr) return kErrAccessDenied;  // a drive root
  if (target.trailingBackslash) return kErrInvalidName;
  if (dst.node != nullptr) {
    if (dst.node == src.node) return kErrSharingViolation;
    if (failIfExists) return kErrFileExists;
    if (dst.node->IsFolder() || dst.node->IsReadOnly()) return kErrAccessDenied;
  }
  if (impl_->Busy(impl_->Key(target))) return kErrSharingViolation;

  std::unique_ptr<Node>& slot = dst.parent->children[dst.key];
  if (!slot) {
    slot = std::make_unique<Node>();
    slot->name = target.names.back();
  }
  // An overwritten file keeps the spelling of its name.
  slot->content = src.node->content;
  slot->lastWrite = src.node->lastWrite;
  slot->attributes = src.node->attributes;
  slot->streams = src.node->streams;
  return kOk;
}

long MemoryFileSystem::MakeDirectory(const std::string& path) {
  if (impl_->counter->Count("MakeDirectory ", path)) return kErrAccessDenied;
  return MakeOneLevel(path);
}

long MemoryFileSystem::MakeOneLevel(const std::string& path) {
  MemoryPath parsed = impl_->Parse(path);
  if (parsed.error != kOk) return parsed.error;
  if (parsed.hasStream) return kErrInvalidName;
  RunRacers();
  Impl::Place place = impl_->Locate(parsed);
  if (place.error != kOk) return place.error;
  if (place.node != nullptr) return kErrAlreadyExists;
  if (impl_->denyCreate.count(impl_->Key(parsed))) return kErrAccessDenied;
  auto folder = std::make_unique<Node>();
  folder->name = parsed.names.back();
  folder->attributes = kAttrDirectory;
  place.parent->children[place.key] = std::move(folder);
  // Made with default security, it grants what its parent passes on: here, what the parent grants.
  place.parent->children[place.key]->othersRights = place.parent->othersRights;
  return kOk;
}

long MemoryFileSystem::MakeSecuredDirectory(const std::string& path, const std::string& sddl) {
  if (impl_->counter->Count("MakeSecuredDirectory ", path)) return kErrAccessDenied;
  const long result = MakeOneLevel(path);
  if (result == kOk) {
    Node* made = impl_->Find(path);
    made->descriptor = sddl;
    made->othersRights = 0;
    RunRacers(made);
  }
  RunRacers();
  return result;
}

namespace {

// An open without delete sharing: its path counts as held while it lives, so that nobody removes,
// renames or replaces what it names.
class MemoryHold {
 public:
  MemoryHold(std::shared_ptr<std::map<std::string, size_t>> held, std::string key)
      : held_(std::move(held)), key_(std::move(key)) {
    ++(*held_)[key_];
  }
  ~MemoryHold() { Release(); }
  MemoryHold(const MemoryHold&) = delete;
  MemoryHold& operator=(const MemoryHold&) = delete;
  void Release() {
    if (key_.empty()) return;
    if (--(*held_)[key_] == 0) held_->erase(key_);
    key_.clear();
  }

 private:
  std::shared_ptr<std::map<std::string, size_t>> held_;
  std::string key_;
};

// A hold of Secure, HoldLevel or TakeOver: counted by HeldFolders.
class MemoryFolderHold : public FolderHold {
 public:
  MemoryFolderHold(std::shared_ptr<std::map<std::string, size_t>> held, std::string key, std::shared_ptr<size_t> count)
      : hold_(std::move(held), std::move(key)), count_(std::move(count)) {
    ++*count_;
  }
  ~MemoryFolderHold() override { --*count_; }

 private:
  MemoryHold hold_;
  std::shared_ptr<size_t> count_;
};

}  // namespace

std::unique_ptr<FolderHold> MemoryFileSystem::Secure(const std::string& path, const std::string& sddl, long* error) {
  *error = kOk;
  if (impl_->counter->Count("Secure ", path)) *error = kErrAccessDenied;
  Node* node = *error == kOk ? impl_->Find(path) : nullptr;
  if (*error == kOk && node == nullptr) *error = kErrFileNotFound;
  if (*error == kOk && ::IsRedirection(node->attributes, node->reparseTag)) *error = kErrReparsePointEncountered;
  if (*error != kOk) return nullptr;
  node->descriptor = sddl;
  node->owner = Ownership::Administration;
  node->othersRights = 0;
  return std::make_unique<MemoryFolderHold>(impl_->held, impl_->Key(path), impl_->folderHolds);
}

uint32_t MemoryFileSystem::Attributes(const std::string& path) {
  if (impl_->counter->Count("Attributes ", path)) return kInvalidAttributes;
  MemoryPath parsed = impl_->Parse(path);
  if (parsed.error != kOk) return kInvalidAttributes;
  Impl::Place place = impl_->Locate(parsed);
  if (place.error != kOk || place.node == nullptr) return kInvalidAttributes;
  if (parsed.trailingBackslash && !place.node->IsFolder()) return kInvalidAttributes;
  if (parsed.hasStream && !place.node->streams.count(NameKey(impl_->cp, parsed.stream))) {
    return kInvalidAttributes;
  }
  return place.node->Reported();
}

long MemoryFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  if (impl_->counter->Count("SetAttributes ", path)) return kErrAccessDenied;
  MemoryPath parsed = impl_->Parse(path);
  if (parsed.error != kOk) return parsed.error;
  if (parsed.hasStream) return kErrInvalidName;
  Impl::Place place = impl_->Locate(parsed);
  if (place.error != kOk) return place.error;
  if (place.node == nullptr) return kErrFileNotFound;
  if (parsed.trailingBackslash && !place.node->IsFolder()) return kErrInvalidName;
  if (impl_->failSetAttributes.count(impl_->Key(parsed))) return kErrAccessDenied;
  place.node->attributes = (attributes & kSettableAttributes) | (place.node->attributes & kAttrDirectory);
  return kOk;
}

long MemoryFileSystem::Remove(const std::string& path) {
  if (impl_->counter->Count("Remove ", path)) return kErrAccessDenied;
  MemoryPath parsed = impl_->Parse(path);
  if (parsed.error != kOk) return parsed.error;
  Impl::Place place = impl_->Locate(parsed);
  if (place.error != kOk) return place.error;
  if (place.node == nullptr) return kErrFileNotFound;
  if (place.parent == nullptr || place.node->IsFolder()) {
    return parsed.hasStream ? kErrFileNotFound : kErrAccessDenied;
  }
  if (parsed.trailingBackslash) return kErrInvalidName;
  if (place.node->IsReadOnly()) return kErrAccessDenied;
  if (impl_->Busy(impl_->Key(parsed))) return kErrSharingViolation;
  if (parsed.hasStream) {
    return place.node->streams.erase(NameKey(impl_->cp, parsed.stream)) ? kOk : kErrFileNotFound;
  }
  place.parent->children.erase(place.key);
  return kOk;
}

long MemoryFileSystem::RemoveDirectory(const std::string& path) {
  if (impl_->counter->Count("RemoveDirectory ", path)) return kErrAccessDenied;
  MemoryPath parsed = impl_->Parse(path);
  if (parsed.error != kOk) return parsed.error;
  if (parsed.hasStream) return kErrInvalidName;
  Impl::Place place = impl_->Locate(parsed);
  if (place.error != kOk) return place.error;
  if (place.node == nullptr) return kErrFileNotFound;
  if (place.parent == nullptr) return kErrAccessDenied;  // a drive root
  if (!place.node->IsFolder()) return kErrDirectory;
  if (impl_->Busy(impl_->Key(parsed))) return kErrSharingViolation;
  if (!place.node->children.empty()) return kErrDirNotEmpty;
  if (place.node->IsReadOnly()) return kErrAccessDenied;
  place.parent->children.erase(place.key);
  return kOk;
}

long MemoryFileSystem::RemoveAtRestart(const std::string& path) {
  if (impl_->counter->Count("RemoveAtRestart ", path)) return kErrAccessDenied;
  if (!impl_->Find(path)) return kErrFileNotFound;
  impl_->pendingAtRestart.push_back(path);
  return kOk;
}

bool MemoryFileSystem::IsRedirection(const std::string& path) {
  // A folder that cannot be looked at might lead anywhere.
  if (impl_->counter->Count("IsRedirection ", path)) return true;
  Node* node = impl_->Find(path);
  return node != nullptr && ::IsRedirection(node->attributes, node->reparseTag);
}

Ownership MemoryFileSystem::Owner(const std::string& path) {
  if (impl_->counter->Count("Owner ", path)) return Ownership::Other;
  Node* node = impl_->Find(path);
  return node != nullptr ? node->owner : Ownership::Other;
}

long MemoryFileSystem::Replace(const std::string& from, const std::string& to) {
  if (impl_->counter->Count("Replace ", from, to)) return kErrAccessDenied;
  MemoryPath source = impl_->Parse(from);
  MemoryPath target = impl_->Parse(to);
  if (source.error != kOk) return source.error;
  if (target.error != kOk) return target.error;
  if (source.hasStream || target.hasStream || source.trailingBackslash || target.trailingBackslash) {
    return kErrInvalidName;
  }
  Impl::Place src = impl_->Locate(source);
  if (src.error != kOk) return src.error;
  if (src.node == nullptr) return kErrFileNotFound;
  if (src.parent == nullptr || src.node->IsFolder()) return kErrAccessDenied;
  if (source.drive != target.drive) return kErrNotSameDevice;
  // A running program may be renamed on its volume, not one held open.
  if (impl_->held->count(impl_->Key(source))) return kErrSharingViolation;
  Impl::Place dst = impl_->Locate(target);
  if (dst.error != kOk) return dst.error;
  if (dst.parent == nullptr) return kErrAccessDenied;
  if (dst.node == src.node) return kOk;
  if (dst.node != nullptr && (dst.node->IsFolder() || dst.node->IsReadOnly())) return kErrAccessDenied;
  if (impl_->Busy(impl_->Key(target))) return kErrSharingViolation;

  if (impl_->locked.erase(impl_->Key(source))) impl_->locked.insert(impl_->Key(target));
  std::unique_ptr<Node> moved = std::move(src.parent->children[src.key]);
  src.parent->children.erase(src.key);
  moved->name = target.names.back();
  dst.parent->children[dst.key] = std::move(moved);
  return kOk;
}

std::string MemoryFileSystem::Sha256(const std::string& path) {
  if (impl_->counter->Count("Sha256 ", path)) return "";
  MemoryPath parsed = impl_->Parse(path);
  if (parsed.error != kOk || parsed.hasStream || parsed.trailingBackslash) return "";
  Impl::Place place = impl_->Locate(parsed);
  if (place.error != kOk || place.node == nullptr || place.node->IsFolder()) return "";
  if (impl_->locked.count(impl_->Key(parsed))) return "";
  return Sha256OfBytes(place.node->content);
}

std::string MemoryFileSystem::ModulePath() {
  ++impl_->counter->calls;
  return impl_->modulePath;
}

// The file a path names for reading its content: the error Windows gives otherwise.
long MemoryFileSystem::Readable(const std::string& path, const char* operation, const Node** file) {
  if (impl_->counter->Count(operation, path)) return kErrAccessDenied;
  MemoryPath parsed = impl_->Parse(path);
  if (parsed.error != kOk) return parsed.error;
  if (parsed.hasStream || parsed.trailingBackslash) return kErrInvalidName;
  Impl::Place place = impl_->Locate(parsed);
  if (place.error != kOk) return place.error;
  if (place.node == nullptr) return kErrFileNotFound;
  if (place.node->IsFolder()) return kErrAccessDenied;
  if (impl_->locked.count(impl_->Key(parsed))) return kErrSharingViolation;
  *file = place.node;
  return kOk;
}

long MemoryFileSystem::ReadFile(const std::string& path, std::string* bytes) {
  bytes->clear();
  const Node* file = nullptr;
  const long rc = Readable(path, "ReadFile ", &file);
  if (rc == kOk) *bytes = file->content;
  return rc;
}

long MemoryFileSystem::Stamp(const std::string& path, FileStamp* stamp) {
  const Node* file = nullptr;
  const long rc = Readable(path, "Stamp ", &file);
  if (rc == kOk) *stamp = {file->content.size(), file->lastWrite};
  return rc;
}

long MemoryFileSystem::WriteNewFile(const std::string& path, const std::string& bytes) {
  if (impl_->counter->Count("WriteNewFile ", path)) return kErrAccessDenied;
  MemoryPath parsed = impl_->Parse(path);
  if (parsed.error != kOk) return parsed.error;
  if (parsed.hasStream || parsed.trailingBackslash) return kErrInvalidName;
  Impl::Place place = impl_->Locate(parsed);
  if (place.error != kOk) return place.error;
  if (place.parent == nullptr) return kErrAccessDenied;  // a drive root
  if (place.node != nullptr) return kErrFileExists;     // a file, a folder or a link
  auto file = std::make_unique<Node>();
  file->name = parsed.names.back();
  file->content = bytes;
  file->lastWrite = ++impl_->clock;
  file->attributes = kAttrArchive;
  place.parent->children[place.key] = std::move(file);
  return kOk;
}

void MemoryFileSystem::AddDrive(char letter) {
  MemoryPath root = ParseMemoryPath(impl_->cp, std::string(1, letter) + ":\\", "", false);
  if (root.error != kOk) throw std::invalid_argument("not a drive letter");
  std::unique_ptr<Node>& node = impl_->drives[root.drive];
  if (node) return;
  node = std::make_unique<Node>();
  node->name = std::string(1, root.drive) + ":";
  node->attributes = kAttrDirectory;
}

void MemoryFileSystem::SetModulePath(const std::string& path) { impl_->modulePath = path; }


void MemoryFileSystem::AddFolder(const std::string& path, uint32_t attributes) {
  MemoryPath parsed = impl_->Parse(path);
  if (parsed.hasStream) throw std::invalid_argument("a folder has no stream");
  Node* folder = impl_->MakeFolders(parsed, parsed.names.size());
  folder->attributes = attributes | kAttrDirectory;
}

void MemoryFileSystem::AddFile(const std::string& path, const std::string& content, uint32_t attributes) {
  MemoryPath parsed = impl_->Parse(path);
  if (parsed.hasStream || parsed.names.empty() || parsed.trailingBackslash) {
    throw std::invalid_argument("not a file path: " + path);
  }
  Node* folder = impl_->MakeFolders(parsed, parsed.names.size() - 1);
  std::unique_ptr<Node>& file = folder->children[NameKey(impl_->cp, parsed.names.back())];
  if (file && file->IsFolder()) throw std::invalid_argument("a folder is in the way: " + path);
  file = std::make_unique<Node>();
  file->name = parsed.names.back();
  file->content = content;
  file->lastWrite = ++impl_->clock;
  file->attributes = attributes & ~kAttrDirectory;
}

void MemoryFileSystem::AddReparsePoint(const std::string& folder, uint32_t tag) {
  if (IsFile(folder)) {
    impl_->Find(folder)->attributes |= kAttrReparsePoint;
  } else {
    AddFolder(folder, kAttrDirectory | kAttrReparsePoint);
  }
  impl_->Find(folder)->reparseTag = tag;
}

void MemoryFileSystem::SetOwner(const std::string& path, Ownership owner) {
  Node* node = impl_->Find(path);
  if (node == nullptr) throw std::invalid_argument("no such file or folder: " + path);
  node->owner = owner;
}

void MemoryFileSystem::AddStream(const std::string& file, const std::string& stream, const std::string& content) {
  Node* node = impl_->Find(file);
  if (node == nullptr || node->IsFolder()) throw std::invalid_argument("no such file: " + file);
  node->streams[NameKey(impl_->cp, stream)] = Stream{stream, content};
}

bool MemoryFileSystem::IsFile(const std::string& path) const {
  Node* node = impl_->Find(path);
  return node != nullptr && !node->IsFolder();
}

bool MemoryFileSystem::IsFolder(const std::string& path) const {
  Node* node = impl_->Find(path);
  return node != nullptr && node->IsFolder();
}

std::string MemoryFileSystem::Content(const std::string& path) const {
  MemoryPath parsed = impl_->Parse(path);
  if (parsed.error != kOk) return "";
  Impl::Place place = impl_->Locate(parsed);
  if (place.error != kOk || place.node == nullptr || place.node->IsFolder()) return "";
  if (!parsed.hasStream) return place.node->content;
  auto it = place.node->streams.find(NameKey(impl_->cp, parsed.stream));
  return it == place.node->streams.end() ? "" : it->second.content;
}

bool MemoryFileSystem::HasStream(const std::string& file, const std::string& stream) const {
  Node* node = impl_->Find(file);
  return node != nullptr && node->streams.count(NameKey(impl_->cp, stream)) != 0;
}

std::vector<std::string> MemoryFileSystem::Names(const std::string& folder) const {
  std::vector<std::string> names;
  Node* node = impl_->Find(folder);
  if (node == nullptr || !node->IsFolder()) return names;
  for (const auto& child : node->children) names.push_back(child.second->name);
  return names;
}

std::string MemoryFileSystem::Dump(const std::string& folder) const {
  std::string out;
  Node* node = impl_->Find(folder);
  if (node != nullptr && node->IsFolder()) impl_->DumpFolder(*node, "", &out);
  return out;
}

void MemoryFileSystem::Lock(const std::string& path) { impl_->locked.insert(impl_->Key(path)); }

void MemoryFileSystem::Unlock(const std::string& path) { impl_->locked.erase(impl_->Key(path)); }

void MemoryFileSystem::DenyCreate(const std::string& path) { impl_->denyCreate.insert(impl_->Key(path)); }

void MemoryFileSystem::BreakListing(const std::string& folder, size_t entries) {
  impl_->brokenListings[impl_->Key(folder)] = entries;
}

void MemoryFileSystem::FailSetAttributes(const std::string& path) {
  impl_->failSetAttributes.insert(impl_->Key(path));
}

size_t MemoryFileSystem::OpenListings() const { return *impl_->openListings; }

size_t MemoryFileSystem::HeldFolders() const { return *impl_->folderHolds; }

std::vector<std::string> MemoryFileSystem::PendingAtRestart() const { return impl_->pendingAtRestart; }

std::string MemoryFileSystem::Descriptor(const std::string& path) const {
  Node* node = impl_->Find(path);
  return node != nullptr ? node->descriptor : std::string();
}

size_t MemoryFileSystem::Calls() const { return impl_->counter->calls; }

void MemoryFileSystem::FailCall(size_t number) {
  impl_->counter->failNumber = number;
  impl_->counter->failed.clear();
}

const std::string& MemoryFileSystem::FailedCall() const { return impl_->counter->failed; }

namespace {

// Nobody can write the file while it is held: what it held when opened is what it holds.
class MemoryHeldFile : public HeldFile {
 public:
  MemoryHeldFile(std::shared_ptr<std::map<std::string, size_t>> held, const std::string& key, std::string content,
                 std::shared_ptr<CallCounter> counter)
      : hold_(held, key), content_(std::move(content)), counter_(std::move(counter)) {}
  long Read(std::string* bytes) override {
    bytes->clear();
    if (counter_->Count("Read")) return kErrAccessDenied;
    *bytes = content_;
    return kOk;
  }

 private:
  MemoryHold hold_;
  std::string content_;
  std::shared_ptr<CallCounter> counter_;
};

}  // namespace

class MemoryFileSystem::HeldFolderImpl : public HeldFolder {
 public:
  HeldFolderImpl(MemoryFileSystem& files, const std::string& path, bool forRemoval)
      : files_(files), path_(path), forRemoval_(forRemoval), hold_(files.impl_->held, files.impl_->Key(path)) {}

  Ownership Owner() override {
    if (files_.impl_->counter->Count("Owner (held) ", path_)) return Ownership::Other;
    Node* node = gone_ ? nullptr : files_.impl_->Find(path_);
    return node != nullptr ? node->owner : Ownership::Other;
  }
  long Remove() override {
    if (files_.impl_->counter->Count("Remove (held) ", path_)) return kErrAccessDenied;
    if (!forRemoval_ || gone_) return kErrAccessDenied;
    Impl::Place place = files_.impl_->Locate(files_.impl_->Parse(path_));
    if (place.node == nullptr || place.parent == nullptr) return kErrAccessDenied;
    if (!place.node->children.empty()) return kErrDirNotEmpty;
    if (place.node->IsReadOnly()) return kErrAccessDenied;
    hold_.Release();
    place.parent->children.erase(place.key);
    gone_ = true;
    return kOk;
  }

 private:
  MemoryFileSystem& files_;
  std::string path_;
  bool forRemoval_;
  bool gone_ = false;
  MemoryHold hold_;
};

std::unique_ptr<HeldFile> MemoryFileSystem::HoldFile(const std::string& path, long* error) {
  *error = kOk;
  if (impl_->counter->Count("HoldFile ", path)) *error = kErrAccessDenied;
  Node* node = *error == kOk ? impl_->Find(path) : nullptr;
  if (*error == kOk && node == nullptr) *error = kErrFileNotFound;
  if (*error == kOk && ::IsRedirection(node->attributes, node->reparseTag)) *error = kErrReparsePointEncountered;
  if (*error == kOk && node->IsFolder()) *error = kErrAccessDenied;
  // Shared for reading only: a writer or a program that runs has it open already.
  if (*error == kOk && impl_->locked.count(impl_->Key(path))) *error = kErrSharingViolation;
  if (*error != kOk) return nullptr;
  return std::make_unique<MemoryHeldFile>(impl_->held, impl_->Key(path), node->content, impl_->counter);
}

std::unique_ptr<HeldFolder> MemoryFileSystem::HoldFolder(const std::string& path, bool forRemoval, long* error) {
  *error = kOk;
  if (impl_->counter->Count("HoldFolder ", path)) *error = kErrAccessDenied;
  Node* node = *error == kOk ? impl_->Find(path) : nullptr;
  if (*error == kOk && node == nullptr) *error = impl_->Locate(impl_->Parse(path)).error == kOk ? kErrFileNotFound
                                                                                                : kErrPathNotFound;
  if (*error == kOk && ::IsRedirection(node->attributes, node->reparseTag)) *error = kErrReparsePointEncountered;
  if (*error == kOk && !node->IsFolder()) *error = kErrDirectory;
  if (*error != kOk) return nullptr;
  return std::make_unique<HeldFolderImpl>(*this, path, forRemoval);
}

// ---- Folders the install trusts ----

namespace {

constexpr uint32_t kChangeRights = 0x10000 | 0x40000 | 0x80000;  // DELETE, WRITE_DAC, WRITE_OWNER
constexpr uint32_t kDeleteChildRight = 0x40;
constexpr uint32_t kAllRights = 0x1F01FF;

}  // namespace

void MemoryFileSystem::RunRacers(Node* madeByUs) {
  auto& racers = impl_->racers;
  for (auto racer = racers.begin(); racer != racers.end();) {
    Impl::Place place = impl_->Locate(racer->folder);
    Node* won = nullptr;
    if (racer->afterOurs && madeByUs != nullptr && place.node == madeByUs) {
      won = madeByUs;  // deleted and made again in the same moment
    } else if (!racer->afterOurs && madeByUs == nullptr && place.error == kOk && place.parent != nullptr &&
               place.node == nullptr) {
      auto folder = std::make_unique<Node>();
      folder->name = racer->folder.names.back();
      folder->attributes = kAttrDirectory;
      won = (place.parent->children[place.key] = std::move(folder)).get();
    }
    if (won == nullptr) {
      ++racer;
      continue;
    }
    won->owner = Ownership::Other;
    won->descriptor.clear();
    won->othersRights = kAllRights;
    racer = racers.erase(racer);
  }
}

std::unique_ptr<FolderHold> MemoryFileSystem::HoldLevel(const std::string& path, FolderTrust* trust, long* error) {
  *error = kOk;
  if (impl_->counter->Count("HoldLevel ", path)) *error = kErrAccessDenied;
  MemoryPath parsed = impl_->Parse(path);
  if (*error == kOk && parsed.error != kOk) *error = parsed.error;
  Impl::Place place = *error == kOk ? impl_->Locate(parsed) : Impl::Place();
  if (*error == kOk && place.error != kOk) *error = place.error;
  if (*error == kOk && place.node == nullptr) *error = kErrFileNotFound;
  Node* node = place.node;
  if (*error == kOk && ::IsRedirection(node->attributes, node->reparseTag)) *error = kErrReparsePointEncountered;
  if (*error == kOk && !node->IsFolder()) *error = kErrDirectory;
  if (*error != kOk) return nullptr;
  trust->owner = node->owner;
  trust->othersMayChange = (node->othersRights & kChangeRights) != 0;
  trust->othersMayDeleteChildren = (node->othersRights & kDeleteChildRight) != 0;
  trust->persistentAcls = !impl_->Root(parsed.drive)->noAcls;
  return std::make_unique<MemoryFolderHold>(impl_->held, impl_->Key(parsed), impl_->folderHolds);
}

std::unique_ptr<FolderHold> MemoryFileSystem::TakeOver(const std::string& path, const std::string& sddl,
                                                       Ownership* previous, long* error) {
  *error = kOk;
  if (impl_->counter->Count("TakeOver ", path)) *error = kErrAccessDenied;
  Node* node = *error == kOk ? impl_->Find(path) : nullptr;
  if (*error == kOk && node == nullptr) *error = kErrFileNotFound;
  if (*error == kOk && (node->attributes & kAttrReparsePoint) != 0) *error = kErrReparsePointEncountered;
  if (*error == kOk && !node->IsFolder() && node->links > 1) *error = kErrTooManyLinks;
  if (*error != kOk) return nullptr;
  *previous = node->owner;
  node->owner = Ownership::Administration;
  node->descriptor = sddl;
  node->othersRights = 0;
  return std::make_unique<MemoryFolderHold>(impl_->held, impl_->Key(path), impl_->folderHolds);
}

void MemoryFileSystem::Race(const std::string& folder, bool afterOurs) {
  MemoryPath parsed = impl_->Parse(folder);
  if (parsed.error != kOk || parsed.names.empty()) throw std::invalid_argument("no folder to race for: " + folder);
  impl_->racers.push_back({parsed, afterOurs});
}

size_t MemoryFileSystem::RacersLeft() const { return impl_->racers.size(); }

void MemoryFileSystem::SetOthersRights(const std::string& path, uint32_t rights) {
  Node* node = impl_->Find(path);
  if (node == nullptr) throw std::invalid_argument("no such file or folder: " + path);
  node->othersRights = rights;
}

void MemoryFileSystem::SetLinks(const std::string& file, size_t links) {
  Node* node = impl_->Find(file);
  if (node == nullptr || node->IsFolder()) throw std::invalid_argument("no such file: " + file);
  node->links = links;
}

void MemoryFileSystem::RemovePermissions(char drive) {
  Node* root = impl_->Find(std::string(1, drive) + ":\\");
  if (root == nullptr) throw std::invalid_argument("no such drive");
  root->noAcls = true;
}

Ownership MemoryFileSystem::OwnerOf(const std::string& path) const {
  Node* node = impl_->Find(path);
  if (node == nullptr) throw std::invalid_argument("no such file or folder: " + path);
  return node->owner;
}
