#include "app/wizard_app.h"

#include "ui/dlg_setup.h"
#include "ui/setup_globals.h"

bool CWizardApp::InitInstance() {
  // Before any window exists: the dialog only reads what discovery leaves.
  theReleaseTable.DiscoverReleases(thePlatform);

  Dlg_Setup dialog;
  // Installed, cancelled or closed: the program ends the same way.
  dialog.DoModal();
  return false;
}
