#include "tests/memory/memory_registry.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/cp936_code_page.h"
#include "platform/utf16.h"

// A key. Handles share ownership, so a key removed while open stays valid memory and is only
// marked deleted, as the real registry does.
struct MemoryRegistry::Node {
  struct Value {
    std::string name;  // as first written
    uint32_t type = kRegNone;
    std::string bytes;
    bool wide = false;  // written through the W functions: text in UTF-16LE
  };

  std::string name;  // as created
  RegHandle root = 0;
  std::weak_ptr<Node> parent;
  std::map<std::string, std::shared_ptr<Node>> children;  // by folded name: enumeration order
  std::map<std::string, Value> values;                    // by folded name
  bool deleted = false;
  // Where the last enumeration stood: enumerating index after index then costs one step each
  // instead of a walk from the first child. Any change to the children forgets it.
  size_t enumIndex = 0;
  std::map<std::string, std::shared_ptr<Node>>::iterator enumAt;
  bool enumValid = false;
};

namespace {

bool IsText(uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

bool IsRoot(RegHandle h) { return h == kHkeyCurrentUser || h == kHkeyLocalMachine || h == kHkeyUsers; }

// Splits a relative key path at backslashes. A leading backslash is refused as Windows does
// (ERROR_BAD_PATHNAME); trailing backslashes are ignored. An empty component in the middle is
// refused too, so that a path glued together with a doubled separator shows up in tests.
// Names are in code page 936: a 0x5C trail byte is part of its character.
long SplitPath(const std::string& path, std::vector<std::string>* parts) {
  parts->clear();
  if (!path.empty() && path[0] == '\\') return kErrBadPathname;
  std::string current;
  bool pendingEmpty = false;
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (c >= 0x81 && c <= 0xFE && i + 1 < path.size()) {
      current += path[i];
      current += path[i + 1];
      ++i;
      continue;
    }
    if (c == '\\') {
      if (current.empty()) {
        pendingEmpty = true;
      } else {
        parts->push_back(current);
        current.clear();
      }
      continue;
    }
    if (pendingEmpty) return kErrBadPathname;
    current += path[i];
  }
  if (!current.empty()) {
    if (pendingEmpty) return kErrBadPathname;
    parts->push_back(current);
  }
  return kOk;
}

std::string Hex(const std::string& bytes) {
  std::string out;
  char buf[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(bytes[i]));
    if (i != 0) out += ',';
    out += buf;
  }
  return out;
}

}  // namespace

struct MemoryRegistry::Impl {
  using NodePtr = std::shared_ptr<Node>;
  struct OpenKey {
    NodePtr node;
    RegAccess access;
  };

  Cp936CodePage cp;
  NodePtr currentUser = std::make_shared<MemoryRegistry::Node>();
  NodePtr localMachine = std::make_shared<MemoryRegistry::Node>();
  NodePtr users = std::make_shared<MemoryRegistry::Node>();
  // Hive files by folded name: the tree, and the folded mount name while it is loaded.
  struct HiveFile {
    NodePtr tree;
    std::string mountedAs;
  };
  std::map<std::string, HiveFile> hiveFiles;
  std::map<std::string, std::string> mounts;  // folded mount name -> folded file name
  std::map<RegHandle, OpenKey> handles;
  RegHandle nextHandle = 0x1000;
  size_t calls = 0;
  size_t failCallNumber = 0;  // 0: none
  std::string failedCall;

  // Counts one call; true when it is the one that FailCall chose.
  bool CountCall(const char* operation, const std::string& argument) {
    if (++calls != failCallNumber) return false;
    failedCall = std::string(operation) + " " + argument;
    return true;
  }

  // Faults, by root and folded path, so that they also hold for keys created later.
  std::set<std::pair<RegHandle, std::string>> denyOpen;
  std::set<std::pair<RegHandle, std::string>> denyWrite;
  std::set<std::pair<std::pair<RegHandle, std::string>, std::string>> failQuery;
  std::set<std::pair<std::pair<RegHandle, std::string>, uint32_t>> failEnum;

