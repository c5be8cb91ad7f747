#!/usr/bin/env bash
# Builds both configurations: native logic and tests under the sanitizers, and Windows x64.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSA_BUILD_DIR:-$top/build}
jobs=$(nproc)

cmake -S "$top" -B "$build/native" -DCMAKE_BUILD_TYPE=Debug -DTESSA_SANITIZE=ON >/dev/null
cmake --build "$build/native" -j "$jobs"

cmake -S "$top" -B "$build/win64" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build/win64" -j "$jobs"
