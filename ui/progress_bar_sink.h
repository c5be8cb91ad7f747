// The dialog's progress bar as the copies see it: one step per directory entry.
#pragma once

#include "fw/controls.h"
#include "install/install.h"

class ProgressBarSink : public ProgressSink {
 public:
  explicit ProgressBarSink(CProgressCtrl& bar) : bar_(bar) {}
  void Step() override { bar_.StepIt(); }

 private:
  CProgressCtrl& bar_;
};
