#include "install/install.h"
#include "install/install_texts.h"
#include "platform/folder_security.h"

void RefuseFolder(const Platform& p, WindowRef owner, const std::string& folder, const char* tail) {
  p.boxes.Show(owner, kUntrustedFolderHead + folder + tail, kSetupCaption, kMbOk | kMbIconExclamation);
}

namespace {

OwnFolder Hold(FileSystem& files, const std::string& path, bool existed, FolderHolds& holds) {
  FolderTrust trust;
  long error = kOk;
  std::unique_ptr<FolderHold> hold = files.HoldLevel(path, &trust, &error);
  if (!hold || trust.owner != Ownership::Administration) {
    if (existed) return IsNothingToHold(error) ? OwnFolder::NotMade : OwnFolder::Untrusted;
    // Gone right after it was made, or someone else's: raced either way.
    return OwnFolder::Raced;
  }
  holds.push_back(std::move(hold));
  return OwnFolder::Held;
}

}  // namespace

OwnFolder HoldNewFolder(FileSystem& files, const std::string& path, FolderHolds& holds) {
  const long made = files.MakeSecuredDirectory(path, kProtectedFolderSddl);
  if (made == kErrAlreadyExists) return OwnFolder::Raced;
  if (made != kOk) return OwnFolder::NotMade;
  return Hold(files, path, false, holds);
}

OwnFolder HoldOwnFolder(FileSystem& files, const std::string& path, FolderHolds& holds) {
  // Looked at first: "already exists" from the creation then means someone made it meanwhile.
  if (!files.Exists(path)) return HoldNewFolder(files, path, holds);
  return Hold(files, path, true, holds);
}
