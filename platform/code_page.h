// The system's ANSI code page (936 on the target machines): what a byte is, and case.
#pragma once

#include <string>

class CodePage {
 public:
  virtual ~CodePage() = default;
  // True for the first byte of a double-byte character.
  virtual bool IsLeadByte(unsigned char byte) const = 0;
  // Case mapping that maps a double-byte character as a whole and never splits one.
  virtual std::string Upper(const std::string& text) const = 0;
  virtual std::string Lower(const std::string& text) const = 0;
  // The text as UTF-8 and back, through the system's own tables. A byte or character that has no
  // counterpart becomes '?'.
  virtual std::string ToUtf8(const std::string& text) const = 0;
  virtual std::string FromUtf8(const std::string& utf8) const = 0;
};
