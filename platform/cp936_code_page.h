// Code page 936 from its own tables, for builds and tests without Windows; only the conversion
// to and from UTF-8 is the system's.
#pragma once

#include "platform/code_page.h"

class Cp936CodePage : public CodePage {
 public:
  bool IsLeadByte(unsigned char byte) const override;
  std::string Upper(const std::string& text) const override;
  std::string Lower(const std::string& text) const override;
  // Through the system's converter: iconv's CP936 here, code page 936 on Windows.
  std::string ToUtf8(const std::string& text) const override;
  std::string FromUtf8(const std::string& utf8) const override;
};
