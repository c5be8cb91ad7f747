// The system's ANSI code page, as Windows itself reads and cases it.
#pragma once

#include "platform/code_page.h"

class Win32CodePage : public CodePage {
 public:
  bool IsLeadByte(unsigned char byte) const override;
  std::string Upper(const std::string& text) const override;
  std::string Lower(const std::string& text) const override;
  std::string ToUtf8(const std::string& text) const override;
  std::string FromUtf8(const std::string& utf8) const override;
};
