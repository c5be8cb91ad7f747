// Text read back from a window into a fixed buffer.
#pragma once

#include <cstddef>

#include "platform/code_page.h"

// The length of `text` without a double-byte character that the end of a buffer cut in two:
// a lead byte whose trail byte did not fit is dropped, so no half character is ever validated.
size_t WholeCharactersLength(const CodePage& cp, const char* text);
