#!/usr/bin/env bash
# The real SetUp.exe on an English Windows (Wine started with an English locale: code page 1252)
# refuses to install before it writes anything: exit code 1603 and the reason in its log.
#   code_page_e2e_test.sh SETUP_EXE
set -euo pipefail
setup=$1
[ -n "${WINEPREFIX:-}" ] || { echo "no Wine prefix: scripts/test.sh makes one"; exit 77; }
c=$(winepath -u 'C:\' 2>/dev/null)
temp=$c/windows/temp
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Data"
cp "$setup" "$work/SetUp.exe"
printf 'module' >"$work/Data/Quilox2021.arx"
rm -rf "$c/Quilox" "$c/Program Files/Quilox"
before=$(ls "$temp" | grep -c '^SetUp .*\.log$' || true)

for args in "/S" "/VERYSILENT /NORESTART"; do
  status=0
  # shellcheck disable=SC2086
  LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 wine "$work/SetUp.exe" $args >/dev/null 2>&1 || status=$?
  # Wine hands the low byte of the exit code to Unix: 1603 & 0xFF.
  [ "$status" = 67 ] || { echo "FAIL: $args ended with $status, not 1603"; exit 1; }
done
for folder in "$c/Quilox" "$c/Program Files/Quilox"; do
  [ ! -e "$folder" ] || { echo "FAIL: $folder was written"; exit 1; }
done
after=$(ls "$temp" | grep -c '^SetUp .*\.log$' || true)
[ "$after" -ge $((before + 1)) ] || { echo "FAIL: no log in $temp"; exit 1; }
newest=$(ls "$temp" | grep '^SetUp .*\.log$' | sort | tail -1)
grep -q 'FAILED: the system code page is 1252, not 936: nothing installed' "$temp/$newest" ||
  { echo "FAIL: the log does not say why:"; cat "$temp/$newest"; exit 1; }
grep -q 'exit code: 1603' "$temp/$newest" || { echo "FAIL: the log has no exit code"; exit 1; }
echo "refused on code page 1252, nothing written, logged in $newest"
