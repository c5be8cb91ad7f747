#include "app/wizard_app.h"

#include "ui/dlg_setup.h"

CWizardApp theApp;

void CWizardApp::InitInstance() {
  // Before any window exists: the dialog only reads what discovery leaves.
  releaseTable.DiscoverReleases(platform);

  Dlg_Setup dialog(platform, releaseTable);
  dialog.DoModal();
}
