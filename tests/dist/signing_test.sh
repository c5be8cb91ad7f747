#!/usr/bin/env bash
# Authenticode signing in the distribution command, with a throwaway self-signed code-signing
# certificate: the packed SetUp.exe is built with the payload's manifest, signed with SHA-256 and
# verifies, a tampered copy does not, and one built without the manifest is not signed; osslsigncode gets only options its Debian 12 version (2.5) has, the password in a private
# file and never on its command line, and a time-stamping service unless told "none"; a wrong
# password, an unverifiable or misspelt certificate packs nothing.
. "$(dirname "$0")/dist_test_lib.sh"
need_setup_exe

check "a throwaway certificate is made" make_certificate
record_osslsigncode

payload=$scratch/payload
sample_payload "$payload"

export TESSA_SIGN_PKCS12=$certs/cert.p12 TESSA_SIGN_PASSWORD='correct horse' TESSA_SIGN_CAFILE=$certs/cert.pem
# A SetUp.exe built without this payload's manifest would install whatever Data holds.
pack "$payload" "$scratch/no-manifest"
check "a SetUp.exe without the payload's manifest is not signed and packs nothing" \
  eval '[ "$status" -ne 0 ] && contains "$output" "not built with this payload'"'"'s manifest" && nothing_packed "$scratch/no-manifest"'

# The packer builds SetUp.exe with the manifest, beside the build of the test run.
export TESSA_BUILD_DIR
TESSA_BUILD_DIR=$(cd "$(dirname "$TESSA_SETUP_EXE")/../.." && pwd)
built=$TESSA_BUILD_DIR/dist-win64/app/SetUp.exe
pack_built() {  # payload, out, more arguments...
  local payload=$1 out=$2
  shift 2
  output=$(bash "$scripts/make-distribution.sh" --payload "$payload" --out "$out" "$@" 2>&1)
  status=$?
}
pack_built "$payload" "$scratch/signed"
echo "$output"
signed=$scratch/signed/Tessarune/SetUp.exe
check "a payload is packed with a signed SetUp.exe" eval '[ "$status" -eq 0 ] && contains "$output" "signature verified"'
built_before=$(sha256sum <"$built")
check "the packed SetUp.exe differs from the built one" fails cmp -s "$signed" "$built"
manifest=$(echo "$scratch"/signed/Tessarune-*.manifest)
check "the manifest lists every file of Data" \
  [ "$(wc -l <"$manifest")" -eq "$(find "$scratch/signed/Tessarune/Data" -type f | wc -l)" ]
check "the signed SetUp.exe carries the manifest" \
  python3 -c 'import sys; sys.exit(open(sys.argv[2], "rb").read() not in open(sys.argv[1], "rb").read())' "$signed" "$manifest"

calls=$(cat "$osslsigncode_log")
echo "$calls"
sign_call=$(grep '^call: sign ' <<<"$calls")
check "osslsigncode is given no option its version 2.5 lacks" fails contains "$calls" "unknown option"
check "a time-stamping service is asked by default" grep -qE ' -ts https?://[^ ]+( |$)' <<<"$sign_call"
check "the password is not on osslsigncode's command line" fails contains "$sign_call" "correct horse"
check "the password is not given as -pass" fails grep -qE '(^| )-pass ' <<<"$sign_call"
check "the password is not read from stdin" fails grep -qE ' -readpass -( |$)' <<<"$sign_call"
check "the password file can be read by its owner only" contains "$calls" "readpass mode: 600"
password_file=$(grep -oE ' -readpass [^ ]+' <<<"$sign_call" | cut -d' ' -f3)
check "the password file is gone after signing" eval '[ -n "$password_file" ] && [ ! -e "$password_file" ]'

verify_log=$("$real_osslsigncode" verify -in "$signed" -CAfile "$certs/cert.pem" 2>&1)
check "the packed SetUp.exe verifies against the certificate" contains "$verify_log" "Signature verification: ok"
check "its signature uses SHA-256" contains "$verify_log" "Message digest algorithm  : SHA256"
check "its signer is the certificate's subject" contains "$verify_log" "Subject: /CN=Tessarune Test Code Signing"
check "the zip holds the signed SetUp.exe" \
  cmp -s "$signed" <(unzip -p "$(zip_in "$scratch/signed")" Tessarune/SetUp.exe)

# Flip one byte of the first section (the code): the signature no longer matches.
tampered=$scratch/tampered.exe
cp "$signed" "$tampered"
pe=$(od -An -tu4 -j60 -N4 "$tampered" | tr -d ' ')
optional_size=$(od -An -tu2 -j$((pe + 20)) -N2 "$tampered" | tr -d ' ')
section_data=$(od -An -tu4 -j$((pe + 24 + optional_size + 20)) -N4 "$tampered" | tr -d ' ')
at=$((section_data + 64))
byte=$(od -An -tu1 -j"$at" -N1 "$tampered" | tr -d ' ')
printf "\\$(printf '%03o' $((byte ^ 0xff)))" | dd of="$tampered" bs=1 seek="$at" conv=notrunc status=none
check "the tampered copy differs in one byte" [ "$(cmp -l "$signed" "$tampered" | wc -l)" -eq 1 ]
verifies() { "$real_osslsigncode" verify -in "$1" -CAfile "$certs/cert.pem" >/dev/null 2>&1; }
check "a tampered copy fails verification" fails verifies "$tampered"

: >"$osslsigncode_log"
TESSA_SIGN_TIMESTAMP_URL=http://tsa.example.test/rfc3161 pack_built "$payload" "$scratch/chosen-service"
check "TESSA_SIGN_TIMESTAMP_URL chooses the time-stamping service" \
  eval '[ "$status" -eq 0 ] && grep -qE " -ts http://tsa.example.test/rfc3161( |\$)" "$osslsigncode_log"'
check "the built SetUp.exe is left as it was" [ "$(sha256sum <"$built")" = "$built_before" ]

: >"$osslsigncode_log"
TESSA_SIGN_TIMESTAMP_URL=none pack_built "$payload" "$scratch/no-timestamp"
check "TESSA_SIGN_TIMESTAMP_URL=none signs without a timestamp, and says so" \
  eval '[ "$status" -eq 0 ] && contains "$output" "NOT timestamped" && fails grep -q " -ts " "$osslsigncode_log"'

TESSA_SIGN_PASSWORD=wrong pack_built "$payload" "$scratch/wrong-password"
check "a wrong password packs nothing and says signing failed" \
  eval '[ "$status" -ne 0 ] && contains "$output" "signing failed" && nothing_packed "$scratch/wrong-password"'

TESSA_SIGN_PKCS12=$certs/cert.pfx pack_built "$payload" "$scratch/misspelt"
check "a certificate file that does not exist packs nothing and names TESSA_SIGN_PKCS12" \
  eval '[ "$status" -ne 0 ] && contains "$output" "TESSA_SIGN_PKCS12 names no file: $certs/cert.pfx" && nothing_packed "$scratch/misspelt"'

# Without the root, the self-signed certificate does not verify: nothing is packed.
unset TESSA_SIGN_CAFILE
pack_built "$payload" "$scratch/unverified"
check "a signature that does not verify packs nothing" \
  eval '[ "$status" -ne 0 ] && contains "$output" "does not verify" && nothing_packed "$scratch/unverified"'

unset TESSA_SIGN_PASSWORD
pack_built "$payload" "$scratch/no-password"
check "a certificate without TESSA_SIGN_PASSWORD packs nothing" \
  eval '[ "$status" -ne 0 ] && contains "$output" "TESSA_SIGN_PASSWORD is not set" && nothing_packed "$scratch/no-password"'

finish