  Impl() {
    currentUser->root = kHkeyCurrentUser;
    localMachine->root = kHkeyLocalMachine;
    users->root = kHkeyUsers;
  }

  // Case-insensitive key for names: ASCII and the double-byte letters that have case.
  std::string Fold(const std::string& name) const { return cp.Upper(name); }

  NodePtr RootNode(RegHandle root) const {
    if (root == kHkeyCurrentUser) return currentUser;
    if (root == kHkeyLocalMachine) return localMachine;
    if (root == kHkeyUsers) return users;
    return nullptr;
  }

  bool IsRootNode(const NodePtr& n) const { return n == currentUser || n == localMachine || n == users; }

  // The folded path of a live key below its root, for the fault lists.
  // Joined once at the end: prepending name by name costs the square of the depth on every call.
  std::string FoldedPath(const NodePtr& node) const {
    std::vector<std::string> names;
    for (NodePtr n = node; n && !IsRootNode(n); n = n->parent.lock()) names.push_back(Fold(n->name));
    std::string path;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
      if (it != names.rbegin()) path += '\\';
      path += *it;
    }
    return path;
  }

  std::pair<RegHandle, std::string> Where(const NodePtr& node) const { return {node->root, FoldedPath(node)}; }

  std::pair<RegHandle, std::string> WhereSeeded(RegHandle root, const std::string& path) const {
    std::vector<std::string> parts;
    if (SplitPath(path, &parts) != kOk) throw std::invalid_argument("bad registry path: " + path);
    std::string folded;
    for (const std::string& p : parts) folded += (folded.empty() ? "" : "\\") + Fold(p);
    return {root, folded};
  }

  bool OpenDenied(const NodePtr& n) const { return !denyOpen.empty() && denyOpen.count(Where(n)) != 0; }
  bool WriteDenied(const NodePtr& n) const { return !denyWrite.empty() && denyWrite.count(Where(n)) != 0; }

  // The key a handle refers to, with the access it was opened with.
  long Resolve(RegHandle h, NodePtr* node, RegAccess* access) const {
    if (IsRoot(h)) {
      *node = RootNode(h);
      *access = RegAccess::ReadWrite;
      return kOk;
    }
    auto it = handles.find(h);
    if (it == handles.end()) return kErrInvalidHandle;
    *node = it->second.node;
    *access = it->second.access;
    return (*node)->deleted ? kErrKeyDeleted : kOk;
  }

  NodePtr Find(const NodePtr& from, const std::vector<std::string>& parts) const {
    NodePtr n = from;
    for (const std::string& p : parts) {
      auto it = n->children.find(Fold(p));
      if (it == n->children.end()) return nullptr;
      n = it->second;
    }
    return n;
  }

  NodePtr FindSeeded(RegHandle root, const std::string& path) const {
    NodePtr r = RootNode(root);
    if (!r) throw std::invalid_argument("not a registry root");
    std::vector<std::string> parts;
    if (SplitPath(path, &parts) != kOk) throw std::invalid_argument("bad registry path: " + path);
    return Find(r, parts);
  }

  NodePtr AddChild(const NodePtr& parent, const std::string& name) {
    auto child = std::make_shared<MemoryRegistry::Node>();
    child->name = name;
    child->root = parent->root;
    child->parent = parent;
    parent->children[Fold(name)] = child;
    parent->enumValid = false;
    return child;
  }

  NodePtr MakeSeeded(RegHandle root, const std::string& path) {
    NodePtr n = RootNode(root);
    if (!n) throw std::invalid_argument("not a registry root");
    std::vector<std::string> parts;
    if (SplitPath(path, &parts) != kOk) throw std::invalid_argument("bad registry path: " + path);
    for (const std::string& p : parts) {
      auto it = n->children.find(Fold(p));
      n = it != n->children.end() ? it->second : AddChild(n, p);
    }
    return n;
  }

  RegHandle NewHandle(const NodePtr& node, RegAccess access) {
    RegHandle h = nextHandle;
    nextHandle += 4;
    handles[h] = OpenKey{node, access};
    return h;
  }

  static void MarkDeleted(const NodePtr& node) {
    node->deleted = true;
    for (auto& child : node->children) MarkDeleted(child.second);
    node->children.clear();
    node->enumValid = false;
    node->values.clear();
  }

  void Detach(const NodePtr& node) {
    NodePtr parent = node->parent.lock();
    if (parent) {
      parent->children.erase(Fold(node->name));
      parent->enumValid = false;
    }
    MarkDeleted(node);
  }

  static void SetRoot(const NodePtr& node, RegHandle root) {
    node->root = root;
    for (auto& child : node->children) SetRoot(child.second, root);
  }

  static NodePtr Copy(const NodePtr& from) {
    auto copy = std::make_shared<MemoryRegistry::Node>();
    copy->name = from->name;
    copy->values = from->values;
    for (const auto& child : from->children) {
      NodePtr c = Copy(child.second);
      c->parent = copy;
      copy->children[child.first] = c;
    }
    return copy;
  }

  // Whether a handle is open on the key or on one below it.
  bool OpenBelow(const NodePtr& top) const {
    for (const auto& h : handles) {
      for (NodePtr n = h.second.node; n; n = n->parent.lock()) {
        if (n == top) return true;
      }
    }
    return false;
  }

  // One value for Dump: strings and DWORDs readable, anything else as hex.
  static std::string FormatValue(const Node::Value& v) {
    const std::string& b = v.bytes;
    bool oneTerminator = !b.empty() && b.back() == '\0' && b.find('\0') == b.size() - 1;
    if ((v.type == kRegSz || v.type == kRegExpandSz) && oneTerminator) {
      return (v.type == kRegSz ? "sz:\"" : "expand_sz:\"") + b.substr(0, b.size() - 1) + "\"";
    }
    if (v.type == kRegDword && b.size() == 4) {
      uint32_t d = 0;
      for (int i = 3; i >= 0; --i) d = (d << 8) | static_cast<unsigned char>(b[i]);
      char buf[16];
      std::snprintf(buf, sizeof buf, "%08x", d);
      return std::string("dword:") + buf;
    }
    return "type" + std::to_string(v.type) + ":" + Hex(b);
  }

  void Dump(const NodePtr& node, const std::string& path, std::string* out) const {
    for (const auto& v : node->values) {
      *out += (path.empty() ? "" : path) + " : \"" + v.second.name + "\" = " + FormatValue(v.second) + "\n";
    }
    for (const auto& child : node->children) {
      std::string childPath = path.empty() ? child.second->name : path + "\\" + child.second->name;
      *out += childPath + "\n";
      Dump(child.second, childPath, out);
    }
  }
};

