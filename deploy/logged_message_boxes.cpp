#include "deploy/logged_message_boxes.h"

int LoggedMessageBoxes::Show(WindowRef, const std::string& text, const std::string&, unsigned style) {
  std::string line = text;  // one line in the log
  for (char& c : line) {
    if (c == '\n') c = ' ';
  }
  report_.Done("message: " + line);
  if ((style & 0xF) == kMbAbortRetryIgnore) return kIdAbort;
  if ((style & 0xF) == kMbYesNo) return kIdNo;
  return kIdOk;
}
