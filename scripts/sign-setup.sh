#!/usr/bin/env bash
# Signs SetUp.exe with Authenticode (SHA-256), timestamps it, and verifies the signature before
# anyone ships it. Uses only options osslsigncode 2.5 (Debian 12) knows.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

tessa_usage "usage: scripts/sign-setup.sh [--unsigned] IN OUT

Writes OUT, a signed copy of IN (a SetUp.exe), and verifies it. IN is left as it is.
  --unsigned   copy IN to OUT unsigned instead, saying so; no certificate needed

The certificate comes from the environment only, never from the command line or the tree:
  TESSA_SIGN_PKCS12         the PKCS#12 file with key and certificate chain (required)
  TESSA_SIGN_PASSWORD       its password (required; may be empty)
  TESSA_SIGN_CAFILE         the root to verify against when it is not a system one
  TESSA_SIGN_TIMESTAMP_URL  the RFC 3161 time-stamping service
                            (default $TESSA_DEFAULT_TIMESTAMP_URL; \"none\": no timestamp)
A missing or misspelt TESSA_SIGN_PKCS12 is refused unless --unsigned is given." "$@"

unsigned=
if [ "${1:-}" = --unsigned ]; then unsigned=1; shift; fi
if [ $# -ne 2 ]; then
  echo "usage: scripts/sign-setup.sh [--unsigned] IN OUT (--help for more)" >&2
  exit 2
fi
in=$1
out=$2
[ -f "$in" ] || tessa_fail "no such file: $in"

if [ -n "$unsigned" ]; then
  cp "$in" "$out"
  echo "NOT SIGNED (--unsigned): the elevation prompt will show an unknown publisher"
  exit 0
fi
tessa_sign_settings_check

args=(-pkcs12 "$TESSA_SIGN_PKCS12" -h sha256 -n "Tessarune Setup")
timestamp=$(tessa_timestamp_url)
if [ "$timestamp" != none ]; then
  args+=(-ts "$timestamp")
  timestamp_note="timestamped by $timestamp"
else
  timestamp_note="NOT timestamped (TESSA_SIGN_TIMESTAMP_URL=none): the signature stops being valid when the certificate expires"
fi

# The password reaches osslsigncode in a file only this user can read, removed on any exit: not
# in a process's arguments, where every user sees it.
# osslsigncode reads an empty file as a failure: an empty password is simply not given.
secret=$(umask 077 && mktemp /tmp/tessa-sign.XXXXXX)
trap 'rm -f "$secret"' EXIT
trap 'exit 1' INT TERM HUP
if [ -n "$TESSA_SIGN_PASSWORD" ]; then
  printf '%s' "$TESSA_SIGN_PASSWORD" >"$secret"
  args+=(-readpass "$secret")
fi

rm -f "$out"
if ! log=$(osslsigncode sign "${args[@]}" -in "$in" -out "$out" 2>&1); then
  rm -f "$out"
  hint="check TESSA_SIGN_PASSWORD"
  [ "$timestamp" = none ] || hint="$hint, and that $timestamp can be reached (TESSA_SIGN_TIMESTAMP_URL chooses another service)"
  tessa_fail "signing failed ($hint):"$'\n'"$log"
fi
rm -f "$secret"

verify=(-in "$out")
[ -n "${TESSA_SIGN_CAFILE:-}" ] && verify+=(-CAfile "$TESSA_SIGN_CAFILE")
if ! log=$(osslsigncode verify "${verify[@]}" 2>&1); then
  rm -f "$out"
  tessa_fail "the signed SetUp.exe does not verify (for a certificate of your own, set TESSA_SIGN_CAFILE to its root):"$'\n'"$log"
fi
subject=$(sed -n 's/^[[:space:]]*Subject: //p' <<<"$log" | head -1)
echo "signed SetUp.exe (Authenticode, SHA-256) as $subject; signature verified"
echo "$timestamp_note"