MemoryRegistry::MemoryRegistry() : impl_(new Impl) {}

MemoryRegistry::~MemoryRegistry() = default;

long MemoryRegistry::Open(RegHandle parent, const std::string& subkey, RegAccess access, RegHandle* out) {
  if (impl_->CountCall("Open", subkey)) return kErrAccessDenied;
  if (out == nullptr) return kErrInvalidParameter;
  std::shared_ptr<Node> from;
  RegAccess parentAccess;
  long rc = impl_->Resolve(parent, &from, &parentAccess);
  if (rc != kOk) return rc;
  std::vector<std::string> parts;
  rc = SplitPath(subkey, &parts);
  if (rc != kOk) return rc;
  std::shared_ptr<Node> target = impl_->Find(from, parts);
  if (!target) return kErrFileNotFound;
  if (impl_->OpenDenied(target)) return kErrAccessDenied;
  if (access == RegAccess::ReadWrite && impl_->WriteDenied(target)) return kErrAccessDenied;
  *out = impl_->NewHandle(target, access);
  return kOk;
}

long MemoryRegistry::Create(RegHandle parent, const std::string& subkey, RegHandle* out) {
  if (impl_->CountCall("Create", subkey)) return kErrAccessDenied;
  if (out == nullptr) return kErrInvalidParameter;
  std::shared_ptr<Node> n;
  RegAccess parentAccess;  // Windows ignores the parent handle's rights when creating
  long rc = impl_->Resolve(parent, &n, &parentAccess);
  if (rc != kOk) return rc;
  std::vector<std::string> parts;
  rc = SplitPath(subkey, &parts);
  if (rc != kOk) return rc;

  // Check the whole way before changing anything: a refused create leaves no level behind.
  std::pair<RegHandle, std::string> where = impl_->Where(n);
  std::shared_ptr<Node> probe = n;
  for (const std::string& p : parts) {
    if (probe) {
      auto it = probe->children.find(impl_->Fold(p));
      probe = it != probe->children.end() ? it->second : nullptr;
    }
    if (!probe && (impl_->denyWrite.count(where) != 0 || impl_->denyOpen.count(where) != 0)) {
      return kErrAccessDenied;  // no right to add a subkey here
    }
    where.second += (where.second.empty() ? "" : "\\") + impl_->Fold(p);
  }
  if (impl_->denyOpen.count(where) != 0 || impl_->denyWrite.count(where) != 0) return kErrAccessDenied;

  for (const std::string& p : parts) {
    auto it = n->children.find(impl_->Fold(p));
    n = it != n->children.end() ? it->second : impl_->AddChild(n, p);
  }
  *out = impl_->NewHandle(n, RegAccess::ReadWrite);
  return kOk;
}

