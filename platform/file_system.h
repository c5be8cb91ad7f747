// The file system as the logic sees it: the A functions of kernel32.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/win_types.h"

// windows.h makes RemoveDirectory a macro for RemoveDirectoryA or W: here it is the seam's call
// (Win32 code names the A function).
#undef RemoveDirectory

// One entry of a directory listing (the used fields of WIN32_FIND_DATAA).
struct FindEntry {
  std::string name;
  uint32_t attributes = 0;
};

// A folder, or the "." and ".." entries of a listing.
inline bool IsFolderEntry(const FindEntry& entry) {
  return entry.name == "." || entry.name == ".." || (entry.attributes & kAttrDirectory) != 0;
}

// An open listing (a find handle); closes itself.
// What tells a file unchanged without reading it, as Windows Installer tells it.
struct FileStamp {
  uint64_t size = 0;
  uint64_t lastWrite = 0;  // FILETIME: 100 ns since 1601; a copy keeps its source's
};

class DirListing {
 public:
  virtual ~DirListing() = default;
  // FindNextFileA: false when there are no more entries (or the listing broke off).
  virtual bool Next(FindEntry* entry) = 0;
  // After Next returned false: kErrNoMoreFiles at the end of the listing, any other code when it
  // broke off (a network share gone, say). kOk while Next has not failed.
  virtual long Error() const = 0;
};

// A junction or a symbolic link: a reparse point whose tag is a name surrogate. Cloud placeholders
// and deduplicated files are reparse points too, but stand for the file itself.
inline bool IsRedirection(uint32_t attributes, uint32_t reparseTag) {
  constexpr uint32_t kNameSurrogateTag = 0x20000000;
  return (attributes & kAttrReparsePoint) != 0 && (reparseTag & kNameSurrogateTag) != 0;
}

// Who owns a file or folder, as far as an elevated setup may trust it.
enum class Ownership {
  Administration,  // Administrators, SYSTEM, TrustedInstaller, or the administrator running the setup
  Other,           // anyone else, or an owner that cannot be read
};

// A folder opened so that nobody can delete, rename or replace it until this is destroyed.
class FolderHold {
 public:
  virtual ~FolderHold() = default;
};

// A file opened once and read through that handle afterwards (FileSystem::HoldFile): what it
// gives is the file that was opened, whatever has been put under its name since.
class HeldFile {
 public:
  virtual ~HeldFile() = default;
  // The whole content, from its start.
  virtual long Read(std::string* bytes) = 0;
};

// A folder opened as itself (FileSystem::HoldFolder): nobody can rename or delete it meanwhile.
class HeldFolder : public FolderHold {
 public:
  // Its owner, read on the handle; Other when it cannot be read.
  virtual Ownership Owner() = 0;
  // Deletes the folder through the handle, which it closes (FileDispositionInfo): kErrDirNotEmpty
  // while anything is in it, kErrAccessDenied when it was not opened for removal or is gone.
  virtual long Remove() = 0;
};

