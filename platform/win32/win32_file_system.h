// The file system through kernel32's A functions.
#pragma once

#include <cstddef>
#include <string>

#include "platform/file_system.h"
#include "platform/keep_alive.h"

// The seam's call, also where windows.h came after file_system.h.
#undef RemoveDirectory

// GetModuleFileNameA for the process's own module, read whole: the buffer starts at the given
// size and grows until the text fits.
std::string ReadModulePath(size_t initialSize);

class Win32FileSystem : public FileSystem {
 public:
  std::unique_ptr<DirListing> FindFirst(const std::string& pattern, FindEntry* first) override;
  long Copy(const std::string& from, const std::string& to, bool failIfExists) override;
  long MakeDirectory(const std::string& path) override;
  uint32_t Attributes(const std::string& path) override;
  long SetAttributes(const std::string& path, uint32_t attributes) override;
  long Remove(const std::string& path) override;
  bool IsRedirection(const std::string& path) override;
  long Replace(const std::string& from, const std::string& to) override;
  std::string ModulePath() override;
  // win32_folder_security.cpp
  long MakeSecuredDirectory(const std::string& path, const std::string& sddl) override;
  std::unique_ptr<FolderHold> Secure(const std::string& path, const std::string& sddl, long* error) override;
  Ownership Owner(const std::string& path) override;
  // win32_hashing.cpp
  std::string Sha256(const std::string& path) override;
  // win32_file_removal.cpp
  long RemoveDirectory(const std::string& path) override;
  long RemoveAtRestart(const std::string& path) override;
  // win32_file_content.cpp
  long ReadFile(const std::string& path, std::string* bytes) override;
  long WriteNewFile(const std::string& path, const std::string& bytes) override;
  long Stamp(const std::string& path, FileStamp* stamp) override;
  // win32_held_files.cpp
  std::unique_ptr<HeldFile> HoldFile(const std::string& path, long* error) override;
  std::unique_ptr<HeldFolder> HoldFolder(const std::string& path, bool forRemoval, long* error) override;

  // win32_folder_trust.cpp
  std::unique_ptr<FolderHold> HoldLevel(const std::string& path, FolderTrust* trust, long* error) override;
  std::unique_ptr<FolderHold> TakeOver(const std::string& path, const std::string& sddl, Ownership* previous,
                                       long* error) override;

  // Beaten inside long copies and hashes while set (the dialog's install); borrowed.
  KeepAlive* keepAlive = nullptr;

 private:
  // Whether the volume holding `path` keeps named streams; remembered for the last folder asked.
  bool VolumeHasStreams(const std::string& path);
  std::string streamsFolder_;
  bool streamsFolderHas_ = true;
};