long MemoryRegistry::Delete(RegHandle parent, const std::string& subkey) {
  if (impl_->CountCall("Delete", subkey)) return kErrAccessDenied;
  std::shared_ptr<Node> from;
  RegAccess parentAccess;  // RegDeleteKey opens the key itself for DELETE; the parent's rights do not matter
  long rc = impl_->Resolve(parent, &from, &parentAccess);
  if (rc != kOk) return rc;
  std::vector<std::string> parts;
  rc = SplitPath(subkey, &parts);
  if (rc != kOk) return rc;
  std::shared_ptr<Node> target = impl_->Find(from, parts);
  if (!target) return kErrFileNotFound;
  if (impl_->IsRootNode(target)) return kErrAccessDenied;
  if (impl_->OpenDenied(target) || impl_->WriteDenied(target)) return kErrAccessDenied;
  if (!target->children.empty()) return kErrAccessDenied;
  impl_->Detach(target);
  return kOk;
}

long MemoryRegistry::SubkeyCount(RegHandle key, uint32_t* count) {
  if (impl_->CountCall("SubkeyCount", std::string())) return kErrAccessDenied;
  std::shared_ptr<Node> n;
  RegAccess access;
  long rc = impl_->Resolve(key, &n, &access);
  if (rc != kOk) return rc;
  if (count) *count = static_cast<uint32_t>(n->children.size());
  return kOk;
}

long MemoryRegistry::EnumSubkey(RegHandle key, uint32_t index, char* name, uint32_t* nameSize) {
  if (impl_->CountCall("EnumSubkey", std::string())) return kErrAccessDenied;
  std::shared_ptr<Node> n;
  RegAccess access;
  long rc = impl_->Resolve(key, &n, &access);
  if (rc != kOk) return rc;
  if (name == nullptr || nameSize == nullptr) return kErrInvalidParameter;
  if (!impl_->failEnum.empty() && impl_->failEnum.count({impl_->Where(n), index}) != 0) return kErrAccessDenied;
  if (index >= n->children.size()) return kErrNoMoreItems;
  auto it = n->children.begin();
  if (n->enumValid && n->enumIndex <= index) {
    it = n->enumAt;
    std::advance(it, index - n->enumIndex);
  } else {
    std::advance(it, index);
  }
  n->enumIndex = index;
  n->enumAt = it;
  n->enumValid = true;
  const std::string& childName = it->second->name;
  // As RegEnumKeyExA: the size is left alone when the buffer is too small.
  if (childName.size() >= *nameSize) return kErrMoreData;
  std::memcpy(name, childName.c_str(), childName.size() + 1);
  *nameSize = static_cast<uint32_t>(childName.size());
  return kOk;
}

