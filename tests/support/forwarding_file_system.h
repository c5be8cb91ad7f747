// A file system that passes every call on to another: test doubles derive from it and override
// only the calls they change, so a new seam call is forwarded in one place.
#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"

#undef RemoveDirectory  // windows.h's macro, when it came after file_system.h

class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& inner) : inner_(inner) {}

  std::unique_ptr<DirListing> FindFirst(const std::string& pattern, FindEntry* first) override {
    return inner_.FindFirst(pattern, first);
  }
  long Copy(const std::string& from, const std::string& to, bool failIfExists) override {
    return inner_.Copy(from, to, failIfExists);
  }
  long MakeDirectory(const std::string& path) override { return inner_.MakeDirectory(path); }
  long MakeSecuredDirectory(const std::string& path, const std::string& sddl) override {
    return inner_.MakeSecuredDirectory(path, sddl);
  }
  std::unique_ptr<FolderHold> Secure(const std::string& path, const std::string& sddl, long* error) override {
    return inner_.Secure(path, sddl, error);
  }
  uint32_t Attributes(const std::string& path) override { return inner_.Attributes(path); }
  long SetAttributes(const std::string& path, uint32_t attributes) override {
    return inner_.SetAttributes(path, attributes);
  }
  long Remove(const std::string& path) override { return inner_.Remove(path); }
  long RemoveDirectory(const std::string& path) override { return inner_.RemoveDirectory(path); }
  long RemoveAtRestart(const std::string& path) override { return inner_.RemoveAtRestart(path); }
  bool IsRedirection(const std::string& path) override { return inner_.IsRedirection(path); }
  Ownership Owner(const std::string& path) override { return inner_.Owner(path); }
  long Replace(const std::string& from, const std::string& to) override { return inner_.Replace(from, to); }
  std::string Sha256(const std::string& path) override { return inner_.Sha256(path); }
  std::string ModulePath() override { return inner_.ModulePath(); }
  long ReadFile(const std::string& path, std::string* bytes) override { return inner_.ReadFile(path, bytes); }
  long WriteNewFile(const std::string& path, const std::string& bytes) override {
    return inner_.WriteNewFile(path, bytes);
  }
  long Stamp(const std::string& path, FileStamp* stamp) override { return inner_.Stamp(path, stamp); }
  std::unique_ptr<HeldFile> HoldFile(const std::string& path, long* error) override {
    return inner_.HoldFile(path, error);
  }
  std::unique_ptr<HeldFolder> HoldFolder(const std::string& path, bool forRemoval, long* error) override {
    return inner_.HoldFolder(path, forRemoval, error);
  }
  std::unique_ptr<FolderHold> HoldLevel(const std::string& path, FolderTrust* trust, long* error) override {
    return inner_.HoldLevel(path, trust, error);
  }
  std::unique_ptr<FolderHold> TakeOver(const std::string& path, const std::string& sddl, Ownership* previous,
                                       long* error) override {
    return inner_.TakeOver(path, sddl, previous, error);
  }

 private:
  FileSystem& inner_;
};
