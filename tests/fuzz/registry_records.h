// A registry tree built from fuzz records, below fixed base keys of one root.
//
// One record per line, fields split at '|'; the byte after the letter picks the base key
// (its value modulo the number of bases, so '0' is the first and '1' the second):
//   K<b>|path                       a key (with every level above it)
//   V<b>|path|name|type|data        a value. type "s" or empty: REG_SZ, data with a NUL added;
//                                   a number: that type, data as given. "xN" after either repeats
//                                   the data N times (values larger than a line).
//   D<b>|path                       every open of the key fails (access denied)
//   W<b>|path                       opening it for writing, creating and setting values fail
//   Q<b>|path|name                  querying that value fails
//   E<b>|path|index                 enumerating that subkey index fails
// Paths are relative to the base, with '\' between names; an empty path is the base itself.
#pragma once

#include <string>
#include <vector>

#include "tests/memory/memory_registry.h"

// One record as applied: its letter and the full key path it named.
struct AppliedRecord {
  char kind;
  std::string path;
};

// Applies the registry records of `lines` and returns the other lines, in order; `applied`, when
// given, receives every registry record applied.
std::vector<std::string> ApplyRegistryRecords(MemoryRegistry& registry, RegHandle root,
                                              const std::vector<std::string>& bases,
                                              const std::vector<std::string>& lines,
                                              std::vector<AppliedRecord>* applied = nullptr);

// Whether a record could have changed what a reader finds at `key` (an ASCII path) or below it:
// any record at or below it, or one above it other than a key (which only makes what is there).
// Names compare in any letter case.
bool Touches(const std::vector<AppliedRecord>& applied, const std::string& key);

// The key path `relative` below `base` as a real registry could hold it: names in code page 936
// (a 0x5C trail byte belongs to its character), no NUL, no empty name, no half character at the
// end of a name, at most 512 levels in all.
std::string KeyPathBelow(const std::string& base, const std::string& relative);

// Every key and value below root (root itself included), for comparing a tree before and after.
struct RegistrySnapshot {
  struct Value {
    uint32_t type = 0;
    std::string bytes;
    bool operator==(const Value& o) const { return type == o.type && bytes == o.bytes; }
  };
  // Key path ("" for the root) -> upper-case value name -> value.
  std::vector<std::pair<std::string, std::vector<std::pair<std::string, Value>>>> keys;

  const std::vector<std::pair<std::string, Value>>* Find(const std::string& keyPath) const;
  const Value* Find(const std::string& keyPath, const std::string& upperName) const;
};
RegistrySnapshot TakeSnapshot(const MemoryRegistry& registry, RegHandle root);
