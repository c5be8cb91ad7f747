// Reading AutoCAD's registry keys: subkey names and values as text, never past what the
// registry returned.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"

// The name buffer used for every subkey enumeration (a registry key name is at most 255 bytes).
constexpr uint32_t kKeyNameBufferSize = 256;
// Texts formatted for the registry hold at most this many characters (a 260-byte buffer).
constexpr size_t kMaxRegistryTextLength = 259;

// The name of the subkey at index, or an error when that index cannot be enumerated.
long ReadSubkeyName(Registry& registry, RegHandle key, uint32_t index, std::string* name);

// The names of key's subkeys in enumeration order; a name that cannot be read is left out.
std::vector<std::string> SubkeyNames(Registry& registry, RegHandle key);

// Value `name` as text: the data up to its first NUL byte, or all of it when it has none,
// whatever the value's type. A value larger than bufferSize is not read: kErrMoreData.
long ReadValueText(Registry& registry, RegHandle key, const std::string& name, uint32_t bufferSize,
                   std::string* text);

// The same, but a value larger than firstSize is read whole: the buffer grows to the size the
// registry asks for and the read is tried again.
long ReadWholeValueText(Registry& registry, RegHandle key, const std::string& name, uint32_t firstSize,
                        std::string* text);
