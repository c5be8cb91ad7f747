#!/usr/bin/env bash
# Runs every test: installs what is missing, builds both configurations, runs the native tests
# under the sanitizers and the Windows tests under Wine on a private display and prefix.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSA_BUILD_DIR:-$top/build}

usage() {
  cat <<'EOF'
usage: scripts/test.sh

Installs what is missing (scripts/setup.sh), builds both configurations (scripts/build.sh) in
$TESSA_BUILD_DIR (default build/), then runs, in order: the native tests (AddressSanitizer,
UndefinedBehaviorSanitizer), every fuzz target for a bounded time (scripts/fuzz.sh), the Windows
tests under Wine on a private prefix and display, and the headless main job.

A test that runs longer than its time-out (300 s unless it sets its own) is ended and failed.
Whatever happens, the last line is "<n> passed, <m> failed, <k> skipped": a step that cannot be
done, or stops before its tests are counted, counts as one failure. Exit status 0 when none failed.

  --help   this text; nothing is installed, built or run
EOF
}
case ${1:-} in
  '') ;;
  -h | --help) usage; exit 0 ;;
  *) usage >&2; exit 2 ;;
esac

# For tests that set no TIMEOUT of their own.
timeout=300

passed=0; failed=0; skipped=0
stage=""   # the step under way; one that never reaches its count is a failure
work=""
finish() {
  local status=$?
  if [ -n "$stage" ]; then
    echo "[test] stopped during: $stage"
    failed=$((failed + 1))
  fi
  if declare -F tessa_wine_cleanup >/dev/null; then tessa_wine_cleanup; fi
  [ -n "$work" ] && rm -rf "$work"
  [ "$status" -eq 0 ] && [ "$failed" -gt 0 ] && status=1
  echo
  echo "$passed passed, $failed failed, $skipped skipped"
  exit "$status"
}
trap finish EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# Adds ctest's figures from its output. ctest's summary ("x% tests passed, m tests failed out of n")
# counts tests skipped by their exit code among the passed; those and disabled tests are listed
# after it under "The following tests did not run:". No summary at all is one failure.
count_ctest() {
  local log=$1 at total fails notrun disabled
  at=$(grep -nE '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$at" ]; then
    echo "[test] ctest gave no summary: counted as one failure"
    failed=$((failed + 1))
    return
  fi
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$at")
  fails=$(sed -E 's/.* ([0-9]+) tests? failed out of.*/\1/' <<<"$at")
  notrun=$(tail -n +"${at%%:*}" "$log" |
    awk '/^The following tests did not run:/ { listed = 1; next }
         listed && /^[ \t]+[0-9]+ - / { n++; if (/\(Disabled\)[ \t]*$/) d++; next }
         { listed = 0 }
         END { print n + 0, d + 0 }')
  read -r notrun disabled <<<"$notrun"
  passed=$((passed + total - fails - (notrun - disabled)))
  failed=$((failed + fails))
  skipped=$((skipped + notrun))
}

stage="set-up (scripts/setup.sh)"
bash "$top/scripts/setup.sh" || exit 1

stage="build (scripts/build.sh)"
echo "[test] building"
bash "$top/scripts/build.sh" >"$build.log" 2>&1 || { tail -50 "$build.log"; exit 1; }

stage="preparing the test folder"
. "$top/tests/harness/wine-env.sh"
work=$(mktemp -d /tmp/tessa-test.XXXXXX) || exit 1

stage="native tests"
echo "[test] native tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
# The distribution tests pack the SetUp.exe just built.
export TESSA_SETUP_EXE="$build/win64/app/SetUp.exe"
ctest --test-dir "$build/native" --output-on-failure --timeout "$timeout" -j "$(nproc)" 2>&1 |
  tee "$work/native.log"
count_ctest "$work/native.log"

stage="fuzzing"
echo "[test] fuzzing (libFuzzer, each target for a bounded time; one test per target)"
bash "$top/scripts/fuzz.sh" 2>&1 | tee "$work/fuzz.log"
fuzzed=$(grep -E '^\[fuzz\] [0-9]+ passed, [0-9]+ failed$' "$work/fuzz.log" | tail -1)
if [ -z "$fuzzed" ]; then failed=$((failed + 1)); else
  passed=$((passed + $(sed -E 's/^\[fuzz\] ([0-9]+) passed.*/\1/' <<<"$fuzzed")))
  failed=$((failed + $(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$fuzzed")))
fi

stage="Windows tests under Wine"
echo "[test] Windows tests under Wine"
tessa_wine_prefix_create "$work/prefix"
tessa_xvfb_start || exit 1
tessa_wine_start_server
export TESSA_TEST_WORK="$work"
ctest --test-dir "$build/win64" --output-on-failure --timeout "$timeout" 2>&1 | tee "$work/win64.log"
count_ctest "$work/win64.log"

stage="main job"
echo "[test] main job (scripts/main-job.sh headless on the binaries just built; one test)"
if TESSA_BUILD_DIR="$build" bash "$top/tests/mainjob/main_job_test.sh" "$work/main-job" 2>&1 | tee "$work/main-job.log"; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi
stage=""

[ "$failed" -eq 0 ]
