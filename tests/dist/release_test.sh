#!/usr/bin/env bash
# The release command, on a committed copy of this tree: it refuses a tree with changes, another
# version, an out folder inside the tree and a missing certificate without --unsigned; given a
# certificate it builds, signs with a timestamp requested, and writes the versioned zip, its
# SHA256SUMS and a release note outside the tree. Every script answers --help and does nothing.
. "$(dirname "$0")/dist_test_lib.sh"
if ! command -v x86_64-w64-mingw32-g++ >/dev/null; then
  echo "skipped: no mingw-w64 compiler to build SetUp.exe with (scripts/setup.sh installs it)"
  exit "$SKIP"
fi

# --help prints the usage and nothing else happens: no build, no output, in a scratch folder.
mkdir "$scratch/help-run"
for name in setup.sh build.sh sign-setup.sh make-distribution.sh release.sh check-reproducible.sh \
  check-payload.sh make-sample-payload.sh bench.sh payload-names.sh lib.sh; do
  help=$(cd "$scratch/help-run" && TESSA_BUILD_DIR=$scratch/help-run/build timeout 20 bash "$scripts/$name" --help 2>&1)
  help_status=$?
  check "$name --help prints its usage" eval '[ "$help_status" -eq 0 ] && [[ $help == usage:* ]]'
done
check "--help built and wrote nothing" nothing_packed "$scratch/help-run"

# A committed copy of the tree as it is now, version 2027.01.02.
tree=$scratch/tree
mkdir "$tree"
git -C "$top" ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' f; do [ -e "$top/$f" ] && printf '%s\0' "$f"; done |
  tar -C "$top" --null -T - -cf - | tar -C "$tree" -xf -
in_tree() { git -C "$tree" "$@" >/dev/null 2>&1; }
in_tree init -q
in_tree add -A
in_tree -c user.name=Test -c user.email=test@example.test commit -q -m "Sources"
bash "$tree/scripts/release.sh" --set-version 2027.01.02 >/dev/null
in_tree -c user.name=Test -c user.email=test@example.test commit -q -am "Version 2027.01.02"
check "the copy is committed and clean" eval '[ -z "$(git -C "$tree" status --porcelain)" ]'

payload=$scratch/payload
sample_payload "$payload"
release() {  # arguments...: leaves the output in $output and the exit status in $status
  output=$(TESSA_BUILD_DIR=$scratch/build bash "$tree/scripts/release.sh" "$@" 2>&1)
  status=$?
}
refused() {  # text, out folder
  [ "$status" -ne 0 ] && contains "$output" "$1" && [ ! -e "$2" ]
}

release 2027.01.02 "$payload" --out "$scratch/no-cert" --skip-tests
check "without a certificate and without --unsigned: refused, naming TESSA_SIGN_PKCS12" \
  refused "TESSA_SIGN_PKCS12 is not set" "$scratch/no-cert"
check "and naming --unsigned as the way out" contains "$output" "--unsigned"

make_certificate
record_osslsigncode
export TESSA_SIGN_PKCS12=$certs/cert.p12 TESSA_SIGN_PASSWORD='correct horse' TESSA_SIGN_CAFILE=$certs/cert.pem

echo scribble >"$tree/notes.txt"
release 2027.01.02 "$payload" --out "$scratch/dirty" --skip-tests
check "a tree with a file not committed is refused, naming it" \
  eval 'refused "changes not committed" "$scratch/dirty" && contains "$output" "notes.txt"'
rm "$tree/notes.txt"

release 2027.02.30 "$payload" --out "$scratch/no-date" --skip-tests
check "a version that is not a date is refused" refused "not a version: 2027.02.30" "$scratch/no-date"

release 2027.01.03 "$payload" --out "$scratch/other-version" --skip-tests
check "another version than the tree's is refused, naming both and the fix" \
  eval 'refused "the tree is version 2027.01.02, not 2027.01.03" "$scratch/other-version" &&
        contains "$output" "--set-version 2027.01.03"'

release 2027.01.02 "$payload" --out "$tree/out" --skip-tests
check "an out folder inside the tree is refused" refused "outside the tree" "$tree/out"

out=$scratch/release
release 2027.01.02 "$payload" --out "$out" --skip-tests
echo "$output"
check "a signed release is made" [ "$status" -eq 0 ]
check "the zip is named after the version" [ -f "$out/Tessarune-2027.01.02.zip" ]
check "SHA256SUMS holds the zip's hash" \
  eval '(cd "$out" && sha256sum --quiet -c SHA256SUMS) && grep -q "  Tessarune-2027.01.02.zip$" "$out/SHA256SUMS"'
unzip -p "$out/Tessarune-2027.01.02.zip" Tessarune/SetUp.exe >"$scratch/shipped.exe"
check "the shipped SetUp.exe verifies against the certificate" \
  eval '"$real_osslsigncode" verify -in "$scratch/shipped.exe" -CAfile "$certs/cert.pem" 2>&1 | grep -q "Signature verification: ok"'
timestamp=$(grep -oE ' -ts [^ ]+' "$osslsigncode_log" | cut -d' ' -f3)
check "signing asked for a timestamp" [ -n "$timestamp" ]
note=$(cat "$out/RELEASE-NOTE.txt" 2>/dev/null)
check "the release note names the version" contains "$note" "Tessarune 2027.01.02"
check "the release note names the commit" contains "$note" "$(git -C "$tree" rev-parse HEAD)"
check "the release note gives the zip's SHA-256" \
  contains "$note" "$(sha256sum "$out/Tessarune-2027.01.02.zip" | cut -d' ' -f1)"
check "the release note says it is signed, with the timestamp service" \
  eval 'grep -q "^Signed: *yes" <<<"$note" && grep -qF "Timestamp: $timestamp" <<<"$note"'
check "the release note names the signer as the shipped file does" \
  eval 'grep -qF "Signer:    $("$real_osslsigncode" verify -in "$scratch/shipped.exe" -CAfile "$certs/cert.pem" 2>&1 |
        sed -n "s/^[[:space:]]*Subject: //p" | head -1)" <<<"$note"'
check "the tag command is printed" contains "$output" "git tag -s v2027.01.02"
check "the tree is left clean" eval '[ -z "$(git -C "$tree" status --porcelain)" ]'

finish
