// File installation: the source folder, the copies, and the running-AutoCAD check.
#pragma once

#include <string>
#include <vector>

#include "acad/acad_release_table.h"
#include "install/payload_manifest.h"
#include "platform/platform.h"

// Receives one step per directory entry examined (the dialog's progress bar in the program).
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void Step() = 0;
};

struct InstallJob {
  std::string folder;      // the install folder, without trailing backslash
  ProgressSink* progress;  // borrowed
  const PayloadManifest* manifest = nullptr;      // null: whatever the source holds is installed
  std::vector<std::string>* installed = nullptr;  // when given, receives the names put in place
  FolderHolds* holds = nullptr;  // when given, keeps the folders made inside until the install is over
};

// The message for a folder the install will not write into (a tail of install_texts.h).
void RefuseFolder(const Platform& p, WindowRef owner, const std::string& folder, const char* tail);

// A folder of the setup's own inside the held install folder, made with the protected descriptor
// when it is missing, then held.
enum class OwnFolder {
  Held,
  NotMade,    // it cannot be made (what would go into it fails in turn)
  Untrusted,  // it was there already and leads elsewhere or is not the administration's
  Raced,      // it was missing and then someone else's: made meanwhile, or replaced right after
};
OwnFolder HoldOwnFolder(FileSystem& files, const std::string& path, FolderHolds& holds);
// The same for a folder that was looked at and found missing.
OwnFolder HoldNewFolder(FileSystem& files, const std::string& path, FolderHolds& holds);

// True when a process whose file name contains "acad.exe" (any case) runs.
bool IsAcadRunning(const Platform& p);

// Message boxes are owned by `owner` (the setup dialog).
bool FindInstallSource(const Platform& p, WindowRef owner, std::string* sourcePath);

void ClearReadOnly(FileSystem& files, const std::string& path);
// Whether a source file may be touched (read-only cleared, download marker removed): not a junction
// or symbolic link. `listed`: its attributes as its listing gave them, or kInvalidAttributes.
bool IsTouchableSource(FileSystem& files, const std::string& path, uint32_t listed);

enum class CopyOutcome { Installed, Failed, Unlisted, Mismatch };
// Writes `to` as a fresh file, so that it takes its owner and permissions from its folder: copied
// under a temporary name in that folder, or under its own name in `copyFolder` when one is given,
// checked against the manifest (`listedName` is the file's name relative to the source folder),
// then renamed over `to`. Anything else leaves `to` as it was.
CopyOutcome CopyFresh(const Platform& p, const PayloadManifest* manifest, const std::string& listedName,
                      const std::string& from, const std::string& to, const std::string& copyFolder = "");

// A new folder of the setup's own inside the install folder, for CopyFresh: a name missing from a
// folder of thousands of files costs a search of that folder on some file systems (Wine's), one
// missing from an empty folder does not. Never one that was there before (a user may add folders
// to the install folder); removed again when done. Path() is empty when none could be made.
constexpr char kCopyFolderPrefix[] = "~copying-";  // then 1 to 9
class CopyFolder {
 public:
  CopyFolder(FileSystem& files, const std::string& installFolder);
  ~CopyFolder();
  CopyFolder(const CopyFolder&) = delete;
  CopyFolder& operator=(const CopyFolder&) = delete;
  const std::string& Path() const { return path_; }
  // A name that was free when looked at and then someone else's: nothing may be copied.
  const std::string& Raced() const { return raced_; }

 private:
  FileSystem& files_;
  std::string path_;
  std::string raced_;
  FolderHolds hold_;  // while it is in use
};
void RemoveZoneIdentifier(FileSystem& files, const std::string& path);
bool CopyPayload(const Platform& p, WindowRef owner, const InstallJob& job);
// False when the library folder was raced (refused with a message): nothing more may be written.
bool CopyDrawingLibrary(const Platform& p, WindowRef owner, const InstallJob& job);

// AutoCAD 2008 gets the product's plotter driver in place of its own, in its Drv folder.
constexpr int kPlotDriverYear = 2008;
inline std::string PlotDriverPath(const std::string& acadFolder) { return acadFolder + "\\Drv\\pdfplot9.hdi"; }

void InstallSupportFiles(const Platform& p, WindowRef owner, const AcadReleaseTable& table,
                         const int selected[kYearCount], const PayloadManifest* manifest = nullptr);
