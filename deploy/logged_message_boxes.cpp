#include "deploy/logged_message_boxes.h"

namespace {

std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  return text;
}

}  // namespace

int LoggedMessageBoxes::Show(WindowRef, const std::string& text, const std::string&, unsigned style) {
  report_.Done("message not shown (silent): " + OneLine(text));
  if ((style & 0xF) == kMbAbortRetryIgnore) return kIdAbort;
  if ((style & 0xF) == kMbYesNo) return kIdNo;
  return kIdOk;
}

int ShownMessageBoxes::Show(WindowRef owner, const std::string& text, const std::string& caption, unsigned style) {
  // Before it is shown: a run ended while the box waits still has it in its log.
  report_.Done("message shown: " + OneLine(text));
  const int answer = shown_.Show(owner, text, caption, style);
  if ((style & 0xF) != kMbOk) report_.Done("answered: button " + std::to_string(answer));
  return answer;
}
