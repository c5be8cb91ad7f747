# Shared by the scripts: help text, refusals that name their fix, the tools a script needs, the
# product's version and the signing settings. Sourced, not run.
# shellcheck shell=bash

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  echo "usage: . scripts/lib.sh   (sourced by the other scripts; does nothing run alone)"
  exit 0
fi

TESSA_TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The script that sourced this file, as the engineer would type it.
TESSA_SCRIPT=scripts/$(basename "$0")

# An RFC 3161 time-stamping service that needs no account. A timestamp keeps the signature valid
# after the certificate expires.
TESSA_DEFAULT_TIMESTAMP_URL=http://timestamp.digicert.com

tessa_fail() {  # message: prints it as "name: message" and exits 1
  echo "$(basename "$0" .sh): $*" >&2
  exit 1
}

# Prints TEXT and exits 0 when the arguments ask for help; a script calls it before doing anything.
tessa_usage() {  # text, the script's arguments...
  local text=$1 arg
  shift
  for arg in "$@"; do
    case $arg in
      -h | --help) printf '%s\n' "$text"; exit 0 ;;
      --) break ;;
    esac
  done
}

# Sets TESSA_SUDO to what must precede a command that needs root (nothing, or sudo); exits when
# neither root nor sudo is at hand.
tessa_require_root() {
  if [ "$(id -u)" -eq 0 ]; then
    TESSA_SUDO=
  elif command -v sudo >/dev/null; then
    TESSA_SUDO=sudo
  else
    echo "run as root or with sudo: sudo $TESSA_SCRIPT" >&2
    exit 1
  fi
}

# Debian installs the 64-bit Wine loader outside PATH.
tessa_have_tool() {  # name
  command -v "$1" >/dev/null || { [ "$1" = wine64 ] && [ -x /usr/lib/wine/wine64 ]; }
}

tessa_require_tools() {  # names...
  local tool missing=()
  for tool in "$@"; do
    tessa_have_tool "$tool" || missing+=("$tool")
  done
  if ((${#missing[@]})); then
    echo "$(basename "$0" .sh): missing: ${missing[*]} (install them with: sudo scripts/setup.sh)" >&2
    exit 1
  fi
}

# The product's version, yyyy.mm.dd. Its one home is the project() line of CMakeLists.txt.
tessa_version_get() {
  local v
  v=$(grep -oE '^project\(TessaruneSetup VERSION [0-9]{4}\.[0-9]{2}\.[0-9]{2} ' "$TESSA_TOP/CMakeLists.txt" |
    grep -oE '[0-9]{4}\.[0-9]{2}\.[0-9]{2}') ||
    { echo "no version in the project() line of CMakeLists.txt" >&2; return 1; }
  echo "$v"
}

tessa_version_set() {  # yyyy.mm.dd
  tessa_version_valid "$1" || { echo "not a version (yyyy.mm.dd, a real date): $1" >&2; return 1; }
  sed -i -E "s/^(project\(TessaruneSetup VERSION )[0-9]{4}\.[0-9]{2}\.[0-9]{2} /\1$1 /" "$TESSA_TOP/CMakeLists.txt"
  [ "$(tessa_version_get)" = "$1" ]
}

tessa_version_valid() {  # text
  [[ $1 =~ ^[0-9]{4}\.[0-9]{2}\.[0-9]{2}$ ]] &&
    [ "$(date -u -d "${1//./-}" +%Y.%m.%d 2>/dev/null)" = "$1" ]
}

# Signing needs a certificate file and its password in the environment; refuses loudly when
# they are missing or misspelt, so that nobody ships unsigned by accident.
tessa_sign_settings_check() {
  local fix="set it, or give --unsigned to ship SetUp.exe unsigned"
  [ -n "${TESSA_SIGN_PKCS12:-}" ] ||
    tessa_fail "TESSA_SIGN_PKCS12 is not set: it names the PKCS#12 (.p12/.pfx) file of the code-signing certificate; $fix"
  [ -f "$TESSA_SIGN_PKCS12" ] ||
    tessa_fail "TESSA_SIGN_PKCS12 names no file: $TESSA_SIGN_PKCS12; correct it, or give --unsigned to ship SetUp.exe unsigned"
  [ -n "${TESSA_SIGN_PASSWORD+set}" ] ||
    tessa_fail "TESSA_SIGN_PASSWORD is not set: it holds the password of $TESSA_SIGN_PKCS12; $fix"
  tessa_require_tools osslsigncode
}

# The time-stamping service signing uses: TESSA_SIGN_TIMESTAMP_URL, "none" for none.
tessa_timestamp_url() {
  echo "${TESSA_SIGN_TIMESTAMP_URL:-$TESSA_DEFAULT_TIMESTAMP_URL}"
}
