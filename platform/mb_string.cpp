#include "platform/mb_string.h"

size_t FindLastBackslash(const CodePage& cp, const std::string& text) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\\') last = i;
    // A lead byte at the very end has no trail byte: it stands alone.
    i += (cp.IsLeadByte(c) && i + 1 < text.size()) ? 2 : 1;
  }
  return last;
}

bool RemoveTrailingBackslash(const CodePage& cp, std::string& text, LoneBackslash lone) {
  size_t pos = FindLastBackslash(cp, text);
  if (pos == std::string::npos || pos + 1 != text.size()) return false;
  if (pos == 0 && lone == LoneBackslash::Keep) return false;
  text.erase(pos);
  return true;
}

size_t FindAtCharStart(const CodePage& cp, const std::string& haystack, const std::string& needle) {
  if (needle.empty()) return 0;
  for (size_t i = 0; i + needle.size() <= haystack.size();) {
    if (haystack.compare(i, needle.size(), needle) == 0) return i;
    unsigned char c = static_cast<unsigned char>(haystack[i]);
    i += (cp.IsLeadByte(c) && i + 1 < haystack.size()) ? 2 : 1;
  }
  return std::string::npos;
}

bool SameFileName(const CodePage& cp, const std::string& a, const std::string& b) {
  return a.size() == b.size() && cp.Lower(a) == cp.Lower(b);
}

std::string AsciiUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

bool IsBelowFolder(const CodePage& cp, const std::string& path, const std::string& folder) {
  if (folder.empty() || path.size() <= folder.size() + 1) return false;
  return cp.Upper(path.substr(0, folder.size() + 1)) == cp.Upper(folder + "\\");
}

std::string FolderOfPath(const CodePage& cp, const std::string& path) {
  const size_t slash = FindLastBackslash(cp, path);
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string BaseNameWithoutExtension(const CodePage& cp, const std::string& path) {
  size_t slash = FindLastBackslash(cp, path);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  // '.' is never a trail byte in code page 936, so a plain search is safe.
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot != 0) name.erase(dot);
  return name;
}
