// Message boxes through MessageBoxA.
#pragma once

#include "platform/message_boxes.h"

class Win32MessageBoxes : public MessageBoxes {
 public:
  int Show(WindowRef owner, const std::string& text, const std::string& caption, unsigned style) override;
};
