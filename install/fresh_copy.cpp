#include "install/install.h"
#include "install/path_buffer.h"
#include "platform/folder_security.h"
#include "platform/mb_string.h"

namespace {

// As long as the name it stands for, so that every path that fits its buffer still does.
std::string TemporaryName(const CodePage& cp, const std::string& name) {
  std::string temporary(name.size(), '~');
  if (SameFileName(cp, temporary, name)) temporary.assign(name.size(), '_');
  return temporary;
}

}  // namespace

CopyFolder::CopyFolder(FileSystem& files, const std::string& installFolder) : files_(files) {
  for (int n = 1; n <= 9; ++n) {
    const std::string path = JoinPath(installFolder, kCopyFolderPrefix + std::to_string(n));
    // One left by an earlier run is not used: what is in it would be copied over.
    if (files.Exists(path)) continue;
    const OwnFolder made = HoldNewFolder(files, path, hold_);
    if (made == OwnFolder::Held) path_ = path;
    if (made == OwnFolder::Raced) raced_ = path;
    return;
  }
}

CopyFolder::~CopyFolder() {
  // Let go first: a folder held without delete sharing cannot be removed.
  hold_.clear();
  if (!path_.empty()) files_.RemoveDirectory(path_);
}

CopyOutcome CopyFresh(const Platform& p, const PayloadManifest* manifest, const std::string& listedName,
                      const std::string& from, const std::string& to, const std::string& copyFolder) {
  // Not even copied: nothing outside the signed distribution lands in the folder.
  if (manifest != nullptr && manifest->Find(p.codePage, listedName) == nullptr) return CopyOutcome::Unlisted;
  // A junction or symbolic link that a user put in the source is never followed.
  if (p.files.IsRedirection(from)) return CopyOutcome::Failed;

  const size_t slash = FindLastBackslash(p.codePage, to);
  if (slash == std::string::npos) return CopyOutcome::Failed;
  const std::string name = to.substr(slash + 1);
  std::string fresh = JoinPath(copyFolder, name);
  if (copyFolder.empty() || !FitsPathBuffer(fresh)) fresh = to.substr(0, slash + 1) + TemporaryName(p.codePage, name);

  // The copy must create the file: one left under that name (by an earlier run, or by anyone)
  // would keep its owner when copied over. It is removed only when it is there, since asking for
  // a name that is missing means a search of the whole folder on some file systems (Wine's).
  long copied = p.files.Copy(from, fresh, true);
  if (copied == kErrFileExists || copied == kErrAlreadyExists) {
    if (p.files.Remove(fresh) == kErrAccessDenied) {
      ClearReadOnly(p.files, fresh);
      p.files.Remove(fresh);
    }
    copied = p.files.Copy(from, fresh, true);
  }
  if (copied != kOk) return CopyOutcome::Failed;

  // Checked where it will stay: a source that changes after the check changes nothing.
  if (VerifyCopy(p, manifest, listedName, fresh) == Verdict::Mismatch) {
    p.files.Remove(fresh);
    return CopyOutcome::Mismatch;
  }
  // A read-only `to` is not replaced: the callers that mean to replace it clear it first. The
  // attributes are the source's, as with a plain copy.
  if (p.files.Replace(fresh, to) != kOk) {
    p.files.Remove(fresh);
    return CopyOutcome::Failed;
  }
  return CopyOutcome::Installed;
}
