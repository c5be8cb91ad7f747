// The /LOG file: UTF-8 text, never written through a link.
#pragma once

#include <string>
#include <vector>

class InstallLogFile {
 public:
  InstallLogFile() = default;
  ~InstallLogFile();
  InstallLogFile(const InstallLogFile&) = delete;
  InstallLogFile& operator=(const InstallLogFile&) = delete;

  // Creates or empties the file. False for a folder, a symbolic link or junction, a file with
  // other hard links, or a file that cannot be created. `path` is in the ANSI code page.
  bool Open(const std::string& path);
  // Lines in the ANSI code page, written as UTF-8 with CRLF.
  void Write(const std::vector<std::string>& lines);

 private:
  void* handle_ = nullptr;
};
