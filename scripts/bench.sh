#!/usr/bin/env bash
# Measures what the performance goals are about and prints one table: discovery and the trusted
# paths natively (Google Benchmark, in-memory registry), and under Wine the Install click to the
# first completion box (also with a payload manifest), the payload copy, the start-up, discovery
# on the real registry, SetUp.exe's size and its memory. Not a test: nothing passes or fails.
# About 40 minutes on two cores, most of it the Install click on 2 GB and the release builds (the first run
# also makes a Wine prefix and writes 2.6 GB of sample payloads).
#
#   scripts/bench.sh [--write-docs]     --write-docs also puts the table into docs/benchmarks.md
# Environment: TESSA_BENCH_DIR (builds and results, default /tmp/tessa-bench), TESSA_BENCH_RUNS (5).
set -euo pipefail
. "$(dirname "$0")/lib.sh"
tessa_usage "usage: scripts/bench.sh [--write-docs]

Measures discovery and the trusted paths natively, and under Wine the Install click to the
first completion box (also of a build with a payload manifest), the payload copy, the start-up, discovery on the real registry, SetUp.exe's size and its memory; prints one table.
Not a test: nothing passes or fails. About 40 minutes on two cores.
  --write-docs   also put the table into docs/benchmarks.md
Environment: TESSA_BENCH_DIR (builds and results, default /tmp/tessa-bench), TESSA_BENCH_RUNS (5)." "$@"

root=$(cd "$(dirname "$0")/.." && pwd)
work=${TESSA_BENCH_DIR:-/tmp/tessa-bench}
runs=${TESSA_BENCH_RUNS:-5}
results="$work/results"
write_docs=0
[ "${1:-}" = "--write-docs" ] && write_docs=1
mkdir -p "$work"
rm -rf "$results"
mkdir -p "$results"

echo "[bench] building" >&2
cmake -S "$root" -B "$work/native" -DCMAKE_BUILD_TYPE=Release -DTESSA_BENCH=ON >"$work/native-configure.log"
cmake --build "$work/native" -j2 --target registry_bench >"$work/native-build.log"
cmake -S "$root" -B "$work/win" -DCMAKE_BUILD_TYPE=Release -DTESSA_BENCH=ON \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >"$work/win-configure.log"
cmake --build "$work/win" -j2 --target SetUp bench_win bench_session bare_dialog \
  bare_dialog_setup_template >"$work/win-build.log"

echo "[bench] discovery and trusted paths, natively" >&2
"$work/native/bench/registry_bench" --benchmark_repetitions="$runs" --benchmark_min_time=0.3 \
  --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true --benchmark_format=json >"$results/native.json"

setup_exe="$work/win/app/SetUp.exe"
echo "setup_bytes=$(stat -c %s "$setup_exe")" >"$results/size.txt"
# What the debugging sections of the static runtime libraries take up: the same file stripped.
x86_64-w64-mingw32-strip -o "$work/SetUp-stripped.exe" "$setup_exe"
echo "setup_stripped_bytes=$(stat -c %s "$work/SetUp-stripped.exe")" >>"$results/size.txt"

# shellcheck source=../tests/harness/wine-env.sh
source "$root/tests/harness/wine-env.sh"
prefix="$work/prefix"
if [ -d "$prefix/drive_c" ]; then tessa_wine_exports "$prefix"; else tessa_wine_prefix_create "$prefix"; fi
trap tessa_wine_cleanup EXIT
tessa_xvfb_start
tessa_wine_start_server
drive_c="$prefix/drive_c"
bench_win="$work/win/bench/bench_win.exe"
bench_session="$work/win/bench/bench_session.exe"

# A distribution as users unpack it, with a small payload: start-up and memory are the subject.
dist="$drive_c/bench_dist"
rm -rf "$dist" "$drive_c/Quilox"
mkdir -p "$dist/Data/Quilox扩展绘图库"
cp "$setup_exe" "$dist/SetUp.exe"
cp "$work/win/bench/bare_dialog.exe" "$work/win/bench/bare_dialog_setup_template.exe" "$dist/"
for name in Quilox2010.arx Quilox2018.arx Quilox.prt5 Quilox_EN.shx Quilox_HZ.shx; do
  printf 'bench payload %s\r\n' "$name" >"$dist/Data/$name"
done
printf 'bench drawing\r\n' >"$dist/Data/Quilox扩展绘图库/门窗.dwg"

echo "[bench] start-up and memory under Wine, 21 releases" >&2
wine "$bench_session" seed-machine
wine "$bench_session" startup $((runs * 2)) 'startup=C:\bench_dist\SetUp.exe' \
  'startup_floor=C:\bench_dist\bare_dialog.exe' 'startup_template=C:\bench_dist\bare_dialog_setup_template.exe' \
  >"$results/startup.txt"
