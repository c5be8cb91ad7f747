// For the Windows tests: a fresh folder below %TEMP% that removes itself with everything in it,
// and small file helpers over the A functions (the texts are in the ANSI code page, as the
// logic's are).
#pragma once

#include "tests/support/forwarding_file_system.h"

#include <windows.h>

#include <string>
#include <vector>

#include "platform/file_system.h"

inline void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(path.c_str());
}

class TempFolder {
 public:
  TempFolder() {
    char temp[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof temp, temp);
    static int counter = 0;
    path_ = std::string(temp, length) + "tessa-install-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() { RemoveTree(path_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Makes every folder on the way below an existing one.
inline void MakeFolders(const std::string& base, const std::string& relative) {
  std::string path = base;
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find('\\', start);
    if (end == std::string::npos) end = relative.size();
    path += "\\" + relative.substr(start, end - start);
    CreateDirectoryA(path.c_str(), nullptr);
    start = end + 1;
  }
}

inline bool WriteTextFile(const std::string& path, const std::string& content, DWORD attributes = 0) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
  if (attributes != 0) SetFileAttributesA(path.c_str(), attributes);
  return ok && written == content.size();
}

// The file's bytes, or "<missing>".
inline std::string ReadTextFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string content;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) content.append(buffer, read);
  CloseHandle(file);
  return content;
}

inline bool IsReadOnly(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// The names in a folder, without "." and "..", in listing order.
inline std::vector<std::string> ListNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = data.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

// The real file system, except that the running program seems to be `modulePath`.
class RelocatedFileSystem : public ForwardingFileSystem {
 public:
  RelocatedFileSystem(FileSystem& real, std::string modulePath)
      : ForwardingFileSystem(real), modulePath_(std::move(modulePath)) {}
  std::string ModulePath() override { return modulePath_; }

 private:
  std::string modulePath_;
};