long MemoryRegistry::QueryValue(RegHandle key, const std::string& name, uint32_t* type, unsigned char* data,
                                uint32_t* size) {
  if (impl_->CountCall("QueryValue", name)) return kErrAccessDenied;
  std::shared_ptr<Node> n;
  RegAccess access;
  long rc = impl_->Resolve(key, &n, &access);
  if (rc != kOk) return rc;
  if (data != nullptr && size == nullptr) return kErrInvalidParameter;
  std::string folded = impl_->Fold(name);
  if (!impl_->failQuery.empty() && impl_->failQuery.count({impl_->Where(n), folded}) != 0) return kErrAccessDenied;
  auto it = n->values.find(folded);
  if (it == n->values.end()) return kErrFileNotFound;
  const Node::Value& v = it->second;
  if (type) *type = v.type;
  if (size == nullptr) return kOk;
  const std::string bytes = v.wide && IsText(v.type) ? impl_->cp.FromUtf8(Utf8FromUtf16(v.bytes)) : v.bytes;
  uint32_t needed = static_cast<uint32_t>(bytes.size());
  if (data == nullptr) {
    *size = needed;
    return kOk;
  }
  if (*size < needed) {
    *size = needed;
    return kErrMoreData;
  }
  if (needed) std::memcpy(data, bytes.data(), needed);
  *size = needed;
  return kOk;
}

long MemoryRegistry::SetValue(RegHandle key, const std::string& name, uint32_t type, const unsigned char* data,
                              uint32_t size) {
  if (impl_->CountCall("SetValue", name)) return kErrAccessDenied;
  std::shared_ptr<Node> n;
  RegAccess access;
  long rc = impl_->Resolve(key, &n, &access);
  if (rc != kOk) return rc;
  if (access != RegAccess::ReadWrite || impl_->WriteDenied(n)) return kErrAccessDenied;
  if (data == nullptr && size != 0) return kErrInvalidParameter;
  std::string bytes(reinterpret_cast<const char*>(data), data ? size : 0);
  auto it = n->values.find(impl_->Fold(name));
  if (it != n->values.end()) {
    it->second.type = type;  // the name keeps the case it was first written with
    it->second.bytes = std::move(bytes);
    it->second.wide = false;
  } else {
    n->values[impl_->Fold(name)] = Node::Value{name, type, std::move(bytes)};
  }
  return kOk;
}

void MemoryRegistry::Close(RegHandle key) {
  ++impl_->calls;  // RegCloseKey of an open key does not fail
  if (IsRoot(key)) return;
  impl_->handles.erase(key);
}

long MemoryRegistry::DeleteValue(RegHandle key, const std::string& name) {
  if (impl_->CountCall("DeleteValue", name)) return kErrAccessDenied;
  std::shared_ptr<Node> n;
  RegAccess access;
  long rc = impl_->Resolve(key, &n, &access);
  if (rc != kOk) return rc;
  if (access != RegAccess::ReadWrite || impl_->WriteDenied(n)) return kErrAccessDenied;
  return n->values.erase(impl_->Fold(name)) != 0 ? kOk : kErrFileNotFound;
}

