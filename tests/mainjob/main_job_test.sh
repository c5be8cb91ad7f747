#!/usr/bin/env bash
# Runs the main job headless with the binaries already built and checks its report: the releases
# found, the demand-load entries, the trusted paths, the fonts and plotter driver, the two messages
# and the screenshots.
# Usage: main_job_test.sh [WORK_FOLDER]   (TESSA_BUILD_DIR: the build root holding win64/)
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:-$(mktemp -d /tmp/tessa-main-job-test.XXXXXX)}
rm -rf "$work/out" "$work/payload"
mkdir -p "$work"

failures=0
check() {  # check DESCRIPTION CONDITION...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
has_line() { grep -qxF -- "$1" "$report"; }
has_text() { grep -qF -- "$1" "$report"; }

# A private display even when the caller has one: the headless run must not depend on it.
env -u TESSA_INTERACTIVE bash "$top/scripts/main-job.sh" --no-build --out "$work/out" >"$work/main-job.log" 2>&1
status=$?
report=$work/out/report.md
check "the main job succeeds" test "$status" -eq 0
check "the main job prints the report's path" grep -qF "report: $report" "$work/main-job.log"
check "the report exists" test -s "$report"
if [ ! -s "$report" ]; then
  tail -20 "$work/main-job.log"
  echo "main job: 0 passed, 1 failed"
  exit 1
fi

check "the dialog enables exactly the seeded releases" has_line "- enabled: 2008, 2010, 2014, 2021, 2025"
check "the found releases are ticked" has_line "- ticked: 2008, 2010, 2014, 2021, 2025"

hklm32='HKLM\SOFTWARE\Wow6432Node\Autodesk\AutoCAD'
hklm64='HKLM\SOFTWARE\Autodesk\AutoCAD'
folder='C:\Quilox\Tessarune'
entry() {  # year, product key, entry name, module
  has_line "| $1 | $2\\Applications\\$3 | $folder\\$4 | 2 |"
}
check "2008 (32-bit) is registered with Quilox2008.ARX" entry 2008 "$hklm32\\R17.1\\ACAD-6001:804" Quilox2008 Quilox2008.ARX
for key in "$hklm32\\R18.0\\ACAD-8001:804" "$hklm64\\R18.0\\ACAD-8001:804"; do
  check "2010 in $key has its first entry" entry 2010 "$key" Quilox2010 Quilox2010.ARX
  check "2010 in $key has its second entry with Quilox2010_32.ARX" entry 2010 "$key" Quilox2010_32 Quilox2010_32.ARX
done
check "2014 is registered with Quilox2013.ARX" entry 2014 "$hklm64\\R19.1\\ACAD-D001:804" Quilox2014 Quilox2013.ARX
check "both flavours of 2021 are registered" \
  bash -c "grep -qxF '| 2021 | $hklm64\\R24.0\\ACAD-4101:804\\Applications\\Quilox2021 | $folder\\Quilox2021.ARX | 2 |' '$report' &&
           grep -qxF '| 2021 | $hklm64\\R24.0\\ACAD-4105:804\\Applications\\Quilox2021 | $folder\\Quilox2021.ARX | 2 |' '$report'"
check "2025 is registered with Quilox2025.ARX" entry 2025 "$hklm64\\R25.0\\ACAD-8101:804" Quilox2025 Quilox2025.ARX
check "no other demand-load entry was written" test "$(grep -c '\\Applications\\' "$report")" -eq 9

trusted() {  # release\product\profile, before, after
  has_line "| $1 | $2 | $3 |"
}
up='C:\QUILOX\TESSARUNE'
check "a missing TRUSTEDPATHS becomes the folder" \
  trusted 'R17.1\ACAD-6001:804\<<未命名配置>>' '(no value)' "\`$folder\`"
check "a short TRUSTEDPATHS is replaced by the folder" \
  trusted 'R18.0\ACAD-8001:804\<<未命名配置>>' '`C:`' "\`$folder\`"
check "a list gets the folder in upper case" \
  trusted 'R19.1\ACAD-D001:804\<<未命名配置>>' '`C:\Program Files\Autodesk\AutoCAD 2014\Support\;D:\Lisp`' \
  "\`C:\\PROGRAM FILES\\AUTODESK\\AUTOCAD 2014\\SUPPORT\\;D:\\LISP;$up\`"
check "a profile without Variables gets them with the folder" \
  trusted 'R19.1\ACAD-D001:804\机械制图' '(no Variables key)' "\`$folder\`"
check "a list that holds the folder is upper-cased, nothing added" \
  trusted 'R24.0\ACAD-4101:804\<<未命名配置>>' '`d:\lisp;c:\quilox\tessarune`' "\`D:\\LISP;$up\`"
check "a list ending with ; gets a second one" \
  trusted 'R24.0\ACAD-4105:804\<<未命名配置>>' '`D:\Blocks;`' "\`D:\\BLOCKS;;$up\`"
check "the 2025 profile gets the folder" \
  trusted 'R25.0\ACAD-8101:804\<<未命名配置>>' '`D:\Lisp;E:\Tools\Scripts`' "\`D:\\LISP;E:\\TOOLS\\SCRIPTS;$up\`"

fonts_rows=$(grep -E '^\| 20[0-9]{2} \| C:\\' "$report")
check "seven AutoCAD folders are listed" test "$(wc -l <<<"$fonts_rows")" -eq 7
check "every Fonts folder holds both fonts beside AutoCAD's own" \
  test "$(grep -E 'Quilox_EN\.shx \([0-9]+ B\), Quilox_HZ\.shx \([0-9]+ B\), gbcbig\.shx .*txt\.shx' <<<"$fonts_rows" | wc -l)" -eq 7
check "pdfplot9.hdi is replaced for 2008" grep -qE '^\| 2008 \| .*\| replaced by Quilox\.prt5 \([0-9]+ B\) \|$' <<<"$fonts_rows"
check "pdfplot9.hdi is left alone for the other releases" \
  test "$(grep -E '^\| 20(10|14|21|25) \| .*\| original \([0-9]+ B\) \|$' <<<"$fonts_rows" | wc -l)" -eq 6

# The sample payload is the same bytes every time: each installed file has its size.
bash "$top/scripts/make-sample-payload.sh" "$work/payload" >/dev/null
for name in Quilox2008.ARX Quilox2010_32.ARX Quilox2013.ARX Quilox2025.ARX Quilox.prt5 Tessarune使用说明.txt; do
  check "the payload file $name is installed whole" has_line "| $name | $(stat -c %s "$work/payload/$name") |"
done
check "the drawing library is in the install folder" has_text '| Quilox扩展绘图库\门窗.dwg |'
check "the fonts are not copied into the install folder" bash -c "! grep -qF '| Quilox_EN.shx |' '$report'"

first=$(grep -n '^1\. caption "Tessarune工具箱安装"' "$report" | cut -d: -f1)
second=$(grep -n '^2\. caption "Tessarune工具箱安装"' "$report" | cut -d: -f1)
done_at=$(grep -nF '   安装完成，重启CAD即可使用 !' "$report" | cut -d: -f1)
import_at=$(grep -nF '   若要导入早期版本（2024年版本及更早版本）的设置，可点击:' "$report" | cut -d: -f1)
check "two completion messages are shown" test -n "$first" -a -n "$second"
check "no third message is shown" bash -c "! grep -q '^3\. caption' '$report'"
check "the completion message comes first, the import hint second" \
  test -n "$done_at" -a -n "$import_at" -a "${first:-0}" -lt "${done_at:-0}" -a "${done_at:-0}" -lt "${second:-0}" \
  -a "${second:-0}" -lt "${import_at:-0}"

for png in 1-dialog 2-browse 3-progress-and-message; do
  check "$png.png is a non-empty PNG" bash -c "test -s '$work/out/$png.png' && [ \"\$(head -c 8 '$work/out/$png.png' | od -An -tx1 | tr -d ' \n')\" = 89504e470d0a1a0a ]"
done

echo "main job: $failures failed checks ($(sed -n 's/^- time: //p' "$report"))"
[ "$failures" -eq 0 ]
