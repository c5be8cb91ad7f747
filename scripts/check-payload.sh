#!/usr/bin/env bash
# Checks that a payload folder (the future Data folder) holds what SetUp.exe relies on and
# nothing it would lose, and that every path fits the users' machines. Prints each problem;
# exits 1 when there is any, 0 otherwise (warnings alone do not fail).
#   check-payload.sh DIR
set -uo pipefail
export LC_ALL=C.UTF-8
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/payload-names.sh"
. "$top/scripts/lib.sh"
tessa_usage "usage: scripts/check-payload.sh DIR

Checks that DIR, the future Data folder of a distribution, holds every file SetUp.exe relies on
(fonts, plotter driver, ARX modules, drawing library), nothing it would not install, and only
names and paths Windows can hold once installed. Prints each problem; exits 1 when there is
any, 0 otherwise (warnings alone do not fail)." "$@"

if [ $# -ne 1 ]; then
  echo "usage: check-payload.sh DIR" >&2
  exit 2
fi
payload=${1%/}
problems=()
warnings=()
refuse() { problems+=("$1"); }
warn() { warnings+=("$1"); }

# Windows file names match without regard to case.
same_name() { [ "${1,,}" = "${2,,}" ]; }

# Sets found to the entry of DIR whose name matches NAME as Windows matches it, or to nothing.
find_child() {  # dir, name
  local child
  found=
  for child in "$1"/* "$1"/.[!.]* "$1"/..?*; do
    [ -e "$child" ] || [ -L "$child" ] || continue
    if same_name "${child##*/}" "$2"; then
      found=$child
      return
    fi
  done
}

require_file() {  # name, what it is for
  find_child "$payload" "$1"
  if [ -z "$found" ]; then
    refuse "missing $1 ($2)"
  elif [ ! -f "$found" ]; then
    refuse "not a file: $1 ($2)"
  elif [ ! -s "$found" ]; then
    refuse "empty file: $1 ($2)"
  fi
}

# Sets bytes to the length of NAME in code page 936 (a Chinese character takes two); fails when
# the name cannot be written in it.
cp936_bytes() {  # name
  if [[ $1 != *[![:ascii:]]* ]]; then
    bytes=${#1}
    return 0
  fi
  bytes=$(printf '%s' "$1" | iconv -f UTF-8 -t CP936 2>/dev/null | wc -c)  # fails with iconv (pipefail)
}

check_name() {  # relative path; its last part is the name checked
  local rel=$1 name=${1##*/} base
  if [[ $name == *[\<\>:\"\\\|\?\*]* || $name =~ [[:cntrl:]] ]]; then
    refuse "name with a character Windows does not allow (<>:\"\\|?* or a control character): $(printf '%q' "$rel")"
  fi
  if [[ $name == *. || $name == *" " ]]; then
    refuse "name ending in a dot or a space, which Windows drops: \"$rel\""
  fi
  base=${name%%.*}
  if [[ ${base^^} =~ ^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])$ ]]; then
    refuse "name reserved for a device on Windows: $rel"
  fi
}

# Bytes of each relative path in code page 936, filled in listing order (parents first).
declare -A path_bytes=()

check_length() {  # relative path
  local bytes=${path_bytes[$1]}
  bytes=$((${#TESSA_DEFAULT_INSTALL_FOLDER} + 1 + bytes))
  if [ "$bytes" -gt "$TESSA_MAX_PATH_BYTES" ]; then
    refuse "path too long once installed ($bytes bytes in code page 936, at most $TESSA_MAX_PATH_BYTES): $TESSA_DEFAULT_INSTALL_FOLDER\\${1//\//\\}"
  fi
}

if [ ! -d "$payload" ]; then
  echo "check-payload: payload folder not found: $payload" >&2
  exit 1
fi

# What the setup needs by name.
for font in "${TESSA_FONT_FILES[@]}"; do
  require_file "$font" "font file, copied into AutoCAD's Fonts folders"
done
require_file "$TESSA_PLOT_DRIVER" "plotter driver, installed as AutoCAD 2008's Drv\\pdfplot9.hdi"
for entry in "${TESSA_ARX_MODULES[@]}"; do
  require_file "${entry%%:*}" "ARX module, loaded by AutoCAD ${entry#*:}"
done
find_child "$payload" "$TESSA_DRAWING_LIBRARY"
library=$found
if [ -z "$library" ]; then
  refuse "missing $TESSA_DRAWING_LIBRARY (the drawing library folder)"
elif [ ! -d "$library" ]; then
  refuse "not a folder: $TESSA_DRAWING_LIBRARY (the drawing library)"
elif [ -z "$(ls -A "$library")" ]; then
  warn "the drawing library $TESSA_DRAWING_LIBRARY is empty"
fi

# Everything in the payload, in a stable order.
listing=$(mktemp)
trap 'rm -f "$listing"' EXIT
if ! find -L "$payload" -mindepth 1 -print0 2>/dev/null | sort -z >"$listing"; then
  refuse "the payload cannot be listed completely (a link loop or an unreadable folder?)"
fi

declare -A seen=()
while IFS= read -r -d '' path; do
  rel=${path#"$payload"/}
  parent=${rel%/*}
  [ "$parent" = "$rel" ] && parent=
  # Entries below a refused sub-folder were reported with it.
  if [ -n "$parent" ] && ! { same_name "$parent" "$TESSA_DRAWING_LIBRARY" && [ -d "$payload/$parent" ]; }; then
    continue
  fi

  key="$parent/${rel##*/}"
  key=${key,,}
  if [ -n "${seen[$key]:-}" ]; then
    refuse "names that differ only in letter case, Windows keeps one: ${seen[$key]} and $rel"
  else
    seen[$key]=$rel
  fi
  if ! cp936_bytes "${rel##*/}"; then
    refuse "name not in code page 936, so Chinese Windows cannot copy it: $(printf '%q' "$rel")"
    continue
  fi
  [ -n "$parent" ] && bytes=$((${path_bytes[$parent]} + 1 + bytes))
  path_bytes[$rel]=$bytes
  check_name "$rel"

  if [ -d "$path" ]; then
    if [ -z "$parent" ] && same_name "$rel" "$TESSA_DRAWING_LIBRARY"; then
      check_length "$rel"
    elif [ -z "$parent" ] && same_name "$rel" Data; then
      refuse "sub-folder Data: give the Data folder itself as the payload, not the folder above it"
    elif [ -z "$parent" ]; then
      refuse "sub-folder not installed (the setup copies only the files directly in Data and in $TESSA_DRAWING_LIBRARY): $rel"
    else
      refuse "sub-folder of the drawing library not installed (only its files are copied): $rel"
    fi
  elif [ -f "$path" ]; then
    check_length "$rel"
    [[ ${rel##*/} == .* ]] && warn "hidden-looking file is installed too: $rel"
    if [ -z "$parent" ] && same_name "$rel" "$TESSA_SETUP_NAME"; then
      warn "$rel in the payload is not installed: the setup leaves out files of its own name"
    fi
  else
    refuse "neither a file nor a folder (a broken link?): $rel"
  fi
done <"$listing"

for w in "${warnings[@]}"; do echo "warning: $w"; done
if ((${#problems[@]})); then
  echo "payload $payload cannot be shipped:"
  for p in "${problems[@]}"; do echo "  $p"; done
  exit 1
fi
files=$(find -L "$payload" -maxdepth 1 -type f | wc -l)
drawings=0
[ -n "$library" ] && drawings=$(find -L "$library" -maxdepth 1 -type f | wc -l)
echo "payload $payload: $files files, $drawings in the drawing library: ok"
