#!/usr/bin/env bash
# Packs a release: checks the payload, signs SetUp.exe when a certificate is given, and writes
# OUT/Tessarune/{SetUp.exe, Data/...} and OUT/Tessarune.zip. Nothing is written unless all of it
# succeeds. The same inputs give the same zip, byte for byte.
#   make-distribution.sh --payload DIR --out DIR [--exe PATH]
# Environment:
#   SOURCE_DATE_EPOCH   date of every packed entry (default: the date of productVersion)
#   TESSA_SETUP_EXE     default for --exe (then build/win64/app/SetUp.exe)
#   TESSA_SIGN_PKCS12, TESSA_SIGN_PASSWORD, TESSA_SIGN_CAFILE, TESSA_SIGN_TIMESTAMP_URL:
#                       signing, see scripts/sign-setup.sh; without a certificate SetUp.exe is
#                       packed unsigned
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

usage() {
  echo "usage: make-distribution.sh --payload DIR --out DIR [--exe PATH]" >&2
  exit 2
}
fail() { echo "make-distribution: $*" >&2; exit 1; }

payload='' out='' exe=${TESSA_SETUP_EXE:-$top/build/win64/app/SetUp.exe}
while [ $# -gt 0 ]; do
  case $1 in
    --payload) [ $# -ge 2 ] || usage; payload=$2; shift 2 ;;
    --out) [ $# -ge 2 ] || usage; out=$2; shift 2 ;;
    --exe) [ $# -ge 2 ] || usage; exe=$2; shift 2 ;;
    *) usage ;;
  esac
done
if [ -z "$payload" ] || [ -z "$out" ]; then usage; fi

# A 64-bit Windows executable: "MZ", then "PE\0\0" and machine 0x8664 where e_lfanew points.
is_windows_x64() {
  local pe
  [ "$(head -c 2 "$1")" = MZ ] || return 1
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  [ "$(od -An -tx1 -j"$pe" -N6 "$1" | tr -d ' \n')" = 504500006486 ]
}

[ -f "$exe" ] || fail "SetUp.exe not found: $exe (build it with scripts/build.sh, or give --exe)"
is_windows_x64 "$exe" || fail "not a 64-bit Windows executable: $exe"
command -v python3 >/dev/null || fail "python3 is needed to write the zip"

# Every packed entry carries this date.
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  [[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] || fail "SOURCE_DATE_EPOCH is not a number of seconds: $SOURCE_DATE_EPOCH"
  epoch=$SOURCE_DATE_EPOCH
else
  version=$(grep -oE 'productVersion = [0-9]{8}' "$top/acad/build_constants.h" | grep -oE '[0-9]{8}' || true)
  [[ $version =~ ^[0-9]{8}$ ]] || fail "no productVersion in acad/build_constants.h: set SOURCE_DATE_EPOCH"
  epoch=$(date -u -d "$version" +%s)
fi

bash "$top/scripts/check-payload.sh" "$payload" || fail "nothing packed"

# The output must not become part of what is packed.
case "$(realpath -m "$out")/" in
  "$(realpath "$payload")"/*) fail "the output folder must not lie inside the payload: $out" ;;
esac
mkdir -p "$out"
out=$(cd "$out" && pwd)
for existing in "$out/Tessarune" "$out/Tessarune.zip"; do
  [ ! -e "$existing" ] || fail "$existing already exists: remove it or choose another --out"
done

stage=$(mktemp -d "$out/.Tessarune.XXXXXX")
trap 'rm -rf "$stage"' EXIT
dist=$stage/Tessarune
mkdir -p "$dist/Data"
cp -RL "$payload/." "$dist/Data/"

if [ -n "${TESSA_SIGN_PKCS12:-}" ]; then
  bash "$top/scripts/sign-setup.sh" "$exe" "$dist/SetUp.exe" || fail "nothing packed"
else
  cp "$exe" "$dist/SetUp.exe"
  echo "NOT SIGNED: TESSA_SIGN_PKCS12 is not set, SetUp.exe is packed unsigned (the elevation prompt will show an unknown publisher)"
fi

# Modes and dates of the packed tree do not depend on who packed it when.
find "$dist" -type d -exec chmod 755 {} +
find "$dist" -type f -exec chmod 644 {} +
chmod 755 "$dist/SetUp.exe"
find "$dist" -exec touch -h -d "@$epoch" {} +

python3 "$top/scripts/zip-folder.py" "$stage" Tessarune "$stage/Tessarune.zip" "$epoch"

mv "$dist" "$out/Tessarune"
mv "$stage/Tessarune.zip" "$out/Tessarune.zip"
files=$(find "$out/Tessarune" -type f | wc -l)
echo "packed $files files into $out/Tessarune and $out/Tessarune.zip (dated $(date -u -d "@$epoch" '+%Y-%m-%d %H:%M UTC'))"
sha256sum "$out/Tessarune/SetUp.exe" "$out/Tessarune.zip"
