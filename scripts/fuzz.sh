#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz (clang, libFuzzer, AddressSanitizer, UBSan) and runs every
# one that was built for a bounded time, starting from its seeds in tests/fuzz/corpus/<target> when
# there are any. A crash, a sanitizer report or a broken invariant fails the run; the input that
# caused it is kept for replay.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSA_BUILD_DIR:-$top/build}/fuzz
seconds=20

usage() {
  cat <<'EOF'
usage: scripts/fuzz.sh [--long SECONDS]

Builds the fuzz targets in $TESSA_BUILD_DIR/fuzz (default build/fuzz) and runs every *_fuzzer
built there for a bounded time, from its seeds in tests/fuzz/corpus/<target> if it has any.

  (no option)      20 seconds per target (what scripts/test.sh runs)
  --long SECONDS   SECONDS per target
  --help           this text; nothing is built or run

Each target prints one line, "fuzz <target>: passed|FAILED, <n> executions in <s> s ...";
the last line is "[fuzz] <p> passed, <f> failed", and the exit status is 0 when all passed.
EOF
}

while [ $# -gt 0 ]; do
  case $1 in
    -h | --help) usage; exit 0 ;;
    --long) seconds=${2:-}; shift; [ $# -gt 0 ] && shift ;;
    *) usage >&2; exit 2 ;;
  esac
done
case $seconds in '' | *[!0-9]*) usage >&2; exit 2 ;; esac

if ! command -v clang++ >/dev/null; then
  echo "[fuzz] clang++ is missing: run scripts/setup.sh"; echo "[fuzz] 0 passed, 1 failed"; exit 1
fi

echo "[fuzz] building the fuzz targets in $build"
mkdir -p "$build"
if ! { cmake -S "$top" -B "$build" -DTESSA_FUZZ=ON -DCMAKE_BUILD_TYPE= \
         -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ &&
       cmake --build "$build" -j "$(nproc)" --target fuzzers; } >"$build/build.log" 2>&1; then
  tail -40 "$build/build.log"
  echo "[fuzz] 0 passed, 1 failed"
  exit 1
fi

passed=0; failed=0
mkdir -p "$build/artifacts" "$build/logs"
shopt -s nullglob
for binary in "$build"/tests/fuzz/*_fuzzer; do
  target=$(basename "$binary" _fuzzer)
  # A binary whose source is gone was left behind by an older build: it is not a target any more.
  [ -x "$binary" ] && [ -f "$top/tests/fuzz/${target}_fuzzer.cpp" ] || continue
  log="$build/logs/$target.log"
  # New inputs go to the build's own corpus; the committed seeds are only read.
  mkdir -p "$build/corpus/$target"
  seeds=()
  [ -d "$top/tests/fuzz/corpus/$target" ] && seeds=("$top/tests/fuzz/corpus/$target")
  dict=()
  [ -f "$top/tests/fuzz/$target.dict" ] && dict=(-dict="$top/tests/fuzz/$target.dict")
  start=$SECONDS
  "$binary" "${dict[@]}" -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
    "$build/corpus/$target" "${seeds[@]}" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+' "$log" | tail -1)
  summary="${runs:-?} executions in $((SECONDS - start)) s (${speed:-?}/s; $cov)"
  if [ "$rc" -eq 0 ]; then
    passed=$((passed + 1))
    echo "fuzz $target: passed, $summary"
  else
    failed=$((failed + 1))
    echo "fuzz $target: FAILED (exit $rc), $summary"
    grep -E 'INVARIANT BROKEN|ERROR: |SUMMARY: |^    #[0-9]' "$log" | head -25
    artifact=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)
    [ -n "$artifact" ] && echo "  replay: $binary $artifact"
    echo "  log: $log"
  fi
done

if [ $((passed + failed)) -eq 0 ]; then
  echo "[fuzz] no fuzz target was built in $build/tests/fuzz"
  failed=1
fi
echo "[fuzz] $passed passed, $failed failed"
[ "$failed" -eq 0 ]
