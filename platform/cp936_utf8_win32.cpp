// Code page 936 to and from UTF-8 through Windows' own table, whatever the system's code page.
#include <windows.h>

#include "platform/cp936_code_page.h"
#include "platform/utf8_win32.h"

std::string Cp936CodePage::ToUtf8(const std::string& text) const { return ConvertCodePage(936, CP_UTF8, text); }

std::string Cp936CodePage::FromUtf8(const std::string& utf8) const { return ConvertCodePage(CP_UTF8, 936, utf8); }
