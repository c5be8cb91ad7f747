#include "install/install.h"
#include "install/path_buffer.h"

namespace {

// Release 2008 gets the product's plotter driver in place of its own.
constexpr int kPlotDriverYearIndex = 2008 - kFirstYear;

// A copy whose paths do not fit their buffers is left out, like any other failed copy here.
void CopyIfPathsFit(FileSystem& files, const std::string& from, const std::string& to) {
  if (FitsPathBuffer(from) && FitsPathBuffer(to)) files.Copy(from, to, false);
}

// Silent: a missing folder, a missing source file or a locked destination leaves things as
// they were. AutoCAD's folders are never created here.
void CopySupportFiles(const Platform& p, WindowRef owner, std::string acadFolder, bool withPlotDriver) {
  std::string source;
  if (!FindInstallSource(p, owner, &source)) return;

  // A folder too long for its buffer makes every path in it too long as well.
  const std::string fontFolder = JoinPath(acadFolder, "Fonts");
  CopyIfPathsFit(p.files, JoinPath(source, "Quilox_EN.shx"), JoinPath(fontFolder, "Quilox_EN.shx"));
  CopyIfPathsFit(p.files, JoinPath(source, "Quilox_HZ.shx"), JoinPath(fontFolder, "Quilox_HZ.shx"));
  if (withPlotDriver) {
    const std::string driverFolder = JoinPath(acadFolder, "Drv");
    CopyIfPathsFit(p.files, JoinPath(source, "Quilox.prt5"), JoinPath(driverFolder, "pdfplot9.hdi"));
  }
}

}  // namespace

void InstallSupportFiles(const Platform& p, WindowRef owner, const AcadReleaseTable& table,
                         const int selected[kYearCount]) {
  for (int i = 0; i < kYearCount; ++i) {
    if (!selected[i]) continue;
    for (const std::string& acadFolder : table.acadFolders[i]) {
      CopySupportFiles(p, owner, acadFolder, i == kPlotDriverYearIndex);
    }
  }
}
