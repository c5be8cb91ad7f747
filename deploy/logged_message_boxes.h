// Message boxes as the log sees them. The unattended install shows none: its text goes into the
// log, a failed copy answered Abort, a question No. The dialog shows each and logs it as shown,
// with the answer.
#pragma once

#include "deploy/install_report.h"
#include "platform/message_boxes.h"

class LoggedMessageBoxes : public MessageBoxes {
 public:
  explicit LoggedMessageBoxes(InstallReport& report) : report_(report) {}
  int Show(WindowRef owner, const std::string& text, const std::string& caption, unsigned style) override;

 private:
  InstallReport& report_;
};

class ShownMessageBoxes : public MessageBoxes {
 public:
  ShownMessageBoxes(MessageBoxes& shown, InstallReport& report) : shown_(shown), report_(report) {}
  int Show(WindowRef owner, const std::string& text, const std::string& caption, unsigned style) override;

 private:
  MessageBoxes& shown_;
  InstallReport& report_;
};
