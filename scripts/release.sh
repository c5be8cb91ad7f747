#!/usr/bin/env bash
# Makes a release from the committed tree: tests, a reproducibility check, SetUp.exe built and
# signed with a timestamp, the versioned zip, its SHA256SUMS and a release note, outside the tree.
set -euo pipefail
. "$(dirname "$0")/lib.sh"
top=$(realpath "$TESSA_TOP")

tessa_usage "usage: scripts/release.sh VERSION PAYLOAD [--out DIR] [--unsigned] [--skip-tests]
       scripts/release.sh --set-version VERSION

Makes release VERSION (yyyy.mm.dd) of the committed tree with the payload folder PAYLOAD (the
future Data folder, see scripts/check-payload.sh):
  1. refuses a tree with changes not committed, and a tree whose version is not VERSION
  2. runs scripts/test.sh and scripts/check-reproducible.sh
  3. builds SetUp.exe, signs and timestamps it, packs it (scripts/make-distribution.sh)
  4. writes Tessarune-VERSION.zip, SHA256SUMS and RELEASE-NOTE.txt into the out folder and
     prints the git tag command to run
  --out DIR       the out folder, outside the tree (default: ../tessarune-release-VERSION)
  --unsigned      ship SetUp.exe unsigned; without it a missing certificate is refused
  --skip-tests    skip step 2; only for testing this script, never for a real release
  --set-version   write VERSION into the tree (tessa_version_set, scripts/lib.sh), stop; commit it
                  yourself (git commit -am \"Version VERSION\"), then make the release
Signing: TESSA_SIGN_PKCS12, TESSA_SIGN_PASSWORD, TESSA_SIGN_TIMESTAMP_URL, see
scripts/sign-setup.sh --help. TESSA_BUILD_DIR: the build folder (default build/)." "$@"

usage() {
  echo "usage: scripts/release.sh VERSION PAYLOAD [--out DIR] [--unsigned] [--skip-tests] (--help for more)" >&2
  exit 2
}
fail() { tessa_fail "$@"; }

if [ "${1:-}" = --set-version ]; then
  [ $# -eq 2 ] || usage
  tessa_version_set "$2" || exit 1
  echo "the version is now $2; commit it: git commit -am \"Version $2\""
  exit 0
fi

positional=() out='' unsigned='' skip_tests=''
while [ $# -gt 0 ]; do
  case $1 in
    --out) [ $# -ge 2 ] || usage; out=$2; shift 2 ;;
    --unsigned) unsigned=--unsigned; shift ;;
    --skip-tests) skip_tests=1; shift ;;
    -*) echo "release: unknown option: $1" >&2; usage ;;
    *) positional+=("$1"); shift ;;
  esac
