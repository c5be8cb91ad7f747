// Control objects for the controls the program binds: buttons and the progress bar.
#pragma once

#include <windows.h>

#include "fw/wnd.h"

// Its check state goes through DDX_Check.
class CButton : public CWnd {};

class CProgressCtrl : public CWnd {
 public:
  void SetRange(short lower, short upper);  // PBM_SETRANGE
  int SetStep(int step);                    // PBM_SETSTEP; returns the previous step
  int SetPos(int position);                 // PBM_SETPOS; returns the previous position
  int StepIt();                             // PBM_STEPIT; past the upper end it starts again at the lower
};
