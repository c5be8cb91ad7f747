// Registry trees for the benchmarks, written and walked through the Registry interface only, so
// that the same code measures the in-memory registry natively and the real one under Wine.
#pragma once

#include <cstddef>
#include <string>

#include "platform/registry.h"

// Lays down about `keyCount` keys below HKLM\SOFTWARE\Autodesk\AutoCAD: release keys, each with
// one installation of the simulated AutoCAD machine and 100 keys without them (10 groups of
// 9 items) that every walk has to visit. No key has more than a few hundred subkeys, so the
// tree's shape stays the same as it grows. Returns the number of keys below the root.
size_t SeedReleaseTree(Registry& registry, size_t keyCount);

// 10 releases x (profileCount / 100) installations of the simulated AutoCAD machine, each with 10
// profiles whose Variables key holds a TRUSTEDPATHS value of `valueBytes` bytes. Returns the
// number of profiles.
size_t SeedProfiles(Registry& registry, size_t profileCount, size_t valueBytes);

// The floor for discovery: one bare pre-order enumeration of the tree below root\path, as a
// program that only lists keys would do it. Returns the number of keys visited.
size_t EnumerateTree(Registry& registry, RegHandle root, const std::string& path);

// Removes root\path and everything below it (keys deepest first).
void RemoveTree(Registry& registry, RegHandle root, const std::string& path);
