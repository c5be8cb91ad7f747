#include "deploy/product_version.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

std::vector<uint64_t> Parts(const std::string& version) {
  std::vector<uint64_t> parts;
  for (size_t start = 0;;) {
    const size_t dot = version.find('.', start);
    const std::string part = version.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    uint64_t n = 0;
    for (char c : part) {
      if (c < '0' || c > '9' || n > UINT64_MAX / 10 - 1) {
        n = 0;
        break;
      }
      n = n * 10 + static_cast<uint64_t>(c - '0');
    }
    parts.push_back(n);
    if (dot == std::string::npos) return parts;
    start = dot + 1;
  }
}

}  // namespace

int CompareVersions(const std::string& a, const std::string& b) {
  std::vector<uint64_t> x = Parts(a), y = Parts(b);
  x.resize(std::max(x.size(), y.size()));
  y.resize(x.size());
  for (size_t i = 0; i < x.size(); ++i) {
    if (x[i] != y[i]) return x[i] < y[i] ? -1 : 1;
  }
  return 0;
}

std::string VersionChange(const std::string& installed, const std::string& ours) {
  if (installed.empty()) return "installing " + ours;
  const int order = CompareVersions(installed, ours);
  if (order == 0) return "reinstalling " + ours;
  return (order < 0 ? "upgrading from " : "downgrading from ") + installed + " to " + ours;
}
