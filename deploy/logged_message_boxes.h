// Message boxes of the unattended install: none is shown, its text goes into the log. A failed
// copy is answered Abort, a question No.
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
