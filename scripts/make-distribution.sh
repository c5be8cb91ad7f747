#!/usr/bin/env bash
# Packs a release: checks the payload, signs SetUp.exe, and writes OUT/Tessarune/{SetUp.exe,
# Data/...}, OUT/Tessarune-VERSION.zip and OUT/SHA256SUMS. Nothing is written unless all of it
# succeeds. The same inputs give the same zip, byte for byte.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
top=$TESSA_TOP

tessa_usage "usage: scripts/make-distribution.sh --payload DIR --out DIR [--exe PATH] [--unsigned]

Checks the payload (scripts/check-payload.sh), signs SetUp.exe (scripts/sign-setup.sh) and
writes into OUT:
  Tessarune/              SetUp.exe and Data/ (the payload), as the user unpacks them
  Tessarune-VERSION.zip   that folder; VERSION (yyyy.mm.dd) is the product's version
  SHA256SUMS              the hashes of the zip and of SetUp.exe (sha256sum -c SHA256SUMS)
  --exe PATH    the SetUp.exe to pack (default \$TESSA_SETUP_EXE, then build/win64/app/SetUp.exe)
  --unsigned    pack SetUp.exe unsigned; without it a missing certificate is refused
Environment:
  SOURCE_DATE_EPOCH   date of every packed entry (default: the date of the version)
  TESSA_SIGN_*        the certificate and timestamp, see scripts/sign-setup.sh --help" "$@"

usage() {
  echo "usage: scripts/make-distribution.sh --payload DIR --out DIR [--exe PATH] [--unsigned] (--help for more)" >&2
  exit 2
}
fail() { tessa_fail "$@"; }

payload='' out='' exe=${TESSA_SETUP_EXE:-$top/build/win64/app/SetUp.exe} unsigned=
while [ $# -gt 0 ]; do
  case $1 in
    --payload) [ $# -ge 2 ] || usage; payload=$2; shift 2 ;;
    --out) [ $# -ge 2 ] || usage; out=$2; shift 2 ;;
    --exe) [ $# -ge 2 ] || usage; exe=$2; shift 2 ;;
    --unsigned) unsigned=--unsigned; shift ;;
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

[ -n "$unsigned" ] || tessa_sign_settings_check
[ -f "$exe" ] || fail "SetUp.exe not found: $exe (build it with scripts/build.sh, or give --exe)"
is_windows_x64 "$exe" || fail "not a 64-bit Windows executable: $exe"
tessa_require_tools python3 sha256sum
version=$(tessa_version_get) || fail "the product's version cannot be read"
zip_name=Tessarune-$version.zip

# Every packed entry carries this date.
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  [[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] || fail "SOURCE_DATE_EPOCH is not a number of seconds: $SOURCE_DATE_EPOCH"
  epoch=$SOURCE_DATE_EPOCH
else
  epoch=$(date -u -d "${version//./-}" +%s)
fi

bash "$top/scripts/check-payload.sh" "$payload" || fail "nothing packed"

# The output must not become part of what is packed.
case "$(realpath -m "$out")/" in
  "$(realpath "$payload")"/*) fail "the output folder must not lie inside the payload: $out" ;;
esac
mkdir -p "$out"
out=$(cd "$out" && pwd)
for existing in "$out/Tessarune" "$out/$zip_name" "$out/SHA256SUMS"; do
  [ ! -e "$existing" ] || fail "$existing already exists: remove it or choose another --out"
done

stage=$(mktemp -d "$out/.Tessarune.XXXXXX")
trap 'rm -rf "$stage"' EXIT
dist=$stage/Tessarune
mkdir -p "$dist/Data"
cp -RL "$payload/." "$dist/Data/"

bash "$top/scripts/sign-setup.sh" $unsigned "$exe" "$dist/SetUp.exe" || fail "nothing packed"

# Modes and dates of the packed tree do not depend on who packed it when.
find "$dist" -type d -exec chmod 755 {} +
find "$dist" -type f -exec chmod 644 {} +
chmod 755 "$dist/SetUp.exe"
find "$dist" -exec touch -h -d "@$epoch" {} +

python3 "$top/scripts/zip-folder.py" "$stage" Tessarune "$stage/$zip_name" "$epoch"
(cd "$stage" && sha256sum "$zip_name" Tessarune/SetUp.exe >SHA256SUMS)

mv "$dist" "$out/Tessarune"
mv "$stage/$zip_name" "$stage/SHA256SUMS" "$out/"
files=$(find "$out/Tessarune" -type f | wc -l)
echo "packed $files files into $out/Tessarune and $out/$zip_name (dated $(date -u -d "@$epoch" '+%Y-%m-%d %H:%M UTC'))"
echo "$out/SHA256SUMS:"
cat "$out/SHA256SUMS"
