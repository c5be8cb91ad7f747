#include "acad/registry_reading.h"

#include <algorithm>
#include <vector>

namespace {

// Enough for a value that keeps growing while we read it; the registry names the size it needs.
constexpr int kMaxReadAttempts = 16;
// Never ask for more than this in one buffer (the registry keeps values far smaller).
constexpr uint32_t kMaxValueBufferSize = 0x40000000u;

// Reads into a zero-filled buffer of bufferSize bytes. On success *text holds the data up to the
// first NUL within the bytes the registry reported; *size is the registry's size answer either way.
long QueryIntoBuffer(Registry& registry, RegHandle key, const std::string& name, uint32_t bufferSize,
                     std::string* text, uint32_t* size) {
  // One spare byte keeps data() valid for an empty buffer.
  std::vector<unsigned char> buffer(static_cast<size_t>(bufferSize) + 1, 0);
  uint32_t type = 0;
  *size = bufferSize;
  long rc = registry.QueryValue(key, name, &type, buffer.data(), size);
  if (rc != kOk) return rc;
  const unsigned char* begin = buffer.data();
  const unsigned char* end = begin + std::min(*size, bufferSize);
  const unsigned char* nul = std::find(begin, end, 0);
  text->assign(reinterpret_cast<const char*>(begin), static_cast<size_t>(nul - begin));
  return kOk;
}

}  // namespace

long ReadSubkeyName(Registry& registry, RegHandle key, uint32_t index, std::string* name) {
  char buffer[kKeyNameBufferSize + 1] = {};
  uint32_t size = kKeyNameBufferSize;
  long rc = registry.EnumSubkey(key, index, buffer, &size);
  if (rc != kOk) return rc;
  size_t length = std::min<size_t>(size, kKeyNameBufferSize);
  const char* nul = std::find(buffer, buffer + length, '\0');
  name->assign(buffer, static_cast<size_t>(nul - buffer));
  return kOk;
}

std::vector<std::string> SubkeyNames(Registry& registry, RegHandle key) {
  std::vector<std::string> names;
  uint32_t count = 0;
  if (registry.SubkeyCount(key, &count) != kOk) return names;
  for (uint32_t index = 0; index < count; ++index) {
    std::string name;
    if (ReadSubkeyName(registry, key, index, &name) == kOk) names.push_back(name);
  }
  return names;
}

long ReadValueText(Registry& registry, RegHandle key, const std::string& name, uint32_t bufferSize,
                   std::string* text) {
  uint32_t size = 0;
  return QueryIntoBuffer(registry, key, name, bufferSize, text, &size);
}

long ReadWholeValueText(Registry& registry, RegHandle key, const std::string& name, uint32_t firstSize,
                        std::string* text) {
  uint32_t bufferSize = firstSize;
  long rc = kErrMoreData;
  for (int attempt = 0; attempt < kMaxReadAttempts; ++attempt) {
    uint32_t needed = 0;
    rc = QueryIntoBuffer(registry, key, name, bufferSize, text, &needed);
    if (rc != kErrMoreData) return rc;
    if (needed <= bufferSize) {
      // No usable size came with the failure: ask for the size alone.
      needed = 0;
      uint32_t type = 0;
      if (registry.QueryValue(key, name, &type, nullptr, &needed) != kOk) needed = 0;
    }
    if (bufferSize >= kMaxValueBufferSize) return kErrMoreData;
    uint32_t doubled = bufferSize == 0 ? 1024 : std::min(bufferSize * 2, kMaxValueBufferSize);
    bufferSize = needed > bufferSize ? std::min(needed, kMaxValueBufferSize) : doubled;
  }
  return rc;
}