long MemoryRegistry::LoadHive(const std::string& mountName, const std::string& file) {
  if (impl_->CountCall("LoadHive", mountName)) return kErrAccessDenied;
  std::vector<std::string> parts;
  if (SplitPath(mountName, &parts) != kOk || parts.size() != 1) return kErrInvalidParameter;
  auto hive = impl_->hiveFiles.find(impl_->Fold(file));
  if (hive == impl_->hiveFiles.end()) return kErrFileNotFound;
  if (!hive->second.mountedAs.empty()) return kErrSharingViolation;
  const std::string folded = impl_->Fold(mountName);
  if (impl_->users->children.count(folded) != 0) return kErrAlreadyExists;
  std::shared_ptr<Node> tree = hive->second.tree;
  tree->name = mountName;
  tree->parent = impl_->users;
  Impl::SetRoot(tree, kHkeyUsers);
  impl_->users->children[folded] = tree;
  impl_->users->enumValid = false;
  hive->second.mountedAs = folded;
  impl_->mounts[folded] = hive->first;
  return kOk;
}

long MemoryRegistry::UnloadHive(const std::string& mountName) {
  if (impl_->CountCall("UnloadHive", mountName)) return kErrAccessDenied;
  const std::string folded = impl_->Fold(mountName);
  auto mount = impl_->mounts.find(folded);
  if (mount == impl_->mounts.end()) {
    return impl_->users->children.count(folded) != 0 ? kErrAccessDenied : kErrFileNotFound;
  }
  Impl::HiveFile& hive = impl_->hiveFiles[mount->second];
  if (impl_->OpenBelow(hive.tree)) return kErrAccessDenied;
  impl_->users->children.erase(folded);
  impl_->users->enumValid = false;
  hive.tree->parent.reset();
  Impl::SetRoot(hive.tree, 0);
  hive.mountedAs.clear();
  impl_->mounts.erase(mount);
  return kOk;
}

long MemoryRegistry::GetWideBytes(RegHandle key, const std::string& name, uint32_t* type, std::string* data) {
  if (impl_->CountCall("GetWideBytes", name)) return kErrAccessDenied;
  std::shared_ptr<Node> n;
  RegAccess access;
  long rc = impl_->Resolve(key, &n, &access);
  if (rc != kOk) return rc;
  const std::string folded = impl_->Fold(name);
  if (!impl_->failQuery.empty() && impl_->failQuery.count({impl_->Where(n), folded}) != 0) return kErrAccessDenied;
  auto it = n->values.find(folded);
  if (it == n->values.end()) return kErrFileNotFound;
  const Node::Value& v = it->second;
  *type = v.type;
  *data = !v.wide && IsText(v.type) ? Utf16FromUtf8(impl_->cp.ToUtf8(v.bytes)) : v.bytes;
  return kOk;
}

long MemoryRegistry::SetWideValue(RegHandle key, const std::string& name, uint32_t type, const std::string& data) {
  if (impl_->CountCall("SetWideValue", name)) return kErrAccessDenied;
  std::shared_ptr<Node> n;
  RegAccess access;
  long rc = impl_->Resolve(key, &n, &access);
  if (rc != kOk) return rc;
  if (access != RegAccess::ReadWrite || impl_->WriteDenied(n)) return kErrAccessDenied;
  Node::Value& v = n->values[impl_->Fold(name)];
  if (v.name.empty()) v.name = name;
  v.type = type;
  v.bytes = data;
  v.wide = true;
  return kOk;
}

void MemoryRegistry::SaveHive(RegHandle root, const std::string& path, const std::string& file) {
  std::shared_ptr<Node> n = impl_->FindSeeded(root, path);
  if (!n) throw std::invalid_argument("no such key to save: " + path);
  Impl::HiveFile& hive = impl_->hiveFiles[impl_->Fold(file)];
  if (!hive.mountedAs.empty()) throw std::invalid_argument("the hive file is loaded: " + file);
  hive.tree = Impl::Copy(n);
  hive.tree->parent.reset();
  Impl::SetRoot(hive.tree, 0);
}

void MemoryRegistry::AddKey(RegHandle root, const std::string& path) { impl_->MakeSeeded(root, path); }

