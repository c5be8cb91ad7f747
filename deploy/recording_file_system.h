// The file system as the install sees it: every copy and every failed one goes into the report,
// every file put in place and every folder made into the record.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "deploy/install_record.h"
#include "deploy/install_report.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

#undef RemoveDirectory  // windows.h's macro, when it came after file_system.h

class RecordingFileSystem : public FileSystem {
 public:
  RecordingFileSystem(FileSystem& inner, const CodePage& codePage, InstallReport& report, InstallRecord& record);

  // Runs `keep(original, replacementSha256)` before one of `originals` that exists is replaced.
  using Keeper = std::function<void(const std::string& original, const std::string& replacementSha256)>;
  void KeepBeforeReplacing(const std::vector<std::string>& originals, Keeper keep);
  // The files put in place go into the record with their size and hash; after the install.
  void Finish();

  std::unique_ptr<DirListing> FindFirst(const std::string& pattern, FindEntry* first) override;
  long Copy(const std::string& from, const std::string& to, bool failIfExists) override;
  long MakeDirectory(const std::string& path) override;
  long MakeSecuredDirectory(const std::string& path, const std::string& sddl) override;
  std::unique_ptr<FolderHold> Secure(const std::string& path, const std::string& sddl, long* error) override;
  uint32_t Attributes(const std::string& path) override;
  long SetAttributes(const std::string& path, uint32_t attributes) override;
  long Remove(const std::string& path) override;
  long RemoveDirectory(const std::string& path) override;
  long RemoveAtRestart(const std::string& path) override;
  bool IsRedirection(const std::string& path) override;
  Ownership Owner(const std::string& path) override;
  long Replace(const std::string& from, const std::string& to) override;
  std::string Sha256(const std::string& path) override;
  std::string ModulePath() override;
  long ReadFile(const std::string& path, std::string* bytes) override;
  long WriteNewFile(const std::string& path, const std::string& bytes) override;
  long Stamp(const std::string& path, FileStamp* stamp) override;
  std::unique_ptr<HeldFile> HoldFile(const std::string& path, long* error) override;
  std::unique_ptr<HeldFolder> HoldFolder(const std::string& path, bool forRemoval, long* error) override;
  std::unique_ptr<FolderHold> HoldLevel(const std::string& path, FolderTrust* trust, long* error) override;
  // What the setup takes over goes into the report: what someone else owned, and what it left alone.
  std::unique_ptr<FolderHold> TakeOver(const std::string& path, const std::string& sddl, Ownership* previous,
                                       long* error) override;

 private:
  long Made(const std::string& path, long rc);
  std::string Key(const std::string& path) const { return codePage_.Upper(path); }
  void Placed(const std::string& path, const std::string& sha256);
  void Gone(const std::string& key);
  RecordedFile* PlacedFile(const std::string& path);

  FileSystem& inner_;
  const CodePage& codePage_;
  InstallReport& report_;
  InstallRecord& record_;
  std::set<std::string> failedFolders_;
  std::set<std::string> madeNow_;
  // Files put in place so far, in order, with the hash the install computed of them, if any. A
  // copy under a temporary name moves on with the rename; one gone keeps its place with no path.
  // Looked up by key: thousands of files must not make thousands of passes over each other.
  std::vector<RecordedFile> placed_;
  std::map<std::string, size_t> placedAt_;
  std::set<std::string> kept_;
  Keeper keep_;
};
