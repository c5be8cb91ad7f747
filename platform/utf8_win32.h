// Text from one Windows code page to another through UTF-16 (Windows builds only).
#pragma once

#include <string>

// A character that the target lacks becomes '?'; so does a byte sequence the source lacks.
std::string ConvertCodePage(unsigned fromCodePage, unsigned toCodePage, const std::string& text);
