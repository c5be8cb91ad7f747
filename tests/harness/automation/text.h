// Text conversions for the automation library: Windows speaks UTF-16, the harness speaks UTF-8.
#pragma once

#include <string>

namespace automation {

std::string Utf8FromWide(const std::wstring& wide);
std::wstring WideFromUtf8(const std::string& utf8);
// Text in the process's ANSI code page (936 under the test prefix) to UTF-8.
std::string Utf8FromAnsi(const std::string& ansi);

// One field of a tab-separated output line: '%', tab, newline and other control characters
// become %XX, so a field never spans lines or columns and the original can be recovered.
std::string EscapeField(const std::string& utf8);
std::string UnescapeField(const std::string& field);

std::string HexNumber(unsigned long long value, int digits = 0);

}  // namespace automation
