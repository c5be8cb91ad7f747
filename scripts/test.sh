#!/usr/bin/env bash
# Runs every test: installs what is missing, builds both configurations, runs the native tests
# under the sanitizers and the Windows tests under Wine on a private display and prefix.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSA_BUILD_DIR:-$top/build}

bash "$top/scripts/setup.sh" || exit 1
echo "[test] building"
bash "$top/scripts/build.sh" >"$build.log" 2>&1 || { tail -50 "$build.log"; echo "0 passed, 1 failed"; exit 1; }

. "$top/tests/harness/wine-env.sh"
work=$(mktemp -d /tmp/tessa-test.XXXXXX)
trap 'tessa_wine_cleanup; rm -rf "$work"' EXIT

passed=0; failed=0
count() {  # adds ctest's figures from its log
  local log=$1 line total fails
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  fails=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
  if [ -z "$line" ]; then failed=$((failed + 1)); return; fi
  passed=$((passed + total - fails)); failed=$((failed + fails))
}

echo "[test] native tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
ctest --test-dir "$build/native" --output-on-failure -j "$(nproc)" 2>&1 | tee "$work/native.log"
count "$work/native.log"

echo "[test] Windows tests under Wine"
tessa_wine_prefix_create "$work/prefix"
tessa_xvfb_start || { echo "0 passed, 1 failed"; exit 1; }
tessa_wine_start_server
export TESSA_TEST_WORK="$work"
ctest --test-dir "$build/win64" --output-on-failure 2>&1 | tee "$work/win64.log"
count "$work/win64.log"

echo
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
