#include "picker/path_text.h"

size_t WholeCharactersLength(const CodePage& cp, const char* text) {
  size_t whole = 0;
  size_t i = 0;
  while (text[i] != '\0') {
    if (cp.IsLeadByte(static_cast<unsigned char>(text[i]))) {
      if (text[i + 1] == '\0') break;
      i += 2;
    } else {
      i += 1;
    }
    whole = i;
  }
  return whole;
}
