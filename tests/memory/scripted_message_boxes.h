// Message boxes that record what was shown and answer from a queue. With the queue empty a
// box gets its first button (OK, Abort or Yes) and counts as unanswered.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/message_boxes.h"

struct ShownBox {
  WindowRef owner;
  std::string text;
  std::string caption;
  unsigned style;
};

class ScriptedMessageBoxes : public MessageBoxes {
 public:
  int Show(WindowRef owner, const std::string& text, const std::string& caption, unsigned style) override;

  void Answer(int id) { answers_.push_back(id); }
  const std::vector<ShownBox>& Shown() const { return shown_; }
  size_t Unanswered() const { return unanswered_; }

 private:
  std::deque<int> answers_;
  std::vector<ShownBox> shown_;
  size_t unanswered_ = 0;
};
