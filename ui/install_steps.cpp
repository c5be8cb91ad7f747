#include "ui/install_steps.h"

#include <algorithm>

#include "acad/demand_load_modules.h"
#include "acad/registry_reading.h"
#include "install/install_texts.h"
#include "platform/mb_string.h"
#include "ui/install_command_texts.h"

namespace {

// The longest "\<module>.ARX" that registration appends to the install folder.
size_t LongestLoaderSuffix() {
  size_t longest = 0;
  for (const ReleaseModule& row : kReleaseModules) {
    longest = std::max(longest, ("\\Quilox" + std::to_string(row.moduleYear) + ".ARX").size());
    if (row.secondEntry != nullptr) longest = std::max(longest, ("\\" + std::string(row.secondEntry) + ".ARX").size());
  }
  return longest;
}

std::string WithoutTrailingBackslash(const CodePage& cp, std::string path) {
  RemoveOneTrailingBackslash(cp, path);
  return path;
}

}  // namespace

bool StopForRunningAcad(const Platform& p, WindowRef owner, bool& warnIfHostRunning) {
  if (!warnIfHostRunning || !IsAcadRunning(p)) return false;
  p.boxes.Show(owner, kCloseAcadText, kSetupCaption, kMbOk);
  warnIfHostRunning = false;
  return true;
}

bool RemoveOneTrailingBackslash(const CodePage& cp, std::string& path) {
  // The last backslash that starts a character, and only when nothing follows it.
  const size_t last = FindLastBackslash(cp, path);
  if (last == std::string::npos || last + 1 != path.size()) return false;
  path.erase(last);
  return true;
}

size_t LongestInstallFolder() { return kMaxRegistryTextLength - LongestLoaderSuffix(); }

InstallFolderResult PrepareInstallFolder(const Platform& p, WindowRef owner, std::string& installPath) {
  if (installPath.empty()) return InstallFolderResult::EmptyPath;

  const std::string chosen = WithoutTrailingBackslash(p.codePage, installPath);
  const std::string installFolder = chosen + "\\" + kProductFolderName;
  // Registration would leave out every entry whose text does not fit, and AutoCAD would never
  // load the add-in: refuse now, while the user can still choose a shorter path.
  if (installFolder.size() > LongestInstallFolder()) {
    p.boxes.Show(owner, kPathTooLongText, kSetupCaption, kMbOk | kMbIconExclamation);
    return InstallFolderResult::TooLong;
  }

  // One level each: a missing parent or an existing folder shows later, in the payload copy.
  p.files.MakeDirectory(chosen);
  p.files.MakeDirectory(installFolder);
  installPath = installFolder;
  return InstallFolderResult::Created;
}

bool RunInstallSteps(const Platform& p, WindowRef owner, AcadReleaseTable& table, const int selected[kYearCount],
                     const std::string& installPath, ProgressSink& progress) {
  const InstallJob job{WithoutTrailingBackslash(p.codePage, installPath), &progress};
  if (!CopyPayload(p, owner, job)) return false;
  CopyDrawingLibrary(p, owner, job);
  progress.Step();

  // Registration and the trusted paths are built from it.
  table.installFolder = WithoutTrailingBackslash(p.codePage, installPath);
  table.RegisterSelectedReleases(p, selected);
  progress.Step();

  InstallSupportFiles(p, owner, table, selected);
  progress.Step();
  return true;
}

void ShowCompletionMessages(const Platform& p, WindowRef owner) {
  p.boxes.Show(owner, kInstalledText, kCompletionCaption, kMbOk);
  p.boxes.Show(owner, kImportSettingsText, kCompletionCaption, kMbOk);
}
