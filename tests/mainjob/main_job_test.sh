#!/usr/bin/env bash
# Runs the main job headless with the binaries already built and reads its verdict. The checks
# themselves (releases found, demand-load entries, trusted paths, fonts and plotter driver, the
# installed files, the two messages, the screenshots) are the report's: raw/checks.txt lists them.
# Usage: main_job_test.sh [WORK_FOLDER]   (TESSA_BUILD_DIR: the build root holding win64/)
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:-$(mktemp -d /tmp/tessa-main-job-test.XXXXXX)}
rm -rf "$work/out"
mkdir -p "$work"

# A private display even when the caller has one: the headless run must not depend on it.
env -u TESSA_INTERACTIVE bash "$top/scripts/main-job.sh" --no-build --out "$work/out" >"$work/main-job.log" 2>&1
status=$?
report=$work/out/report.md
checks=$work/out/raw/checks.txt

if [ ! -s "$report" ] || [ ! -s "$checks" ]; then
  tail -20 "$work/main-job.log"
  echo "main job: no report or no checks (exit status $status)"
  exit 1
fi
grep '^FAIL' "$checks"
verdict=$(head -1 "$report")
failures=0
case $verdict in
  '**Verdict: PASS**'*) ;;
  *) echo "FAIL the report's verdict: $verdict"; failures=$((failures + 1)) ;;
esac
[ "$(tail -1 "$checks")" = "verdict: PASS" ] || { echo "FAIL the checks' verdict: $(tail -1 "$checks")"; failures=$((failures + 1)); }
[ "$status" -eq 0 ] || { echo "FAIL the main job's exit status: $status"; tail -5 "$work/main-job.log"; failures=$((failures + 1)); }
grep -qF "report: $report" "$work/main-job.log" || { echo "FAIL the main job does not print the report's path"; failures=$((failures + 1)); }

echo "main job: $(grep -c '^ok' "$checks") checks passed, $(grep -c '^FAIL' "$checks") failed; $failures failures here"
[ "$failures" -eq 0 ]