for _ in $(seq 1 3); do
  wine "$bench_session" peak-memory 'C:\bench_dist\SetUp.exe' >>"$results/memory.txt"
done
wine "$bench_session" clear-machine

# The Install click as a user times it: from the click to the first completion box, through the
# message loop and the progress bar, against bare_dialog.exe copying the same Data folder with a
# CopyFileA loop, and against the same loop writing each file under a temporary name and renaming
# it over the old one, as SetUp.exe does (where the time goes). One release is registered. Each
# case is a folder C:\bench_install\CASE holding both programs and Data; the install folder is
# C:\Quilox\Tessarune for all, so every measured run is a reinstallation over the files the
# program before it wrote.
install_cases="empty:0:0 files100:100:5242880 small1k:1000:4000 small10k:10000:4000 big2g:256:8388608"
install_root="$drive_c/bench_install"
mkdir -p "$install_root"
for case in $install_cases; do
  IFS=: read -r name files bytes <<<"$case"
  mkdir -p "$install_root/$name/Data"
  python3 "$root/bench/make_payload.py" "$install_root/$name/Data" "$files" "$bytes"
  cp "$setup_exe" "$work/win/bench/bare_dialog.exe" "$install_root/$name/"
done
wine "$bench_session" seed-one
for case in $install_cases; do
  IFS=: read -r name files bytes <<<"$case"
  echo "[bench] install click under Wine: $name" >&2
  # The large cases take seconds a run and get the plain number of runs.
  case $name in
    big2g | small10k) case_runs=$runs ;;
    *) case_runs=$((runs * 2)) ;;
  esac
  wine "$bench_session" install "$case_runs" "setup=C:\\bench_install\\$name\\SetUp.exe" \
    "bare=C:\\bench_install\\$name\\bare_dialog.exe install" \
    "rename=C:\\bench_install\\$name\\bare_dialog.exe install-rename" >"$results/install_$name.txt"
  [ "$files" -gt 0 ] && wine "$bench_session" progress "C:\\bench_install\\$name\\SetUp.exe" >"$results/progress_$name.txt"
done

# The release build: SetUp.exe with the signed payload manifest of the case compiled in, which
# hashes every file it installs, against the same bare dialog hashing each copy with CryptoAPI.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
for name in files100 small1k; do
  echo "[bench] install click under Wine, release build: $name" >&2
  build="$work/win-release-$name"
  python3 "$root/scripts/payload-manifest.py" "$install_root/$name/Data" "$work/$name.manifest"
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTESSA_PAYLOAD_MANIFEST="$work/$name.manifest" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" "${launcher[@]}" >"$build-configure.log"
  cmake --build "$build" -j2 --target SetUp >"$build-build.log"
  cp "$build/app/SetUp.exe" "$install_root/$name/SetUpRelease.exe"
  wine "$bench_session" install "$((runs * 2))" "release=C:\\bench_install\\$name\\SetUpRelease.exe" \
    "hashfloor=C:\\bench_install\\$name\\bare_dialog.exe install-hash" >"$results/release_$name.txt"
done
wine "$bench_session" clear-machine
rm -rf "$drive_c/Quilox"

echo "[bench] payload copy under Wine" >&2
wine "$bench_win" payload-copy 'C:\bench_payload' 100 5 $((runs * 2)) >"$results/payload.txt"
rm -rf "$drive_c/bench_payload"

echo "[bench] discovery under Wine" >&2
# The real registry answers through the Wine server: 10,000 keys take seconds a run.
wine "$bench_win" discovery 1000 "$runs" >"$results/discovery_wine_1000.txt"
wine "$bench_win" discovery 10000 3 >"$results/discovery_wine_10000.txt"

table=$(python3 "$root/bench/report.py" "$results")
echo "$table"
if ((write_docs)); then
  {
    echo "# Benchmarks"
    echo
    echo "Made by \`scripts/bench.sh --write-docs\` on $(date -u +%Y-%m-%d), $runs runs each: $(nproc) cores,"
    echo "$(wine --version). Native figures are CPU time (Release build); Wine figures are wall time."
    echo
    echo "$table"
  } >"$root/docs/benchmarks.md.new"
  # Keep the notes below the table (from the line "## Notes" on) when there are any.
  if [ -f "$root/docs/benchmarks.md" ] && grep -q '^## Notes' "$root/docs/benchmarks.md"; then
    { echo; sed -n '/^## Notes/,$p' "$root/docs/benchmarks.md"; } >>"$root/docs/benchmarks.md.new"
  fi
  mv "$root/docs/benchmarks.md.new" "$root/docs/benchmarks.md"
fi
