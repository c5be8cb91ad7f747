#!/usr/bin/env bash
# A sound payload is packed: the folder and the zip hold exactly the payload and SetUp.exe, the
# unsigned SetUp.exe is the built one byte for byte, Chinese names are flagged UTF-8 in the zip,
# and packing again (other file dates, umask and time zone) gives the same zip.
. "$(dirname "$0")/dist_test_lib.sh"
need_setup_exe

payload=$scratch/payload
sample_payload "$payload"
pack_unsigned "$payload" "$scratch/out"
echo "$output"
check "a sound payload is packed" [ "$status" -eq 0 ]
check "the run says SetUp.exe is not signed" contains "$output" "NOT SIGNED"

dist=$scratch/out/Tessarune
zip=$(zip_in "$scratch/out")
check "the unsigned SetUp.exe is the built one, byte for byte" cmp -s "$TESSA_SETUP_EXE" "$dist/SetUp.exe"
check "Data holds the payload as it is" diff -r "$payload" "$dist/Data"
check "nothing but SetUp.exe, the guide and Data beside each other" \
  [ "$(cd "$dist" && ls -A | tr '\n' ' ')" = "Admin-Guide.html Data SetUp.exe " ]
check "the guide is the rendered docs/admin.md" grep -q '<h2[^>]*>Exit codes' "$dist/Admin-Guide.html"

# The entries the zip must list, worked out from the payload, in byte order of their names.
expected=$scratch/expected
{
  printf '%s\n' Tessarune/ Tessarune/Admin-Guide.html Tessarune/Data/ Tessarune/SetUp.exe
  (cd "$payload" && find . -mindepth 1 -type d) | sed 's|^\./\(.*\)|Tessarune/Data/\1/|'
  (cd "$payload" && find . -type f) | sed 's|^\./|Tessarune/Data/|'
} | LC_ALL=C sort >"$expected"
zipinfo -1 "$zip" >"$scratch/listed"
check "the zip lists exactly the expected entries, sorted" diff "$expected" "$scratch/listed"
check "the drawing library is in the zip under its Chinese name" \
  grep -qxF "Tessarune/Data/$TESSA_DRAWING_LIBRARY/门窗.dwg" "$scratch/listed"

mkdir "$scratch/unzipped"
(cd "$scratch/unzipped" && unzip -q "$zip")
check "the zip unpacks to the packed folder" diff -r "$dist" "$scratch/unzipped/Tessarune"
check "SHA256SUMS beside the zip holds the hashes of the zip and SetUp.exe" \
  eval '(cd "$scratch/out" && sha256sum --quiet -c SHA256SUMS) && [ "$(cut -d" " -f3 "$scratch/out/SHA256SUMS" | sort | tr "\n" " ")" = "${zip##*/} Tessarune/SetUp.exe " ]'

python3 "$here/zip_name_flags.py" "$zip" >"$scratch/flags"
non_ascii=$(grep -P '[^\x00-\x7F]' "$scratch/flags")
check "every non-ASCII name has its local and central header" \
  [ "$(wc -l <<<"$non_ascii")" -eq $((2 * $(grep -cP '[^\x00-\x7F]' "$expected"))) ]
check "every non-ASCII name carries the UTF-8 flag in both headers" \
  [ -z "$(grep -v '^[a-z]* utf8 ' <<<"$non_ascii")" ]
check "ASCII names are left unflagged, as every zip reader expects" \
  [ -z "$(grep -vP '[^\x00-\x7F]' "$scratch/flags" | grep ' utf8 ')" ]

# The dates of a zip's entries, one line for each distinct date.
zip_dates() {
  python3 -c 'import sys, zipfile
for info in zipfile.ZipFile(sys.argv[1]).infolist(): print("%04d-%02d-%02d %02d:%02d:%02d" % info.date_time)' "$1" |
    sort -u
}
check "every entry carries the same date" [ "$(zip_dates "$zip" | wc -l)" -eq 1 ]

# Again from a payload with other file dates, under another umask and time zone.
find "$payload" -exec touch -d '2001-02-03 04:05:06' {} +
(umask 077 && TZ=Asia/Shanghai pack_unsigned "$payload" "$scratch/again" && exit "$status")
check "packing again succeeds" [ $? -eq 0 ]
check "packing again gives the same zip, byte for byte" cmp -s "$zip" "$(zip_in "$scratch/again")"

SOURCE_DATE_EPOCH=1700000000 pack_unsigned "$payload" "$scratch/dated"
check "SOURCE_DATE_EPOCH dates every entry (2023-11-14 22:13:20 UTC)" \
  [ "$(zip_dates "$(zip_in "$scratch/dated")")" = "2023-11-14 22:13:20" ]

# A hidden file is worth a warning, not a refusal.
: >"$payload/.gitkeep"
pack_unsigned "$payload" "$scratch/hidden"
check "a hidden-looking file is packed with a warning" \
  eval '[ "$status" -eq 0 ] && contains "$output" "warning: hidden-looking file is installed too: .gitkeep"'

finish
