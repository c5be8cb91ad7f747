#include "install/install.h"
#include "install/path_buffer.h"

namespace {

// A copy whose paths do not fit their buffers is left out, like any other failed copy here; so
// is a file that does not match the signed distribution.
void CopyIfPathsFit(const Platform& p, const PayloadManifest* manifest, const std::string& source,
                    const std::string& name, const std::string& to) {
  const std::string from = JoinPath(source, name);
  if (FitsPathBuffer(from) && FitsPathBuffer(to)) CopyFresh(p, manifest, name, from, to);
}

// Silent: a missing folder, a missing source file or a locked destination leaves things as
// they were. AutoCAD's folders are never created here.
void CopySupportFiles(const Platform& p, WindowRef owner, const PayloadManifest* manifest, std::string acadFolder,
                      bool withPlotDriver) {
  std::string source;
  if (!FindInstallSource(p, owner, &source)) return;

  // A folder too long for its buffer makes every path in it too long as well.
  // A Fonts or Drv folder that is a junction or symbolic link is never followed: whoever made it
  // would choose where this elevated process writes.
  const std::string fontFolder = JoinPath(acadFolder, "Fonts");
  if (!p.files.IsRedirection(fontFolder)) {
    CopyIfPathsFit(p, manifest, source, "Quilox_EN.shx", JoinPath(fontFolder, "Quilox_EN.shx"));
    CopyIfPathsFit(p, manifest, source, "Quilox_HZ.shx", JoinPath(fontFolder, "Quilox_HZ.shx"));
  }
  const std::string driverFolder = JoinPath(acadFolder, "Drv");
  if (withPlotDriver && !p.files.IsRedirection(driverFolder)) {
    CopyIfPathsFit(p, manifest, source, "Quilox.prt5", PlotDriverPath(acadFolder));
  }
}

}  // namespace

void InstallSupportFiles(const Platform& p, WindowRef owner, const AcadReleaseTable& table,
                         const int selected[kYearCount], const PayloadManifest* manifest) {
  for (int i = 0; i < kYearCount; ++i) {
    if (!selected[i]) continue;
    for (const std::string& acadFolder : table.acadFolders[i]) {
      CopySupportFiles(p, owner, manifest, acadFolder, i == kPlotDriverYear - kFirstYear);
    }
  }
}
