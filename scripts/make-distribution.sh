#!/usr/bin/env bash
# Packs a release: checks the payload, writes its manifest, builds SetUp.exe with the manifest
# compiled in (or takes one built so), signs it, and writes OUT/Tessarune/{SetUp.exe, Admin-Guide.html, Data/...},
# OUT/Tessarune-VERSION.zip, OUT/Tessarune-VERSION.manifest and OUT/SHA256SUMS. Nothing is written
# unless all of it succeeds. The same inputs give the same zip, byte for byte.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
top=$TESSA_TOP

tessa_usage "usage: scripts/make-distribution.sh --payload DIR --out DIR [--exe PATH] [--unsigned]

Checks the payload (scripts/check-payload.sh), writes its manifest (scripts/payload-manifest.py),
builds SetUp.exe with the manifest compiled in, signs it (scripts/sign-setup.sh) and writes into
OUT:
  Tessarune/                 SetUp.exe, Admin-Guide.html (docs/admin.md) and Data/ (the payload),
                             as the user unpacks them
  Tessarune-VERSION.zip      that folder; VERSION (yyyy.mm.dd) is the product's version
  Tessarune-VERSION.manifest what SetUp.exe installs: every file of Data/, its size and SHA-256
  SHA256SUMS                 the hashes of the zip and of SetUp.exe (sha256sum -c SHA256SUMS)
  --exe PATH    pack this SetUp.exe instead of building one; it must have been built with
                -DTESSA_PAYLOAD_MANIFEST=<this payload's manifest>, or it is not signed
  --unsigned    pack SetUp.exe unsigned; without it a missing certificate is refused, and so is
                a SetUp.exe without this payload's manifest (with it, that is only a warning)
Environment:
  TESSA_BUILD_DIR     where SetUp.exe is built, in dist-win64/ (default: build/ of the tree)
Environment:
  SOURCE_DATE_EPOCH   date of every packed entry (default: the date of the version)
  TESSA_SIGN_*        the certificate and timestamp, see scripts/sign-setup.sh --help" "$@"

usage() {
  echo "usage: scripts/make-distribution.sh --payload DIR --out DIR [--exe PATH] [--unsigned] (--help for more)" >&2
  exit 2
}
fail() { tessa_fail "$@"; }

payload='' out='' exe='' unsigned=
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
if [ -n "$exe" ]; then
  [ -f "$exe" ] || fail "SetUp.exe not found: $exe"
  is_windows_x64 "$exe" || fail "not a 64-bit Windows executable: $exe"
fi
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
for existing in "$out/Tessarune" "$out/$zip_name" "$out/Tessarune-$version.manifest" "$out/SHA256SUMS"; do
  [ ! -e "$existing" ] || fail "$existing already exists: remove it or choose another --out"
done

stage=$(mktemp -d "$out/.Tessarune.XXXXXX")
trap 'rm -rf "$stage"' EXIT
dist=$stage/Tessarune
mkdir -p "$dist/Data"
cp -RL "$payload/." "$dist/Data/"
# The administrators' guide travels beside SetUp.exe. Debian's python3-markdown belongs to
# Debian's python3, whichever python3 comes first on PATH.
guide_python=python3
python3 -c 'import markdown' 2>/dev/null || guide_python=/usr/bin/python3
"$guide_python" "$top/scripts/render-guide.py" "$top/docs/admin.md" "$dist/Admin-Guide.html" ||
  fail "the guide cannot be rendered; nothing packed"

# The manifest of exactly what is packed, compiled into SetUp.exe so that its signature covers it.
manifest=$stage/Tessarune-$version.manifest
python3 "$top/scripts/payload-manifest.py" "$dist/Data" "$manifest" || fail "nothing packed"
if [ -z "$exe" ]; then
  build=${TESSA_BUILD_DIR:-$top/build}/dist-win64
  echo "building SetUp.exe with the payload's manifest in $build"
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  mkdir -p "$build"
  # Copied only when it changed: an unchanged manifest rebuilds nothing.
  cmp -s "$manifest" "$build/payload.manifest" || cp "$manifest" "$build/payload.manifest"
  if ! { cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
           -DTESSA_PAYLOAD_MANIFEST="$build/payload.manifest" "${launcher[@]}" &&
         cmake --build "$build" -j "$(nproc)" --target SetUp; } >"$build/build.log" 2>&1; then
    tail -30 "$build/build.log" >&2
    fail "building SetUp.exe failed (the whole log: $build/build.log); nothing packed"
  fi
  exe=$build/app/SetUp.exe
fi
# The manifest's bytes stand in the executable as they are (a string of hex escapes in the source).
if ! python3 -c 'import sys; sys.exit(open(sys.argv[2], "rb").read() not in open(sys.argv[1], "rb").read())' \
     "$exe" "$manifest"; then
  [ -n "$unsigned" ] || fail "$exe was not built with this payload's manifest: it would install whatever Data holds, so it is not signed (build it with -DTESSA_PAYLOAD_MANIFEST=$(basename "$manifest") or leave out --exe); nothing packed"
  echo "WARNING: $exe carries no manifest of this payload: it installs whatever Data holds"
fi

bash "$top/scripts/sign-setup.sh" $unsigned "$exe" "$dist/SetUp.exe" || fail "nothing packed"

# Modes and dates of the packed tree do not depend on who packed it when.
find "$dist" -type d -exec chmod 755 {} +
find "$dist" -type f -exec chmod 644 {} +
chmod 755 "$dist/SetUp.exe"
find "$dist" -exec touch -h -d "@$epoch" {} +

python3 "$top/scripts/zip-folder.py" "$stage" Tessarune "$stage/$zip_name" "$epoch"
(cd "$stage" && sha256sum "$zip_name" Tessarune/SetUp.exe >SHA256SUMS)

mv "$dist" "$out/Tessarune"
mv "$stage/$zip_name" "$stage/SHA256SUMS" "$manifest" "$out/"
files=$(find "$out/Tessarune" -type f | wc -l)
echo "packed $files files into $out/Tessarune and $out/$zip_name (dated $(date -u -d "@$epoch" '+%Y-%m-%d %H:%M UTC'))"
echo "$out/SHA256SUMS:"
cat "$out/SHA256SUMS"
