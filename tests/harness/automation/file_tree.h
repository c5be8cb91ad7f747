// Files and folders in the test prefix: preparing them, listing them, removing them.
// Paths are Windows paths in UTF-8. Failures to prepare throw std::runtime_error.
#pragma once

#include <string>
#include <vector>

namespace automation {

struct FileSeed {
  std::string path;
  bool folder = false;
  std::string content;  // bytes of a file
  bool readOnly = false;

  static FileSeed File(const std::string& path, const std::string& content, bool readOnly = false);
  static FileSeed Folder(const std::string& path);
};

// Creates the folders and files (with any missing parent folders); files are overwritten.
void SeedFiles(const std::vector<FileSeed>& seeds);
void CreateFolders(const std::string& path);

// Removes a file or a whole folder tree, read-only entries included. True when nothing is left.
bool DeleteFileTree(const std::string& path);
bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);
bool ReadFileBytes(const std::string& path, std::string* content);

// Sorted lines, paths relative to `root`:  folder<TAB><rel>  and
// file<TAB><rel><TAB><size><TAB><hash><TAB>readonly|writable  (hash: FNV-1a of the bytes, 16 hex
// digits). A missing root gives no lines.
std::vector<std::string> ListFileTree(const std::string& root);

}  // namespace automation