// What a held folder allows, read from its owner and from the entries that apply to the folder
// itself (inherit-only entries skipped, generic rights mapped). "Others" is anyone but SYSTEM,
// Administrators, TrustedInstaller and the administrator running the setup.
struct FolderTrust {
  Ownership owner = Ownership::Other;
  bool othersMayChange = false;          // DELETE, WRITE_DAC or WRITE_OWNER: rename, delete or re-permit it
  bool othersMayDeleteChildren = false;  // FILE_DELETE_CHILD: rename or delete what is inside it
  bool persistentAcls = true;            // its volume keeps permissions (not FAT32, exFAT)
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // FindFirstFileA: null when nothing matches or the folder cannot be read; otherwise the
  // listing, with its first entry in *first. Entries come in the file system's listing order,
  // "." and ".." first for a folder that is not a drive root.
  virtual std::unique_ptr<DirListing> FindFirst(const std::string& pattern, FindEntry* first) = 0;
  // CopyFileA. Carries attributes and alternate data streams along.
  virtual long Copy(const std::string& from, const std::string& to, bool failIfExists) = 0;
  // CreateDirectoryA: one level, default security.
  virtual long MakeDirectory(const std::string& path) = 0;
  // CreateDirectoryA with the security descriptor `sddl` (SDDL text): one level.
  virtual long MakeSecuredDirectory(const std::string& path, const std::string& sddl) = 0;
  // Opens the folder itself, never what a junction or symbolic link leads to (that is refused with
  // kErrReparsePointEncountered), without letting anyone delete or rename it, and gives it the
  // descriptor `sddl`, owner included. Null, with the code in *error, when that cannot be done.
  virtual std::unique_ptr<FolderHold> Secure(const std::string& path, const std::string& sddl, long* error) = 0;
  // GetFileAttributesA: kInvalidAttributes when the path names nothing.
  virtual uint32_t Attributes(const std::string& path) = 0;
  // SetFileAttributesA.
  virtual long SetAttributes(const std::string& path, uint32_t attributes) = 0;
  // DeleteFileA, also for an alternate data stream ("name:stream").
  virtual long Remove(const std::string& path) = 0;
  // RemoveDirectoryA: an empty folder only (kErrDirNotEmpty otherwise); a junction or symbolic
  // link to a folder goes itself, never what it leads to.
  virtual long RemoveDirectory(const std::string& path) = 0;
  // MoveFileExA with MOVEFILE_DELAY_UNTIL_REBOOT and no new name: the file, or empty folder, is
  // deleted at the next restart. A file that runs cannot be deleted any sooner.
  virtual long RemoveAtRestart(const std::string& path) = 0;
  // Whether the path itself, not what it leads to, is a junction or a symbolic link (see
  // IsRedirection above). False when it names nothing.
  virtual bool IsRedirection(const std::string& path) = 0;
  // The owner of the path itself; Other when it cannot be read.
  virtual Ownership Owner(const std::string& path) = 0;
  // MoveFileExA with MOVEFILE_REPLACE_EXISTING: renames a file over an existing one in the same
  // folder. The file keeps its own security; the one replaced is gone.
  virtual long Replace(const std::string& from, const std::string& to) = 0;
  // SHA-256 of a file's bytes as 64 lower-case hex digits; empty when it cannot be read.
  virtual std::string Sha256(const std::string& path) = 0;
  // GetModuleFileNameA for the process's own module, whole whatever its length.
  virtual std::string ModulePath() = 0;
  // The whole content of a file.
  virtual long ReadFile(const std::string& path, std::string* bytes) = 0;
  // Creates the file with these bytes. Fails (kErrFileExists) when anything, a link included, is
  // there already: what the setup writes this way is never written through someone else's link.
  virtual long WriteNewFile(const std::string& path, const std::string& bytes) = 0;
  // A file's size and the time it was last written.
  virtual long Stamp(const std::string& path, FileStamp* stamp) = 0;

  bool Exists(const std::string& path) { return Attributes(path) != kInvalidAttributes; }

  // ---- Opens that hold what they opened and never follow a link (the kept uninstaller, the
  // uninstall's folders, the plotter driver's backup).

  // Opens the file itself for reading, sharing read only: nobody can write, rename or delete it
  // while it is held. A junction or symbolic link is refused (kErrReparsePointEncountered), so is
  // a folder. Null, with the code in *error, when it cannot be opened.
  virtual std::unique_ptr<HeldFile> HoldFile(const std::string& path, long* error) = 0;
  // Opens the folder itself, sharing read and write but not delete, with DELETE access when
  // `forRemoval`. A junction or symbolic link is refused (kErrReparsePointEncountered), so is a
  // file (kErrDirectory). Null, with the code in *error, when it cannot be opened.
  virtual std::unique_ptr<HeldFolder> HoldFolder(const std::string& path, bool forRemoval, long* error) = 0;

  // ---- Folders the install trusts: held, and read through the hold ----

  // Opens the folder itself without letting anyone delete or rename it until the hold is destroyed,
  // and reads from that handle what `trust` tells. A junction or symbolic link is refused
  // (kErrReparsePointEncountered), and so is a file (kErrDirectory). A drive's root can be held.
  virtual std::unique_ptr<FolderHold> HoldLevel(const std::string& path, FolderTrust* trust, long* error) = 0;
  // Takes over one file or folder found in a folder the setup has secured: opened as itself, it is
  // given the owner and rules of `sddl`; *previous tells who owned it before. A reparse point of any
  // kind (kErrReparsePointEncountered) and a file with more than one name (kErrTooManyLinks) are
  // left as they are: changing them would change what they share with a place outside. The hold
  // keeps a folder from being renamed while what is inside it is taken over.
  virtual std::unique_ptr<FolderHold> TakeOver(const std::string& path, const std::string& sddl, Ownership* previous,
                                               long* error) = 0;
};

// Folders held until the installation is over.
using FolderHolds = std::vector<std::unique_ptr<FolderHold>>;

// A failed open of a folder that finds nothing to hold: no such folder or drive, a drive that is
// not ready, a file in its place.
inline bool IsNothingToHold(long rc) {
  return IsNotFound(rc) || rc == kErrNotReady || rc == kErrDirectory;
}
