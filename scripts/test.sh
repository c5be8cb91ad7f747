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
# The distribution tests pack the SetUp.exe just built.
export TESSA_SETUP_EXE="$build/win64/app/SetUp.exe"
ctest --test-dir "$build/native" --output-on-failure -j "$(nproc)" 2>&1 | tee "$work/native.log"
count "$work/native.log"

echo "[test] fuzzing (libFuzzer, each target for a bounded time; one test per target)"
bash "$top/scripts/fuzz.sh" 2>&1 | tee "$work/fuzz.log"
fuzzed=$(grep -E '^\[fuzz\] [0-9]+ passed, [0-9]+ failed$' "$work/fuzz.log" | tail -1)
if [ -z "$fuzzed" ]; then failed=$((failed + 1)); else
  passed=$((passed + $(sed -E 's/^\[fuzz\] ([0-9]+) passed.*/\1/' <<<"$fuzzed")))
  failed=$((failed + $(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$fuzzed")))
fi

echo "[test] Windows tests under Wine"
tessa_wine_prefix_create "$work/prefix"
tessa_xvfb_start || { echo "0 passed, 1 failed"; exit 1; }
tessa_wine_start_server
export TESSA_TEST_WORK="$work"
ctest --test-dir "$build/win64" --output-on-failure 2>&1 | tee "$work/win64.log"
count "$work/win64.log"

echo "[test] main job (scripts/main-job.sh headless on the binaries just built; one test)"
if TESSA_BUILD_DIR="$build" bash "$top/tests/mainjob/main_job_test.sh" "$work/main-job" 2>&1 | tee "$work/main-job.log"; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi

echo
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
