#!/usr/bin/env bash
# The sample payload is a payload the setup can install, says of every file that it is a
# placeholder, is the same every time, and is never written over something else.
. "$(dirname "$0")/dist_test_lib.sh"

sample_payload "$scratch/one"
sleep 1
sample_payload "$scratch/two"
check "two sample payloads are identical" diff -r "$scratch/one" "$scratch/two"
check "the sample payload passes the payload check" bash "$scripts/check-payload.sh" "$scratch/one"
check "every file says it is a placeholder" \
  [ -z "$(find "$scratch/one" -type f ! -exec grep -q 'placeholder for' {} \; -print)" ]
check "the drawing library holds drawings" \
  [ "$(find "$scratch/one/$TESSA_DRAWING_LIBRARY" -name '*.dwg' | wc -l)" -ge 2 ]
check "the flat-form marker name appears only as the 2010 module" \
  [ "$(find "$scratch/one" -iname 'Quilox2010.arx' | wc -l)" -eq 1 ]

mkdir "$scratch/busy"
echo keep >"$scratch/busy/mine.txt"
check "a folder that is not empty is refused" fails bash "$scripts/make-sample-payload.sh" "$scratch/busy"
check "and left as it was" [ "$(ls -A "$scratch/busy")" = mine.txt ]

finish
