#include "install/install.h"
#include "install/install_texts.h"
#include "install/path_buffer.h"

namespace {

// The drawing library: a sub-folder of the source folder and of the install folder alike.
constexpr char kDrawingLibraryName[] = "Quilox扩展绘图库";

}  // namespace

// Unlike the payload copy it never asks and never stops the installation: a file that cannot be
// copied, that does not match the signed distribution, or whose path is too long for its buffer,
// is left out.
bool CopyDrawingLibrary(const Platform& p, WindowRef owner, const InstallJob& job) {
  std::string source;
  if (!FindInstallSource(p, owner, &source)) return true;

  const std::string librarySource = JoinPath(source, kDrawingLibraryName);
  const std::string libraryTarget = JoinPath(job.folder, kDrawingLibraryName);
  const std::string pattern = JoinPath(librarySource, "*.*");

  // Created even when the source has no drawing library, so that every installation has it, and
  // held while the files go in. One from before that leads elsewhere or is a user's is left out;
  // one that someone made while the setup was making it stops the installation.
  FolderHolds ownHolds;
  FolderHolds& holds = job.holds ? *job.holds : ownHolds;
  const OwnFolder target = FitsPathBuffer(libraryTarget) ? HoldOwnFolder(p.files, libraryTarget, holds)
                                                         : OwnFolder::NotMade;
  if (target == OwnFolder::Raced) {
    RefuseFolder(p, owner, libraryTarget, kUntrustedFolderTail);
    return false;
  }
  // A junction or symbolic link, here or in the source, is never followed. A folder that could
  // not be made fails each copy in turn.
  if (target == OwnFolder::Untrusted || p.files.IsRedirection(librarySource)) return true;

  FindEntry entry;
  std::unique_ptr<DirListing> listing;
  if (FitsPathBuffer(pattern)) listing = p.files.FindFirst(pattern, &entry);
  // One pass per entry, and one more that finds the end of the listing. Every entry is examined,
  // however many there are.
  for (bool firstPass = true;; firstPass = false) {
    if (job.progress) job.progress->Step();
    if (!firstPass && !(listing && listing->Next(&entry))) break;
    if (!listing || IsFolderEntry(entry)) continue;

    const std::string from = JoinPath(librarySource, entry.name);
    const std::string to = JoinPath(libraryTarget, entry.name);
    if (!FitsPathBuffer(from) || !FitsPathBuffer(to)) continue;
    if (IsTouchableSource(p.files, from, entry.attributes)) ClearReadOnly(p.files, from);
    ClearReadOnly(p.files, to);
    // A file outside the signed distribution, or one that does not match it, is left out too.
    if (CopyFresh(p, job.manifest, JoinPath(kDrawingLibraryName, entry.name), from, to) == CopyOutcome::Installed) {
      if (job.installed) job.installed->push_back(JoinPath(kDrawingLibraryName, entry.name));
    }
    ClearReadOnly(p.files, to);
  }
  return true;
}
