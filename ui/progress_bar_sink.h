// The dialog's progress bar as the copies see it: one step per directory entry.
#pragma once

#include <windows.h>

#include "fw/controls.h"
#include "install/install.h"

// The bar redraws itself on every step, at once: on thousands of small files that took longer
// than the copies. Steps are counted as they come and shown at most 20 times a second (under Wine
// each redraw costs milliseconds), each shown position being where StepIt would have put the bar.
class ProgressBarSink : public ProgressSink {
 public:
  // The bar's range and step 1 are set, and its position is `lower`.
  ProgressBarSink(CProgressCtrl& bar, int lower, int upper)
      : bar_(bar), lower_(lower), upper_(upper), position_(lower) {}
  void Step() override {
    // Past the upper end the bar starts again at the lower, as StepIt does.
    position_ = position_ + 1 > upper_ ? lower_ : position_ + 1;
    const ULONGLONG now = GetTickCount64();
    if (shown_ != 0 && now - shown_ < kFrameMs) return;
    bar_.SetPos(position_);
    shown_ = now;
    // Between files, Windows sees the dialog alive (it marks it "Not Responding" after 5 s
    // without a look at its queue). The look removes nothing, see platform/win32/win32_keep_alive.h.
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  }

 private:
  static constexpr ULONGLONG kFrameMs = 50;
  CProgressCtrl& bar_;
  int lower_, upper_, position_;
  ULONGLONG shown_ = 0;
};
