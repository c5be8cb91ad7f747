#!/usr/bin/env bash
# Payloads and arguments the distribution command must refuse: each refusal names the culprit
# and leaves nothing behind.
. "$(dirname "$0")/dist_test_lib.sh"
need_setup_exe

case_number=0
# Packs a sample payload after MUTATION (a shell command run inside it) and expects a refusal
# whose output contains TEXT.
expect_refusal() {  # description, text, mutation
  local what=$1 text=$2 mutation=$3 payload out
  case_number=$((case_number + 1))
  payload=$scratch/payload$case_number
  out=$scratch/out$case_number
  sample_payload "$payload"
  (cd "$payload" && eval "$mutation")
  pack_unsigned "$payload" "$out"
  if [ "$status" -ne 0 ] && contains "$output" "$text" && nothing_packed "$out"; then
    check "$what: refused, naming \"$text\"" true
  else
    echo "$output"
    check "$what: refused (status $status), naming \"$text\", nothing written" false
  fi
}

for font in "${TESSA_FONT_FILES[@]}"; do
  expect_refusal "missing font" "missing $font" "rm $font"
done
expect_refusal "missing plotter driver" "missing $TESSA_PLOT_DRIVER" "rm $TESSA_PLOT_DRIVER"
for entry in "${TESSA_ARX_MODULES[@]}"; do
  module=${entry%%:*}
  expect_refusal "missing ARX module" "missing $module (ARX module, loaded by AutoCAD ${entry#*:})" "rm $module"
done
expect_refusal "missing drawing library" "missing $TESSA_DRAWING_LIBRARY" "rm -r $TESSA_DRAWING_LIBRARY"
expect_refusal "drawing library as a file" "not a folder: $TESSA_DRAWING_LIBRARY" \
  "rm -r $TESSA_DRAWING_LIBRARY && echo x >$TESSA_DRAWING_LIBRARY"
expect_refusal "empty ARX module" "empty file: Quilox2017.ARX" ": >Quilox2017.ARX"
expect_refusal "font as a folder" "not a file: Quilox_EN.shx" "rm Quilox_EN.shx && mkdir Quilox_EN.shx"

# Windows matches names without regard to case: these are found.
case_number=$((case_number + 1))
payload=$scratch/payload$case_number
sample_payload "$payload"
mv "$payload/Quilox2018.ARX" "$payload/quilox2018.arx"
pack_unsigned "$payload" "$scratch/out$case_number"
check "a module spelled in other letter case is accepted" [ "$status" -eq 0 ]

# Two missing files are both named in one run.
expect_refusal "two files missing" "missing Quilox2009.ARX" "rm Quilox2009.ARX Quilox_HZ.shx"
check "two files missing: the second one is named too" contains "$output" "missing Quilox_HZ.shx"

# Folders the setup would not install.
expect_refusal "sub-folder beside the drawing library" "sub-folder not installed" "mkdir Extras && echo x >Extras/a.lsp"
check "the sub-folder is named" contains "$output" ": Extras"
expect_refusal "sub-folder inside the drawing library" "sub-folder of the drawing library not installed" \
  "mkdir -p $TESSA_DRAWING_LIBRARY/旧版 && echo x >$TESSA_DRAWING_LIBRARY/旧版/a.dwg"
check "the library's sub-folder is named" contains "$output" "$TESSA_DRAWING_LIBRARY/旧版"
expect_refusal "the folder above Data given as payload" "give the Data folder itself" \
  "mkdir Data && mv Quilox.cuix Data/"

# Paths once installed: at most 259 bytes of code page 936, in which a Chinese character takes
# two. C:\Quilox\Tessarune\ (20 bytes) + the library (16) + \ (1) leave 222 for a drawing name.
long_name() {  # bytes in code page 936: 20 Chinese characters, then x's, then .dwg
  printf '图%.0s' {1..20}
  printf 'x%.0s' $(seq 1 $(($1 - 44)))
  printf '.dwg'
}
at_limit=$(long_name 222)
over_limit=$(long_name 223)
case_number=$((case_number + 1))
payload=$scratch/payload$case_number
sample_payload "$payload"
echo x >"$payload/$TESSA_DRAWING_LIBRARY/$at_limit"
pack_unsigned "$payload" "$scratch/out$case_number"
check "a library file whose installed path is exactly 259 bytes is accepted" [ "$status" -eq 0 ]
expect_refusal "a library file whose installed path is 260 bytes" "path too long once installed (260 bytes" \
  "echo x >$TESSA_DRAWING_LIBRARY/$over_limit"
check "the too-long path is named" contains "$output" "$TESSA_DRAWING_LIBRARY\\$over_limit"
expect_refusal "a payload file whose installed path is too long" "path too long once installed" \
  "echo x >$(printf 'y%.0s' {1..240}).txt"

# Names Windows cannot hold or that would clash there.
expect_refusal "name outside code page 936" "name not in code page 936" "echo x >$TESSA_DRAWING_LIBRARY/Ω😀.dwg"
expect_refusal "name with a colon" "character Windows does not allow" "echo x >'a:b.txt'"
expect_refusal "device name" "reserved for a device on Windows: aux.txt" "echo x >aux.txt"
expect_refusal "trailing dot" "name ending in a dot or a space" "echo x >'notes.'"
expect_refusal "names differing only in case" "differ only in letter case" "echo x >readme.TXT"
expect_refusal "broken link" "neither a file nor a folder" "ln -s nowhere Quilox.lnk"

# Arguments and outputs.
payload=$scratch/payload-args
sample_payload "$payload"
echo "not a program" >"$scratch/not-an-exe.exe"
pack_unsigned "$payload" "$scratch/out-notexe" --exe "$scratch/not-an-exe.exe"
check "a file that is not a 64-bit Windows executable is refused" \
  eval '[ "$status" -ne 0 ] && contains "$output" "not a 64-bit Windows executable" && nothing_packed "$scratch/out-notexe"'
pack_unsigned "$payload" "$scratch/out-noexe" --exe "$scratch/missing.exe"
check "a missing SetUp.exe is refused" eval '[ "$status" -ne 0 ] && contains "$output" "SetUp.exe not found"'
pack_unsigned "$payload" "$payload/out"
check "an output folder inside the payload is refused" \
  eval '[ "$status" -ne 0 ] && contains "$output" "must not lie inside the payload"'

pack_unsigned "$payload" "$scratch/out-twice"
first=$(sha256sum <"$(zip_in "$scratch/out-twice")")
rm "$payload/Readme.txt"
pack_unsigned "$payload" "$scratch/out-twice"
check "an existing distribution is not overwritten" \
  eval '[ "$status" -ne 0 ] && contains "$output" "already exists" && [ "$(sha256sum <"$(zip_in "$scratch/out-twice")")" = "$first" ]'
check "a refused run leaves no half-written folder" [ -z "$(find "$scratch/out-twice" -name '.Tessarune.*')" ]

finish
