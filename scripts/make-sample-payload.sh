#!/usr/bin/env bash
# Lays out a sample payload (the Data folder of a distribution) for tests and demonstrations:
# every file the setup relies on, under its real name, holding a line of text that says it is a
# placeholder. The same command always writes the same bytes.
#   make-sample-payload.sh OUTDIR
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/payload-names.sh"
. "$top/scripts/lib.sh"
tessa_usage "usage: scripts/make-sample-payload.sh OUTDIR

Writes into OUTDIR (new or empty) a sample payload: every file SetUp.exe relies on, under its
real name, each holding a line saying it is a placeholder. Always the same bytes." "$@"

if [ $# -ne 1 ]; then
  echo "usage: make-sample-payload.sh OUTDIR" >&2
  exit 2
fi
out=$1
if [ -e "$out" ] && [ -n "$(ls -A "$out" 2>/dev/null)" ]; then
  echo "make-sample-payload: $out exists and is not empty" >&2
  exit 1
fi

placeholder() {  # file, what it stands for
  printf 'Tessarune sample payload: placeholder for %s, not the real file.\r\n' "$2" >"$1"
}

mkdir -p "$out/$TESSA_DRAWING_LIBRARY"
for entry in "${TESSA_ARX_MODULES[@]}"; do
  module=${entry%%:*}
  placeholder "$out/$module" "the ARX module $module (AutoCAD ${entry#*:})"
done
for font in "${TESSA_FONT_FILES[@]}"; do
  placeholder "$out/$font" "the AutoCAD font $font"
done
placeholder "$out/$TESSA_PLOT_DRIVER" "the plotter driver that replaces AutoCAD 2008's pdfplot9.hdi"
placeholder "$out/Quilox.cuix" "the Quilox menu customisation file"
placeholder "$out/Quilox.mnr" "the Quilox menu resources"
placeholder "$out/Readme.txt" "the read-me text"
placeholder "$out/Tessarune使用说明.txt" "the user guide (Chinese file name)"

for drawing in 门窗.dwg 楼梯.dwg "Title block A3.dwg"; do
  placeholder "$out/$TESSA_DRAWING_LIBRARY/$drawing" "the library drawing $drawing"
done

echo "sample payload written to $out"
