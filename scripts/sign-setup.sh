#!/usr/bin/env bash
# Signs SetUp.exe with Authenticode (SHA-256) and verifies the signature before anyone ships it.
#   sign-setup.sh IN OUT
# The certificate comes from the environment only, never from the command line or the tree:
#   TESSA_SIGN_PKCS12         the PKCS#12 file with key and certificate chain
#   TESSA_SIGN_PASSWORD       its password
#   TESSA_SIGN_CAFILE         optional: the root to verify against when it is not a system one
#   TESSA_SIGN_TIMESTAMP_URL  optional: an RFC 3161 time-stamping service
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: sign-setup.sh IN OUT" >&2
  exit 2
fi
in=$1
out=$2
fail() { echo "sign-setup: $*" >&2; exit 1; }

[ -n "${TESSA_SIGN_PKCS12:-}" ] || fail "TESSA_SIGN_PKCS12 is not set"
[ -f "$TESSA_SIGN_PKCS12" ] || fail "certificate file not found: $TESSA_SIGN_PKCS12"
[ -n "${TESSA_SIGN_PASSWORD+set}" ] || fail "TESSA_SIGN_PASSWORD is not set"
command -v osslsigncode >/dev/null || fail "osslsigncode is not installed (scripts/setup.sh installs it)"

args=(-pkcs12 "$TESSA_SIGN_PKCS12" -readpass - -h sha256 -n "Tessarune Setup")
if [ -n "${TESSA_SIGN_TIMESTAMP_URL:-}" ]; then
  args+=(-ts "$TESSA_SIGN_TIMESTAMP_URL")
  timestamp_note="timestamped by $TESSA_SIGN_TIMESTAMP_URL"
else
  timestamp_note="NOT timestamped (TESSA_SIGN_TIMESTAMP_URL is not set): the signature stops being valid when the certificate expires"
fi

rm -f "$out"
# The password goes through a pipe from a shell builtin: it never appears in a process's arguments.
if ! log=$(printf '%s\n' "$TESSA_SIGN_PASSWORD" | osslsigncode sign "${args[@]}" -in "$in" -out "$out" 2>&1); then
  rm -f "$out"
  fail "signing failed:"$'\n'"$log"
fi

verify=(-in "$out")
[ -n "${TESSA_SIGN_CAFILE:-}" ] && verify+=(-CAfile "$TESSA_SIGN_CAFILE")
if ! log=$(osslsigncode verify "${verify[@]}" 2>&1); then
  rm -f "$out"
  fail "the signed SetUp.exe does not verify (for a certificate of your own, set TESSA_SIGN_CAFILE to its root):"$'\n'"$log"
fi
subject=$(sed -n 's/^[[:space:]]*Subject: //p' <<<"$log" | head -1)
echo "signed SetUp.exe (Authenticode, SHA-256) as $subject; signature verified"
echo "$timestamp_note"
