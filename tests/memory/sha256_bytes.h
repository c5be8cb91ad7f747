// SHA-256 of bytes held in memory, from the system's own implementation: the in-memory file
// system hashes its contents with it.
#pragma once

#include <string>

// 64 lower-case hex digits.
std::string Sha256OfBytes(const std::string& bytes);
