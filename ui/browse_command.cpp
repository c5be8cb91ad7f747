// The Browse button: the folder picker, whose accepted folder goes into the path box.
#include "picker/path_dialog.h"
#include "ui/dlg_setup.h"

void Dlg_Setup::OnBrowse() {
  UpdateData(true);
  static const char kPrompt[] = "请选择安装目录：";
  // The picker holds on to the text while it runs; a copy of its own keeps it steady.
  const std::string initialPath = installPath;
  CPathDialog picker(platform, kPrompt, kPrompt, initialPath.c_str(), this);
  if (picker.DoModal() == 1) {
    installPath = picker.GetChosenPath();
    UpdateData(false);
  }
  // As after a click on a release box, whatever the picker did.
  UpdateInstallButton();
}
