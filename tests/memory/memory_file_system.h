// A file system in memory with Windows semantics: drive letters, case-insensitive but
// case-preserving names, attributes (directory, read-only, ...), alternate data streams that a
// copy carries along, NTFS listing order (case-insensitive sorted, "." and ".." first except in
// a drive root), and injectable faults. A new one has an empty drive C:, the module path
// "C:\Setup\SetUp.exe" (the folder is not created) and the current directory "C:\".
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

#undef RemoveDirectory  // windows.h's macro, when it came after file_system.h

class MemoryFileSystem : public FileSystem {
 public:
  MemoryFileSystem();
  ~MemoryFileSystem() override;

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
  std::unique_ptr<FolderHold> TakeOver(const std::string& path, const std::string& sddl, Ownership* previous,
                                       long* error) override;

  // Set-up.
  void AddDrive(char letter);
  void SetModulePath(const std::string& path);
  void AddFolder(const std::string& path, uint32_t attributes = kAttrDirectory);  // with parents
  void AddFile(const std::string& path, const std::string& content, uint32_t attributes = kAttrArchive);
  void AddStream(const std::string& file, const std::string& stream, const std::string& content);
  // A folder (with parents), or a file already there, that is a reparse point with this tag
  // (0xA0000003 a junction, 0xA000000C a symbolic link, 0x9000001A a cloud placeholder, ...).
  void AddReparsePoint(const std::string& folder, uint32_t tag);
  // Everything is owned by the administration until set otherwise.
  void SetOwner(const std::string& path, Ownership owner);
  // Rights that entries applying to the file or folder itself grant others (FolderTrust's sense):
  // none until set. A folder made with default security gets its parent's.
  void SetOthersRights(const std::string& path, uint32_t rights);
  void SetLinks(const std::string& file, size_t links);  // hard links: 1 until set
  void RemovePermissions(char drive);  // the volume keeps no permissions, as FAT32 and exFAT
  // Someone else makes this folder (owned by Other, every right for others) the moment its parent
  // is there, before the setup's next creation of a folder; with `afterOurs`, it takes the place of
  // the folder the moment the setup has made it. Each racer wins once.
  void Race(const std::string& folder, bool afterOurs = false);
  size_t RacersLeft() const;

  // Reading back.
  bool IsFile(const std::string& path) const;
  bool IsFolder(const std::string& path) const;
  std::string Content(const std::string& path) const;  // empty when not a file
  // The SDDL a folder was made or last secured with; empty when it inherits its security.
  std::string Descriptor(const std::string& path) const;
  size_t HeldFolders() const;  // holds of Secure, HoldLevel and TakeOver not yet destroyed
  Ownership OwnerOf(const std::string& path) const;
  std::vector<std::string> PendingAtRestart() const;  // by RemoveAtRestart, in order
  bool HasStream(const std::string& file, const std::string& stream) const;
  std::vector<std::string> Names(const std::string& folder) const;  // listing order, no "." or ".."
  // Every folder, file (with attributes and size) and stream below a folder, one per line.
  std::string Dump(const std::string& folder) const;

  // Faults.
  // Copies from or onto it and its removal fail (kErrSharingViolation), as for a running program;
  // it can be renamed on its volume, and stays locked.
  void Lock(const std::string& path);
  void Unlock(const std::string& path);
  void DenyCreate(const std::string& path);  // MakeDirectory of exactly this path: kErrAccessDenied
  // FindNext fails after n entries, as when a network share goes (kErrNetNameDeleted).
  void BreakListing(const std::string& folder, size_t entries);
  void FailSetAttributes(const std::string& path);
  size_t OpenListings() const;  // listings not yet destroyed
  size_t Calls() const;         // operations of the FileSystem interface and its listings so far
  // The call that makes Calls() reach `number` fails as Windows would fail it: a listing that
  // does not open or breaks off there, kInvalidAttributes, or kErrAccessDenied. ModulePath
  // cannot fail: a number that falls on them injects nothing. 0 turns it off.
  void FailCall(size_t number);
  // What the failed call was ("Copy <from> -> <to>", "Next", ...); empty while none failed.
  const std::string& FailedCall() const;

 private:
  long MakeOneLevel(const std::string& path);
  struct Node;
  class HeldFolderImpl;
  void RunRacers(Node* madeByUs = nullptr);
  long Readable(const std::string& path, const char* operation, const Node** file);

  struct Impl;
  std::unique_ptr<Impl> impl_;
};
