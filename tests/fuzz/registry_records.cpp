#include "tests/fuzz/registry_records.h"

#include "platform/cp936_code_page.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

// The real registry is at most 512 levels deep; deeper trees only measure the test's stack.
constexpr size_t kMaxKeyDepth = 512;
// The largest value a record may make: beyond TRUSTEDPATHS's first read and AutoCAD's buffers.
constexpr size_t kMaxValueSize = 70000;

const Cp936CodePage kCodePage;

// Levels of a key path: its names, counted at backslashes that stand at a character start.
size_t Depth(const std::string& path) {
  size_t depth = path.empty() ? 0 : 1;
  for (size_t i = 0; i < path.size(); ++i) {
    if (kCodePage.IsLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      ++i;
    } else if (path[i] == '\\') {
      ++depth;
    }
  }
  return depth;
}

const std::string& Base(const std::vector<std::string>& bases, const std::string& line) {
  unsigned char pick = line.size() > 1 ? static_cast<unsigned char>(line[1]) : 0;
  return bases[pick % bases.size()];
}

// The value's type and bytes from the type field: "s"/"" for a string, a number for raw bytes,
// and an optional "xN" repeat.
RegistrySnapshot::Value MakeValue(const std::string& typeField, const std::string& data) {
  RegistrySnapshot::Value value;
  size_t digits = 0;
  uint32_t number = LeadingNumber(typeField, 0xFFFFFFFFu, &digits);
  bool text = digits == 0;
  value.type = text ? kRegSz : number;
  size_t x = typeField.find('x', digits);
  size_t repeat = x == std::string::npos ? 1 : LeadingNumber(typeField.substr(x + 1), kMaxValueSize);
  for (size_t i = 0; i < repeat && value.bytes.size() + data.size() <= kMaxValueSize; ++i) value.bytes += data;
  if (text) value.bytes += '\0';
  return value;
}

void CollectKey(const MemoryRegistry& registry, RegHandle root, const std::string& path,
                RegistrySnapshot* snapshot) {
  std::vector<std::pair<std::string, RegistrySnapshot::Value>> values;
  for (const std::string& name : registry.ValueNames(root, path)) {
    RegistrySnapshot::Value value;
    registry.GetRaw(root, path, name, &value.type, &value.bytes);
    values.emplace_back(kCodePage.Upper(name), value);
  }
  snapshot->keys.emplace_back(path, std::move(values));
  for (const std::string& child : registry.SubkeyNames(root, path)) {
    CollectKey(registry, root, path.empty() ? child : path + "\\" + child, snapshot);
  }
}

}  // namespace

std::string KeyPathBelow(const std::string& base, const std::string& relative) {
  std::string clean = WithoutNul(relative);
  std::vector<std::string> names;
  std::string current;
  bool loneLead = false;  // only the very last byte can be a lead byte without its trail byte
  auto finishName = [&]() {
    if (!current.empty()) names.push_back(loneLead ? current + '@' : current);
    current.clear();
    loneLead = false;
  };
  for (size_t i = 0; i < clean.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(clean[i]);
    if (kCodePage.IsLeadByte(c) && i + 1 < clean.size()) {
      current.append(clean, i, 2);
      ++i;
    } else if (c == '\\') {
      finishName();
    } else {
      current += clean[i];
      loneLead = kCodePage.IsLeadByte(c);
    }
  }
  finishName();

  std::string path = base;
  size_t depth = Depth(base);
  for (const std::string& name : names) {
    if (depth >= kMaxKeyDepth) break;
    path += (path.empty() ? "" : "\\") + name;
    ++depth;
  }
  return path;
}

std::vector<std::string> ApplyRegistryRecords(MemoryRegistry& registry, RegHandle root,
                                              const std::vector<std::string>& bases,
                                              const std::vector<std::string>& lines,
                                              std::vector<AppliedRecord>* applied) {
  std::vector<std::string> others;
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    const std::string& base = Base(bases, line);
    // f[0] is whatever stands between the base byte and the first '|': ignored.
    std::vector<std::string> f = SplitFields(line.size() > 2 ? line.substr(2) : std::string(), 5);
    std::string path = KeyPathBelow(base, f[1]);
    switch (line[0]) {
      case 'K':
        registry.AddKey(root, path);
        break;
      case 'V': {
        RegistrySnapshot::Value v = MakeValue(f[3], f[4]);
        registry.SetRaw(root, path, WithoutNul(f[2]), v.type, v.bytes);
        break;
      }
      case 'D':
        registry.DenyOpen(root, path);
        break;
      case 'W':
        registry.DenyWrite(root, path);
        break;
      case 'Q':
        registry.FailQuery(root, path, WithoutNul(f[2]));
        break;
      case 'E':
        registry.FailEnum(root, path, LeadingNumber(f[2], 1000));
        break;
      default:
        others.push_back(line);
        continue;
    }
    if (applied != nullptr) applied->push_back({line[0], path});
  }
  return others;
}

bool Touches(const std::vector<AppliedRecord>& applied, const std::string& key) {
  // The key is ASCII: a path sharing its bytes shares its character boundaries too.
  const std::string upperKey = kCodePage.Upper(key);
  for (const AppliedRecord& record : applied) {
    std::string path = kCodePage.Upper(record.path);
    if (path == upperKey || path.compare(0, upperKey.size() + 1, upperKey + "\\") == 0) return true;
    if (record.kind != 'K' && upperKey.compare(0, path.size() + 1, path + "\\") == 0) return true;
  }
  return false;
}

const std::vector<std::pair<std::string, RegistrySnapshot::Value>>* RegistrySnapshot::Find(
    const std::string& keyPath) const {
  for (const auto& key : keys) {
    if (key.first == keyPath) return &key.second;
  }
  return nullptr;
}

const RegistrySnapshot::Value* RegistrySnapshot::Find(const std::string& keyPath,
                                                      const std::string& upperName) const {
  const auto* values = Find(keyPath);
  if (values == nullptr) return nullptr;
  for (const auto& value : *values) {
    if (value.first == upperName) return &value.second;
  }
  return nullptr;
}

RegistrySnapshot TakeSnapshot(const MemoryRegistry& registry, RegHandle root) {
  RegistrySnapshot snapshot;
  CollectKey(registry, root, "", &snapshot);
  return snapshot;
}
