// Compiled-in facts of this build.
#pragma once

// The bitness of the AutoCAD edition this build installs into.
constexpr int targetBitness = 64;
