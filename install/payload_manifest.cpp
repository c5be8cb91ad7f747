#include "install/payload_manifest.h"

#include <algorithm>
#include <cctype>

#include "platform/mb_string.h"

namespace {

bool IsDigest(const std::string& text) {
  if (text.size() != 64) return false;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool IsNumber(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

PayloadManifest PayloadManifest::Parse(const std::string& text) {
  PayloadManifest manifest;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();

    const size_t firstSpace = line.find(' ');
    const size_t secondSpace = firstSpace == std::string::npos ? firstSpace : line.find(' ', firstSpace + 1);
    if (secondSpace == std::string::npos) continue;
    const std::string digest = line.substr(0, firstSpace);
    const std::string size = line.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    const std::string name = line.substr(secondSpace + 1);
    if (!IsDigest(digest) || !IsNumber(size) || name.empty()) continue;
    manifest.entries_.push_back(ManifestEntry{name, Lower(digest)});
  }
  return manifest;
}

const ManifestEntry* PayloadManifest::Find(const CodePage& cp, const std::string& name) const {
  // Every file installed is looked up: a list of thousands would otherwise be read through for each.
  if (indexCodePage_ != &cp) {
    index_.clear();
    for (size_t i = 0; i < entries_.size(); ++i) index_.emplace_back(cp.Lower(entries_[i].name), i);
    // Equal names keep the order of the list, so the first one listed is found, as before.
    std::stable_sort(index_.begin(), index_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    indexCodePage_ = &cp;
  }
  const std::string key = cp.Lower(name);
  auto found = std::lower_bound(index_.begin(), index_.end(), key,
                                [](const auto& item, const std::string& k) { return item.first < k; });
  return found != index_.end() && found->first == key ? &entries_[found->second] : nullptr;
}

Verdict VerifyCopy(const Platform& p, const PayloadManifest* manifest, const std::string& name,
                   const std::string& copy) {
  if (manifest == nullptr) return Verdict::Unchecked;
  const ManifestEntry* entry = manifest->Find(p.codePage, name);
  if (entry == nullptr) return Verdict::Unlisted;
  // A copy that cannot be read hashes to nothing, which matches no entry.
  return p.files.Sha256(copy) == entry->sha256 ? Verdict::Matches : Verdict::Mismatch;
}
