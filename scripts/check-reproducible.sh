#!/usr/bin/env bash
# Builds SetUp.exe twice from one snapshot of the sources: in folders with different absolute
# paths, a few seconds apart, under different time zones, locales and umasks. Prints both
# SHA-256 hashes and the time taken; exits 1 when the two executables differ, keeping them for
# a look. TESSA_JOBS sets the build's parallel jobs (default: all processors).
# With --against FILE, FILE (a SetUp.exe built from this same tree elsewhere and earlier) stands
# for the first build, so only one more build is needed. With --payload DIR, both builds carry
# that payload's manifest, as a release's SetUp.exe does.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
tessa_usage "usage: scripts/check-reproducible.sh [--against FILE] [--payload DIR]

Builds SetUp.exe twice from a snapshot of the tree, in different folders, time zones, locales
and umasks, and compares them: exit 0 when identical, 1 when not (both kept for a look).
  --against FILE   a SetUp.exe built from this same tree stands for the first build
  --payload DIR    build both with the manifest of this payload (scripts/payload-manifest.py)
Environment: TESSA_JOBS, the build's parallel jobs (default: all processors)." "$@"
against='' payload=''
while [ $# -gt 0 ]; do
  case $1 in
    --against) [ $# -ge 2 ] || tessa_fail "--against needs a file"; against=$(realpath "$2"); shift 2 ;;
    --payload) [ $# -ge 2 ] || tessa_fail "--payload needs a folder"; payload=$(realpath "$2"); shift 2 ;;
    *) tessa_fail "unknown argument: $1 (--help for more)" ;;
  esac
done
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${TESSA_JOBS:-$(nproc)}
# A build must not borrow a date from the environment: a clock in the build would show.
unset SOURCE_DATE_EPOCH
SECONDS=0

work=$(mktemp -d /tmp/tessa-reproducible.XXXXXX)
keep=
trap '[ -n "$keep" ] || rm -rf "$work"' EXIT

# The working tree as it is now, without the ignored build folders: later edits by anyone
# cannot make the two builds differ.
first=$work/a/src
second=$work/second-checkout-somewhere-else/tessarune-sources
mkdir -p "$first" "$second"
if git -C "$top" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git -C "$top" ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' f; do [ -e "$top/$f" ] && printf '%s\0' "$f"; done |
    tar -C "$top" --null -T - -cf - | tar -C "$first" -xf -
else
  tar -C "$top" --exclude=./build --exclude=./out -cf - . | tar -C "$first" -xf -
fi
cp -a "$first/." "$second/"

manifest_option=()
if [ -n "$payload" ]; then
  python3 "$top/scripts/payload-manifest.py" "$payload" "$work/payload.manifest" || exit 1
  manifest_option=(-DTESSA_PAYLOAD_MANIFEST="$work/payload.manifest")
fi

build() {  # sources, build folder, time zone, locale
  local log=$2.log
  if ! TZ=$3 LC_ALL=$4 cmake -S "$1" -B "$2" -DCMAKE_BUILD_TYPE=Release \
         -DCMAKE_TOOLCHAIN_FILE="$1/cmake/mingw-w64-x86_64.cmake" "${manifest_option[@]}" >"$log" 2>&1 ||
     ! TZ=$3 LC_ALL=$4 cmake --build "$2" -j "$jobs" --target SetUp >>"$log" 2>&1; then
    tail -30 "$log"
    echo "check-reproducible: the build in $2 failed"
    exit 1
  fi
}

other_locale=C.UTF-8
locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$' && other_locale=zh_CN.UTF-8

if [ -n "$against" ]; then
  mkdir -p "$work/a/build/app"
  cp "$against" "$work/a/build/app/SetUp.exe"
  echo "first build: $against"
else
  echo "building SetUp.exe in $work/a/build"
  build "$first" "$work/a/build" UTC C.UTF-8
  sleep 2
fi
echo "building SetUp.exe in $work/second-checkout-somewhere-else/out-of-tree-build"
(umask 077 && build "$second" "$work/second-checkout-somewhere-else/out-of-tree-build" Asia/Shanghai "$other_locale")

one=$work/a/build/app/SetUp.exe
two=$work/second-checkout-somewhere-else/out-of-tree-build/app/SetUp.exe
sha256sum "$one" "$two"
echo "the builds took ${SECONDS}s"

if cmp -s "$one" "$two"; then
  echo "reproducible: the two builds of SetUp.exe are identical"
  exit 0
fi

# Name the section that holds the first difference.
first_byte=$(cmp "$one" "$two" | grep -oE 'byte [0-9]+' | grep -oE '[0-9]+' || true)
offset=$((${first_byte:-1} - 1))
where="the headers"
while read -r _ name size _ _ file_offset _; do
  # Sections without contents in the file (.bss) have file offset 0.
  if ((16#$file_offset > 0 && offset >= 16#$file_offset && offset < 16#$file_offset + 16#$size)); then
    where="section $name"
  fi
done < <(x86_64-w64-mingw32-objdump -h "$one" | grep -E '^ +[0-9]+ ')
keep=1
echo "NOT reproducible: $(cmp -l "$one" "$two" | wc -l) bytes differ, the first at offset $offset in $where"
echo "both builds are kept in $work"
exit 1