void MemoryRegistry::SetRaw(RegHandle root, const std::string& path, const std::string& name, uint32_t type,
                            const std::string& bytes) {
  std::shared_ptr<Node> n = impl_->MakeSeeded(root, path);
  auto it = n->values.find(impl_->Fold(name));
  if (it != n->values.end()) {
    it->second.type = type;
    it->second.bytes = bytes;
    it->second.wide = false;
  } else {
    n->values[impl_->Fold(name)] = Node::Value{name, type, bytes};
  }
}

void MemoryRegistry::SetText(RegHandle root, const std::string& path, const std::string& name,
                             const std::string& text) {
  SetRaw(root, path, name, kRegSz, text + std::string(1, '\0'));
}

void MemoryRegistry::RemoveTree(RegHandle root, const std::string& path) {
  std::shared_ptr<Node> n = impl_->FindSeeded(root, path);
  if (!n) return;
  if (impl_->IsRootNode(n)) {  // the root itself: empty it, it cannot vanish
    for (auto& child : n->children) Impl::MarkDeleted(child.second);
    n->children.clear();
    n->enumValid = false;
    n->values.clear();
    return;
  }
  impl_->Detach(n);
}

bool MemoryRegistry::HasKey(RegHandle root, const std::string& path) const {
  return impl_->FindSeeded(root, path) != nullptr;
}

bool MemoryRegistry::GetRaw(RegHandle root, const std::string& path, const std::string& name, uint32_t* type,
                            std::string* bytes) const {
  std::shared_ptr<Node> n = impl_->FindSeeded(root, path);
  if (!n) return false;
  auto it = n->values.find(impl_->Fold(name));
  if (it == n->values.end()) return false;
  if (type) *type = it->second.type;
  if (bytes) *bytes = it->second.bytes;
  return true;
}

std::string MemoryRegistry::GetText(RegHandle root, const std::string& path, const std::string& name) const {
  std::string bytes;
  if (!GetRaw(root, path, name, nullptr, &bytes)) return std::string();
  size_t nul = bytes.find('\0');
  return nul == std::string::npos ? bytes : bytes.substr(0, nul);
}

std::vector<std::string> MemoryRegistry::SubkeyNames(RegHandle root, const std::string& path) const {
  std::vector<std::string> names;
  std::shared_ptr<Node> n = impl_->FindSeeded(root, path);
  if (n) {
    for (const auto& child : n->children) names.push_back(child.second->name);
  }
  return names;
}

std::vector<std::string> MemoryRegistry::ValueNames(RegHandle root, const std::string& path) const {
  std::vector<std::string> names;
  std::shared_ptr<Node> n = impl_->FindSeeded(root, path);
  if (n) {
    for (const auto& v : n->values) names.push_back(v.second.name);
  }
  return names;
}

std::string MemoryRegistry::Dump(RegHandle root) const {
  std::string out;
  std::shared_ptr<Node> r = impl_->RootNode(root);
  if (r) impl_->Dump(r, "", &out);
  return out;
}

void MemoryRegistry::DenyOpen(RegHandle root, const std::string& path) {
  impl_->denyOpen.insert(impl_->WhereSeeded(root, path));
}

void MemoryRegistry::DenyWrite(RegHandle root, const std::string& path) {
  impl_->denyWrite.insert(impl_->WhereSeeded(root, path));
}

void MemoryRegistry::FailQuery(RegHandle root, const std::string& path, const std::string& name) {
  impl_->failQuery.insert({impl_->WhereSeeded(root, path), impl_->Fold(name)});
}

void MemoryRegistry::FailEnum(RegHandle root, const std::string& path, uint32_t index) {
  impl_->failEnum.insert({impl_->WhereSeeded(root, path), index});
}

size_t MemoryRegistry::OpenHandles() const { return impl_->handles.size(); }

size_t MemoryRegistry::Calls() const { return impl_->calls; }

void MemoryRegistry::FailCall(size_t number) {
  impl_->failCallNumber = number;
  impl_->failedCall.clear();
}

const std::string& MemoryRegistry::FailedCall() const { return impl_->failedCall; }
