// How the fuzz targets read their input: lines of records, fields split at '|', and the checks
// that stop the run when an invariant breaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The input split at line feeds; a trailing line feed ends the last line and adds none.
std::vector<std::string> SplitLines(const uint8_t* data, size_t size);

// At most `count` fields split at '|': the last one takes the rest of the line, '|' included.
// Missing fields are empty.
std::vector<std::string> SplitFields(const std::string& text, size_t count);

// The decimal number at the start of text (0 when there is none), never above max.
uint32_t LeadingNumber(const std::string& text, uint32_t max, size_t* digits = nullptr);

// The text without its NUL bytes: what a C string of the same characters can hold.
std::string WithoutNul(const std::string& text);

// Aborts with the invariant's description when it does not hold: libFuzzer then keeps the input.
void Require(bool holds, const char* invariant);
