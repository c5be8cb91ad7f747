#!/usr/bin/env bash
# Builds both configurations: native logic and tests under the sanitizers, and Windows x64.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
top=$TESSA_TOP

tessa_usage "usage: scripts/build.sh

Installs what is missing (scripts/setup.sh), then builds into \$TESSA_BUILD_DIR (default build/):
  native/   the logic and its tests, Debug, under AddressSanitizer and UndefinedBehaviorSanitizer
  win64/    SetUp.exe (win64/app/SetUp.exe) and the Windows tests, Release, with mingw-w64
Uses ccache when it is installed." "$@"

build=${TESSA_BUILD_DIR:-$top/build}
jobs=$(nproc)

bash "$top/scripts/setup.sh"

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

cmake -S "$top" -B "$build/native" -DCMAKE_BUILD_TYPE=Debug -DTESSA_SANITIZE=ON "${launcher[@]}" >/dev/null
cmake --build "$build/native" -j "$jobs"

cmake -S "$top" -B "$build/win64" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" "${launcher[@]}" >/dev/null
cmake --build "$build/win64" -j "$jobs"
