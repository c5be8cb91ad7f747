#include "tests/fuzz/fuzz_input.h"

#include <cstdio>
#include <cstdlib>

std::vector<std::string> SplitLines(const uint8_t* data, size_t size) {
  std::vector<std::string> lines;
  std::string text(reinterpret_cast<const char*>(data), size);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> SplitFields(const std::string& text, size_t count) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (fields.size() + 1 < count) {
    size_t bar = text.find('|', start);
    if (bar == std::string::npos) break;
    fields.push_back(text.substr(start, bar - start));
    start = bar + 1;
  }
  fields.push_back(start <= text.size() ? text.substr(start) : std::string());
  fields.resize(count);
  return fields;
}

uint32_t LeadingNumber(const std::string& text, uint32_t max, size_t* digits) {
  uint64_t value = 0;
  size_t i = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + static_cast<uint64_t>(text[i] - '0');
    if (value > max) value = max;
  }
  if (digits) *digits = i;
  return static_cast<uint32_t>(value);
}

std::string WithoutNul(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c != '\0') out += c;
  }
  return out;
}

void Require(bool holds, const char* invariant) {
  if (holds) return;
  std::fprintf(stderr, "\nINVARIANT BROKEN: %s\n", invariant);
  std::abort();
}
