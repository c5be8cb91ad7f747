// Compiled-in facts of this build.
#pragma once

// The product's version as a date, yyyymmdd.
constexpr int productVersion = 20260331;
// The bitness of the AutoCAD edition this build installs into.
constexpr int targetBitness = 64;
