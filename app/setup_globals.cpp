// The one application object; the release table and the system seams it uses are defined
// with the dialog (ui/setup_globals.cpp).
#include "app/wizard_app.h"

CWizardApp theApp;
