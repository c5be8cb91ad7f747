// Code page 936 from its own tables, for builds and tests without Windows.
#pragma once

#include "platform/code_page.h"

class Cp936CodePage : public CodePage {
 public:
  bool IsLeadByte(unsigned char byte) const override;
  std::string Upper(const std::string& text) const override;
  std::string Lower(const std::string& text) const override;
};