done
[ ${#positional[@]} -eq 2 ] || usage
version=${positional[0]}
payload=${positional[1]}

tessa_version_valid "$version" || fail "not a version: $version (yyyy.mm.dd, a real date, e.g. 2026.03.31)"
[ -d "$payload" ] || fail "the payload folder does not exist: $payload"
payload=$(cd "$payload" && pwd)
tessa_require_tools git cmake python3 sha256sum x86_64-w64-mingw32-g++
[ -n "$unsigned" ] || tessa_sign_settings_check

# The release is the commit the tag will name: nothing else may go into it.
git -C "$top" rev-parse --is-inside-work-tree >/dev/null 2>&1 ||
  fail "$top is not a git checkout: a release is made from a commit"
changes=$(git -C "$top" status --porcelain)
[ -z "$changes" ] ||
  fail "the tree has changes not committed; commit or stash them first (git status):"$'\n'"$changes"

# The script does not commit on its own: the commit that is tagged is one a person made and read,
# and a release that fails later leaves no stray commit behind.
tree_version=$(tessa_version_get) || fail "the tree's version cannot be read"
[ "$tree_version" = "$version" ] ||
  fail "the tree is version $tree_version, not $version; set and commit it first:
  scripts/release.sh --set-version $version && git commit -am \"Version $version\""
commit=$(git -C "$top" rev-parse HEAD)

out=${out:-$top/../tessarune-release-$version}
out=$(realpath -m "$out")
case "$out/" in
  "$top"/*) fail "the out folder must lie outside the tree: $out (give --out DIR elsewhere)" ;;
  "$payload"/*) fail "the out folder must not lie inside the payload: $out" ;;
esac
[ -z "$(ls -A "$out" 2>/dev/null)" ] ||
  fail "the out folder is not empty: $out (remove it, or give --out DIR)"

build=${TESSA_BUILD_DIR:-$top/build}
exe=$build/win64/app/SetUp.exe
if [ -z "$skip_tests" ]; then
  echo "[release] scripts/test.sh"
  bash "$top/scripts/test.sh" || fail "the tests failed: fix them, then release again"
else
  echo "[release] --skip-tests: the tests and the reproducibility check are NOT run"
fi

echo "[release] building SetUp.exe in $build/win64"
launcher=()
if command -v ccache >/dev/null; then
  # check-reproducible.sh builds without ccache: a cached object that differs would show there.
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
log=$build/release-build.log
mkdir -p "$build"
# A release's SetUp.exe carries the manifest of its payload; the packer refuses to sign one without.
python3 "$top/scripts/payload-manifest.py" "$payload" "$build/payload.manifest" || fail "the payload's manifest cannot be written"
if ! { cmake -S "$top" -B "$build/win64" -DCMAKE_BUILD_TYPE=Release \
         -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" "${launcher[@]}" \
         -DTESSA_PAYLOAD_MANIFEST="$build/payload.manifest" &&
       cmake --build "$build/win64" -j "$(nproc)" --target SetUp; } >"$log" 2>&1; then
  tail -30 "$log" >&2
  fail "building SetUp.exe failed (the whole log: $log)"
fi

if [ -z "$skip_tests" ]; then
  echo "[release] scripts/check-reproducible.sh"
  bash "$top/scripts/check-reproducible.sh" --against "$exe" --payload "$payload" ||
    fail "SetUp.exe is not reproducible from this commit: find what differs (see above) before releasing"
fi

echo "[release] packing"
mkdir -p "$out"
bash "$top/scripts/make-distribution.sh" --payload "$payload" --out "$out" --exe "$exe" $unsigned ||
  fail "packing failed (see above)"

zip_name=Tessarune-$version.zip
[ -f "$out/$zip_name" ] || fail "make-distribution.sh wrote no $zip_name"
signer=""
if [ -n "$unsigned" ]; then
  signed="NO: packed with --unsigned; the elevation prompt shows an unknown publisher"
  timestamp=none
else
  signed="yes, Authenticode SHA-256, verified"
  timestamp=$(tessa_timestamp_url)
  # The signer and the time as the shipped file says them; a line is left out rather than guessed.
  verify=(-in "$out/Tessarune/SetUp.exe")
  [ -n "${TESSA_SIGN_CAFILE:-}" ] && verify+=(-CAfile "$TESSA_SIGN_CAFILE")
  verified=$(osslsigncode verify "${verify[@]}" 2>&1 || true)
  subject=$(sed -n 's/^[[:space:]]*Subject: //p' <<<"$verified" | head -1)
  signing_time=$(sed -n 's/^[[:space:]]*Signing time: //p' <<<"$verified" | head -1)
  [ -z "$subject" ] || signer+="Signer:    $subject"$'\n'
  [ -z "$signing_time" ] || signer+="Signed at: $signing_time"$'\n'
fi
cat >"$out/RELEASE-NOTE.txt" <<EOF
Tessarune $version
Commit:    $commit
Zip:       $zip_name
SHA-256:   $(sha256sum "$out/$zip_name" | cut -d' ' -f1)
SetUp.exe: $(sha256sum "$out/Tessarune/SetUp.exe" | cut -d' ' -f1)
Signed:    $signed
${signer}Timestamp: $timestamp
Tests:     $([ -z "$skip_tests" ] && echo "scripts/test.sh and scripts/check-reproducible.sh passed" || echo "NOT run (--skip-tests)")
EOF

echo
cat "$out/RELEASE-NOTE.txt"
echo
echo "[release] done: $out holds $zip_name, SHA256SUMS and RELEASE-NOTE.txt"
echo "tag the commit with:"
echo "  git tag -s v$version -m \"Tessarune $version\" $commit && git push origin v$version"
