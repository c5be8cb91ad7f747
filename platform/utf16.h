// UTF-8 and UTF-16LE (as the W functions of the registry store text), both as bytes. Portable: the
// in-memory registry and the pending-deletion filter use it alike.
#pragma once

#include <string>

// A sequence that is no UTF-8 becomes U+FFFD.
std::string Utf16FromUtf8(const std::string& utf8);
// An unpaired surrogate becomes U+FFFD; an odd last byte is dropped.
std::string Utf8FromUtf16(const std::string& utf16);
