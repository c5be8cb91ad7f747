// Modal message boxes (MessageBoxA).
#pragma once

#include <string>

#include "platform/win_types.h"

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows the box and returns the id of the button pressed (kIdOk, kIdRetry, ...).
  virtual int Show(WindowRef owner, const std::string& text, const std::string& caption, unsigned style) = 0;
};
