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

# A fresh copy of the sample payload.
sample_payload() {  # folder
  bash "$scripts/make-sample-payload.sh" "$1" >/dev/null
}

# True when OUT holds no trace of a distribution, not even a half-written one.
nothing_packed() { [ -z "$(ls -A "$1" 2>/dev/null)" ]; }
