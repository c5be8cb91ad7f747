# Shared by the distribution tests: a scratch folder, counted checks, the skip rule, and a way
# to run make-distribution.sh. Sourced, not run.
set -uo pipefail
export LC_ALL=C.UTF-8
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
scripts=$top/scripts
here=$top/tests/dist
. "$scripts/payload-names.sh"

# ctest's SKIP_RETURN_CODE for these tests.
readonly SKIP=77

# The tests decide about signing and dates themselves.
unset TESSA_SIGN_PKCS12 TESSA_SIGN_PASSWORD TESSA_SIGN_CAFILE TESSA_SIGN_TIMESTAMP_URL SOURCE_DATE_EPOCH

scratch=$(mktemp -d /tmp/tessa-dist-test.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

checks=0
failures=0
check() {  # description, command...
  local what=$1
  shift
  checks=$((checks + 1))
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}
finish() {
  echo "$((checks - failures)) of $checks checks passed"
  [ "$failures" -eq 0 ]
}

need_setup_exe() {
  if [ -z "${TESSA_SETUP_EXE:-}" ]; then
    echo "skipped: TESSA_SETUP_EXE is not set (scripts/test.sh sets it after the Windows build)"
    exit "$SKIP"
  fi
  if [ ! -f "$TESSA_SETUP_EXE" ]; then
    echo "FAILED: TESSA_SETUP_EXE names no file: $TESSA_SETUP_EXE"
    exit 1
  fi
}

contains() { grep -qF -- "$2" <<<"$1"; }
fails() { ! "$@"; }

# Runs make-distribution.sh; leaves its output in $output and its exit status in $status.
pack() {  # payload, out, more arguments...
  local payload=$1 out=$2
  shift 2
  output=$(bash "$scripts/make-distribution.sh" --payload "$payload" --out "$out" --exe "$TESSA_SETUP_EXE" "$@" 2>&1)
  status=$?
}
pack_unsigned() { pack "$@" --unsigned; }

# The versioned zip in an out folder (the version itself is the release test's business).
zip_in() {  # out folder
  local zips=("$1"/Tessarune-*.zip)
  echo "${zips[0]}"
}

real_osslsigncode=$(command -v osslsigncode || true)
# Puts first on PATH an osslsigncode that appends its arguments, one call a line, to
# $osslsigncode_log, and the mode of the file given to -readpass, then runs the real one without
# -ts: no time-stamping service is reachable from the tests. Options osslsigncode 2.5 (Debian 12)
# does not have are logged as "unknown option" and fail the call.
record_osslsigncode() {
  local bin=$scratch/stub-bin
  mkdir -p "$bin"
  osslsigncode_log=$scratch/osslsigncode.log
  : >"$osslsigncode_log"
  cat >"$bin/osslsigncode" <<EOF
#!/usr/bin/env bash
log=$osslsigncode_log
real=$real_osslsigncode
EOF
  cat >>"$bin/osslsigncode" <<'EOF'
known_sign=" -certs -spc -key -pkcs12 -pkcs11engine -pkcs11module -pass -askpass -readpass -ac -h -n -i -jp -comm -ph -t -ts -p -noverifypeer -addUnauthenticatedBlob -nest -verbose -add-msi-dse -in -out "
known_verify=" -in -CAfile -CRLfile -TSA-CAfile -TSA-CRLfile -require-leaf-hash -verbose "
echo "call: $*" >>"$log"
command=$1
shift
if [ "$command" = sign ]; then known=$known_sign; else known=$known_verify; fi
args=()
while [ $# -gt 0 ]; do
  case $1 in
    -ts) shift 2; continue ;;
    -readpass) echo "readpass mode: $(stat -c %a "$2")" >>"$log" ;;
  esac
  if [[ $1 == -* && $known != *" $1 "* ]]; then
    echo "unknown option: $1" >>"$log"
    exit 1
  fi
  args+=("$1")
  shift
done
exec "$real" "$command" "${args[@]}"
EOF
  chmod +x "$bin/osslsigncode"
  PATH=$bin:$PATH
}

# A throwaway self-signed code-signing certificate: $certs/cert.p12 (password "correct horse")
# and its root, $certs/cert.pem.
make_certificate() {
  certs=$scratch/certs
  mkdir -p "$certs"
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
  [ -s "$certs/cert.p12" ]
}

# A fresh copy of the sample payload.
sample_payload() {  # folder
  bash "$scripts/make-sample-payload.sh" "$1" >/dev/null
}

# True when OUT holds no trace of a distribution, not even a half-written one.
nothing_packed() { [ -z "$(ls -A "$1" 2>/dev/null)" ]; }
