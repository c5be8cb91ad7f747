#!/usr/bin/env bash
# The payload check asks for exactly the ARX modules that the program's demand-load table
# names, each with the releases whose entries name it: a module added to the table must not
# be shipped missing.
. "$(dirname "$0")/dist_test_lib.sh"

table=$top/acad/demand_load_modules.h
# Rows look like {2009, 2009, "Quilox2008"}: release year, module year, second entry or nullptr.
rows=$(grep -oE '\{[0-9]{4}, *[0-9]{4}, *("[A-Za-z0-9_]+"|nullptr)\}' "$table" |
  sed -E 's/\{([0-9]{4}), *([0-9]{4}), *"?([A-Za-z0-9_]+)"?\}/\1 \2 \3/')
check "the demand-load table lists the 21 releases 2007 to 2027" \
  [ "$(cut -d' ' -f1 <<<"$rows" | tr '\n' ' ')" = "$(seq -s ' ' 2007 2027) " ]

declare -A from_table=()  # module file -> the releases whose entries name it
while read -r release module second; do
  from_table[Quilox$module.ARX]+=" $release"
  [ "$second" != nullptr ] && from_table[$second.ARX]+=" $release"
done <<<"$rows"

declare -A from_scripts=()
for entry in "${TESSA_ARX_MODULES[@]}"; do
  from_scripts[${entry%%:*}]=${entry#*:}
done

years() { tr ' ' '\n' <<<"$1" | grep . | sort -n | tr '\n' ' '; }
for module in $(printf '%s\n' "${!from_table[@]}" | sort); do
  check "$module (AutoCAD${from_table[$module]}) is asked for, with those releases" \
    [ "$(years "${from_scripts[$module]:-}")" = "$(years "${from_table[$module]}")" ]
done
check "the payload check asks for no module the table does not name" \
  [ "${#from_scripts[@]}" -eq "${#from_table[@]}" ]

finish
