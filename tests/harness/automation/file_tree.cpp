#include "automation/file_tree.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "automation/text.h"

namespace automation {

FileSeed FileSeed::File(const std::string& path, const std::string& content, bool readOnly) {
  FileSeed seed;
  seed.path = path;
  seed.content = content;
  seed.readOnly = readOnly;
  return seed;
}

FileSeed FileSeed::Folder(const std::string& path) {
  FileSeed seed;
  seed.path = path;
  seed.folder = true;
  return seed;
}

namespace {

std::string Parent(const std::string& path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

DWORD Attributes(const std::string& path) {
  return GetFileAttributesW(WideFromUtf8(path).c_str());
}

void WriteFileBytes(const std::string& path, const std::string& content) {
  std::wstring wide = WideFromUtf8(path);
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    throw std::runtime_error("cannot create file " + path + ": error " + std::to_string(GetLastError()));
  }
  DWORD written = 0;
  bool ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
            written == content.size();
  CloseHandle(file);
  if (!ok) throw std::runtime_error("cannot write file " + path);
}

std::string Fnv1a(const std::string& bytes) {
  unsigned long long hash = 14695981039346656037ull;
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", hash);
  return text;
}

void ListInto(const std::string& folder, const std::string& relative, std::vector<std::string>* lines) {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(WideFromUtf8(folder + "\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = Utf8FromWide(entry.cFileName);
    if (name == "." || name == "..") continue;
    std::string rel = relative.empty() ? name : relative + "\\" + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      lines->push_back("folder\t" + EscapeField(rel));
      ListInto(folder + "\\" + name, rel, lines);
    } else {
      std::string content;
      ReadFileBytes(folder + "\\" + name, &content);
      lines->push_back("file\t" + EscapeField(rel) + "\t" + std::to_string(content.size()) + "\t" + Fnv1a(content) +
                       (entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY ? "\treadonly" : "\twritable"));
    }
  } while (FindNextFileW(find, &entry));
  FindClose(find);
}

void DeleteInside(const std::string& folder) {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(WideFromUtf8(folder + "\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = Utf8FromWide(entry.cFileName);
    if (name != "." && name != "..") DeleteFileTree(folder + "\\" + name);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
}

}  // namespace

void CreateFolders(const std::string& path) {
  if (path.empty() || IsFolder(path)) return;
  std::string parent = Parent(path);
  if (!parent.empty() && parent.back() != ':') CreateFolders(parent);
  if (!CreateDirectoryW(WideFromUtf8(path).c_str(), nullptr) && !IsFolder(path)) {
    throw std::runtime_error("cannot create folder " + path + ": error " + std::to_string(GetLastError()));
  }
}

void SeedFiles(const std::vector<FileSeed>& seeds) {
  for (const FileSeed& seed : seeds) {
    if (seed.folder) {
      CreateFolders(seed.path);
      continue;
    }
    CreateFolders(Parent(seed.path));
    WriteFileBytes(seed.path, seed.content);
    if (seed.readOnly) SetFileAttributesW(WideFromUtf8(seed.path).c_str(), FILE_ATTRIBUTE_READONLY);
  }
}

bool PathExists(const std::string& path) {
  return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path) {
  DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DeleteFileTree(const std::string& path) {
  std::wstring wide = WideFromUtf8(path);
  DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  SetFileAttributesW(wide.c_str(), attributes & FILE_ATTRIBUTE_DIRECTORY ? FILE_ATTRIBUTE_DIRECTORY
                                                                          : FILE_ATTRIBUTE_NORMAL);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    DeleteInside(path);
    RemoveDirectoryW(wide.c_str());
  } else {
    DeleteFileW(wide.c_str());
  }
  return !PathExists(path);
}

bool ReadFileBytes(const std::string& path, std::string* content) {
  HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  content->clear();
  char buffer[65536];
  DWORD read = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr) != FALSE) && read > 0) content->append(buffer, read);
  CloseHandle(file);
  return ok;
}

std::vector<std::string> ListFileTree(const std::string& root) {
  std::vector<std::string> lines;
  if (IsFolder(root)) {
    ListInto(root, std::string(), &lines);
  } else if (PathExists(root)) {
    std::string content;
    ReadFileBytes(root, &content);
    lines.push_back("file\t\t" + std::to_string(content.size()) + "\t" + Fnv1a(content) +
                    (Attributes(root) & FILE_ATTRIBUTE_READONLY ? "\treadonly" : "\twritable"));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

}  // namespace automation
