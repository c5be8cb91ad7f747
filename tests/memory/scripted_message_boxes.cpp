#include "tests/memory/scripted_message_boxes.h"

namespace {

// The button a box's style puts first, which is what Enter presses.
int FirstButton(unsigned style) {
  switch (style & 0xF) {
    case 2:  // MB_ABORTRETRYIGNORE
      return kIdAbort;
    case 3:  // MB_YESNOCANCEL
    case 4:  // MB_YESNO
      return kIdYes;
    case 5:  // MB_RETRYCANCEL
      return kIdRetry;
    case 6:  // MB_CANCELTRYCONTINUE
      return kIdCancel;
    default:  // MB_OK, MB_OKCANCEL
      return kIdOk;
  }
}

}  // namespace

int ScriptedMessageBoxes::Show(WindowRef owner, const std::string& text, const std::string& caption,
                               unsigned style) {
  shown_.push_back(ShownBox{owner, text, caption, style});
  if (answers_.empty()) {
    ++unanswered_;
    return FirstButton(style);
  }
  int id = answers_.front();
  answers_.pop_front();
  return id;
}
