#include "tests/memory/memory_path.h"

#include <cstring>

#include "platform/win_types.h"

namespace {

bool IsSeparator(unsigned char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char UpperLetter(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Splits at separators that stand at a character start; marks a trailing separator.
std::vector<std::string> SplitNames(const CodePage& cp, const std::string& text, bool* trailing) {
  std::vector<std::string> parts;
  std::string current;
  *trailing = false;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (cp.IsLeadByte(c) && i + 1 < text.size()) {
      current.append(text, i, 2);
      *trailing = false;
      i += 2;
      continue;
    }
    if (IsSeparator(c)) {
      if (!current.empty()) parts.push_back(current);
      current.clear();
      *trailing = true;
    } else {
      current += static_cast<char>(c);
      *trailing = false;
    }
    ++i;
  }
  if (!current.empty()) parts.push_back(current);
  return parts;
}

// Byte offset of the first single-byte character ch, or npos.
size_t FindSingleByte(const CodePage& cp, const std::string& name, char ch) {
  for (size_t i = 0; i < name.size();) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (cp.IsLeadByte(c) && i + 1 < name.size()) {
      i += 2;
      continue;
    }
    if (name[i] == ch) return i;
    ++i;
  }
  return std::string::npos;
}

bool ValidName(const CodePage& cp, const std::string& name, bool allowWildcards) {
  const char* forbidden = allowWildcards ? "<>\"|:" : "<>\"|:*?";
  for (size_t i = 0; i < name.size();) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (cp.IsLeadByte(c) && i + 1 < name.size()) {
      i += 2;
      continue;
    }
    if (c < 0x20 || std::strchr(forbidden, c) != nullptr) return false;
    ++i;
  }
  return true;
}

bool EndsWithDataSuffix(const std::string& stream) {
  static const std::string kSuffix = ":$DATA";
  if (stream.size() < kSuffix.size()) return false;
  for (size_t i = 0; i < kSuffix.size(); ++i) {
    if (UpperLetter(stream[stream.size() - kSuffix.size() + i]) != kSuffix[i]) return false;
  }
  return true;
}

// Characters (one or two bytes each) of a name, for wildcard matching.
std::vector<std::string> Characters(const CodePage& cp, const std::string& text) {
  std::vector<std::string> chars;
  for (size_t i = 0; i < text.size();) {
    size_t n = (cp.IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
    chars.push_back(text.substr(i, n));
    i += n;
  }
  return chars;
}

bool MatchFrom(const std::vector<std::string>& p, size_t pi, const std::vector<std::string>& n, size_t ni) {
  while (pi < p.size()) {
    if (p[pi] == "*") {
      for (size_t k = ni; k <= n.size(); ++k) {
        if (MatchFrom(p, pi + 1, n, k)) return true;
      }
      return false;
    }
    if (ni >= n.size()) return false;
    if (p[pi] != "?" && p[pi] != n[ni]) return false;
    ++pi;
    ++ni;
  }
  return ni == n.size();
}

}  // namespace

MemoryPath ParseMemoryPath(const CodePage& cp, const std::string& text, const std::string& currentDir,
                           bool allowWildcards) {
  MemoryPath path;
  if (text.empty()) {
    path.error = kErrPathNotFound;
    return path;
  }
  if (IsSeparator(static_cast<unsigned char>(text[0])) && text.size() > 1 &&
      IsSeparator(static_cast<unsigned char>(text[1]))) {
    path.error = kErrPathNotFound;  // network paths do not exist here
    return path;
  }

  std::string rest;
  bool relative = false;
  if (text.size() >= 2 && IsAsciiLetter(text[0]) && text[1] == ':') {
    path.drive = UpperLetter(text[0]);
    rest = text.substr(2);
    relative = rest.empty() || !IsSeparator(static_cast<unsigned char>(rest[0]));
  } else {
    rest = text;
    relative = !IsSeparator(static_cast<unsigned char>(rest[0]));
  }

  std::vector<std::string> base;
  if (path.drive == 0 || relative) {
    bool ignored = false;
    MemoryPath cwd;
    if (currentDir.size() >= 2 && currentDir[1] == ':') {
      cwd.drive = UpperLetter(currentDir[0]);
      cwd.names = SplitNames(cp, currentDir.substr(2), &ignored);
    }
    if (path.drive == 0) path.drive = cwd.drive;
    // "X:name" on another drive than the current one starts at that drive's root.
    if (relative && path.drive == cwd.drive) base = cwd.names;
  }
  if (path.drive == 0) {
    path.error = kErrPathNotFound;
    return path;
  }

  std::vector<std::string> parts = SplitNames(cp, rest, &path.trailingBackslash);
  path.names = base;
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    bool last = i + 1 == parts.size();
    if (part == ".") continue;
    if (part == "..") {
      if (!path.names.empty()) path.names.pop_back();
      continue;
    }
    std::string name = part;
    if (last) {
      size_t colon = FindSingleByte(cp, part, ':');
      if (colon != std::string::npos) {
        name = part.substr(0, colon);
        path.stream = part.substr(colon + 1);
        if (EndsWithDataSuffix(path.stream)) path.stream.erase(path.stream.size() - 6);
        path.hasStream = true;
        if (name.empty() || path.stream.empty() || !ValidName(cp, path.stream, false)) {
          path.error = kErrInvalidName;
          return path;
        }
      }
    }
    if (!ValidName(cp, name, allowWildcards && last)) {
      path.error = kErrInvalidName;
      return path;
    }
    path.names.push_back(name);
  }
  return path;
}

std::string NameKey(const CodePage& cp, const std::string& name) { return cp.Upper(name); }

bool HasWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

bool MatchesWildcard(const CodePage& cp, const std::string& pattern, const std::string& name) {
  if (pattern == "*" || pattern == "*.*") return true;
  return MatchFrom(Characters(cp, NameKey(cp, pattern)), 0, Characters(cp, NameKey(cp, name)), 0);
}
