#!/usr/bin/env bash
# Authenticode signing in the distribution command, with a throwaway self-signed code-signing
# certificate: the packed SetUp.exe is signed with SHA-256 and verifies, a tampered copy does
# not, and a wrong password or an unverifiable certificate packs nothing.
. "$(dirname "$0")/dist_test_lib.sh"
need_setup_exe

certs=$scratch/certs
mkdir "$certs"
cat >"$certs/code-signing.cnf" <<'EOF'
[req]
distinguished_name = dn
x509_extensions = ext
prompt = no
[dn]
CN = Tessarune Test Code Signing
[ext]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
EOF
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -config "$certs/code-signing.cnf" \
  -keyout "$certs/key.pem" -out "$certs/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$certs/key.pem" -in "$certs/cert.pem" -out "$certs/cert.p12" \
  -passout pass:'correct horse' 2>/dev/null
check "a throwaway certificate is made" [ -s "$certs/cert.p12" ]

payload=$scratch/payload
sample_payload "$payload"
built_before=$(sha256sum <"$TESSA_SETUP_EXE")

export TESSA_SIGN_PKCS12=$certs/cert.p12 TESSA_SIGN_PASSWORD='correct horse' TESSA_SIGN_CAFILE=$certs/cert.pem
pack "$payload" "$scratch/signed"
echo "$output"
signed=$scratch/signed/Tessarune/SetUp.exe
check "a payload is packed with a signed SetUp.exe" eval '[ "$status" -eq 0 ] && contains "$output" "signature verified"'
check "the run says the signature has no timestamp" contains "$output" "NOT timestamped"
check "the built SetUp.exe is left as it was" [ "$(sha256sum <"$TESSA_SETUP_EXE")" = "$built_before" ]
check "the packed SetUp.exe differs from the built one" fails cmp -s "$signed" "$TESSA_SETUP_EXE"

verify_log=$(osslsigncode verify -in "$signed" -CAfile "$certs/cert.pem" 2>&1)
check "the packed SetUp.exe verifies against the certificate" contains "$verify_log" "Signature verification: ok"
check "its signature uses SHA-256" contains "$verify_log" "Message digest algorithm  : SHA256"
check "its signer is the certificate's subject" contains "$verify_log" "Subject: /CN=Tessarune Test Code Signing"
check "the zip holds the signed SetUp.exe" \
  cmp -s "$signed" <(unzip -p "$scratch/signed/Tessarune.zip" Tessarune/SetUp.exe)

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
verifies() { osslsigncode verify -in "$1" -CAfile "$certs/cert.pem" >/dev/null 2>&1; }
check "a tampered copy fails verification" fails verifies "$tampered"

TESSA_SIGN_PASSWORD=wrong pack "$payload" "$scratch/wrong-password"
check "a wrong password packs nothing and says signing failed" \
  eval '[ "$status" -ne 0 ] && contains "$output" "signing failed" && nothing_packed "$scratch/wrong-password"'

# Without the root, the self-signed certificate does not verify: nothing is packed.
unset TESSA_SIGN_CAFILE
pack "$payload" "$scratch/unverified"
check "a signature that does not verify packs nothing" \
  eval '[ "$status" -ne 0 ] && contains "$output" "does not verify" && nothing_packed "$scratch/unverified"'

unset TESSA_SIGN_PASSWORD
pack "$payload" "$scratch/no-password"
check "a certificate without TESSA_SIGN_PASSWORD packs nothing" \
  eval '[ "$status" -ne 0 ] && contains "$output" "TESSA_SIGN_PASSWORD is not set" && nothing_packed "$scratch/no-password"'

finish
