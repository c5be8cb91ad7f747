// The application object: discovery once, then the setup dialog, then the end of the process.
#pragma once

#include "fw/win_app.h"

class CWizardApp : public CWinApp {
 public:
  // Always false: the program has no message loop of its own; it ends when the dialog closes.
  bool InitInstance() override;
};
