#include "install/install.h"
#include "install/install_texts.h"
#include "platform/mb_string.h"

namespace {

enum PathKind { PathNotFound, PathIsFile, PathIsFolder };

PathKind GetPathKind(FileSystem& files, const std::string& path) {
  FindEntry entry;
  // The path holds no wildcard: the search finds at most the entry it names. The listing is
  // closed again at once.
  if (!files.FindFirst(path, &entry)) return PathNotFound;
  return (entry.attributes & kAttrDirectory) ? PathIsFolder : PathIsFile;
}

}  // namespace

bool FindInstallSource(const Platform& p, WindowRef owner, std::string* sourcePath) {
  // A Chinese folder name may hold a 0x5C trail byte: only a real backslash ends the folder.
  const std::string exeDir = FolderOfPath(p.codePage, p.files.ModulePath());

  *sourcePath = exeDir + "\\Data";
  if (GetPathKind(p.files, *sourcePath) == PathIsFolder) return true;

  // A flat distribution: the payload lies beside the executable, marked by the ARX module.
  *sourcePath = exeDir + "\\Quilox2010.arx";
  if (GetPathKind(p.files, *sourcePath) == PathIsFile) {
    *sourcePath = exeDir;
    return true;
  }

  p.boxes.Show(owner, kSourceMissingText, kSetupCaption, kMbOk);
  return false;
}
