#!/usr/bin/env bash
# Drives the sample window with automate.exe as a shell script would, and checks each answer.
# Usage: automate_smoke_test.sh AUTOMATE.EXE SAMPLE_WINDOW.EXE WORK_FOLDER
# Needs the environment scripts/test.sh sets up: WINEPREFIX (with wineserver -p running) and DISPLAY.
set -uo pipefail
automate_exe=$1 sample_exe=$2 work=$3
rm -rf "$work" && mkdir -p "$work"

failures=0
check() {  # check DESCRIPTION CONDITION...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
automate() { wine "$automate_exe" "$@" 2>>"$work/wine.err"; }
# field KEY LINE: the value of KEY=... in a tab-separated line
field() { tr '\t' '\n' <<<"$2" | sed -n "s/^$1=//p" | head -1; }

sample_pid=
cleanup() {
  if [ -n "$sample_pid" ]; then wine taskkill /F /PID "$sample_pid" >/dev/null 2>&1; fi
  wait 2>/dev/null
}
trap cleanup EXIT

automate start --watch "$(winepath -w "$sample_exe")" >"$work/start.out" &
for _ in $(seq 1 300); do grep -q '^pid=' "$work/start.out" 2>/dev/null && break; sleep 0.1; done
sample_pid=$(sed -n 's/^pid=//p' "$work/start.out")
check "start prints the pid" test -n "$sample_pid"

line=$(automate wait-window 样例窗口 --pid "$sample_pid" --timeout 20000)
hwnd=$(field hwnd "$line")
check "wait-window finds the sample by title and pid" test "$(field pid "$line")" = "$sample_pid"
check "wait-window times out for a title nobody shows" \
  bash -c "! wine '$automate_exe' wait-window nobody --timeout 300 >/dev/null 2>&1"

controls=$(automate controls "$hwnd")
check "controls reads the Chinese label set with SetDlgItemTextA" grep -q $'^id=1107\tclass=Static\ttext=中文显示正常：安装路径\t' <<<"$controls"
check "controls reads the progress bar" grep -q $'^id=1106\t.*\tpos=20\tmin=0\tmax=50\t' <<<"$controls"
check "controls reads a disabled button" grep -q $'^id=1105\t.*\tenabled=0\tvisible=1\t' <<<"$controls"

check "click ticks the check box" test "$(automate click "$hwnd" 1101)" = "result=done"
check "the check box reads ticked" grep -q $'^id=1101\t.*\tchecked=1\t' <<<"$(automate controls "$hwnd")"
check "click on a disabled button is refused" grep -q '^result=refused' <<<"$(automate click "$hwnd" 1105)"

automate set-text "$hwnd" 1102 'C:\测试 路径' >/dev/null
check "set-text replaces the edit text" grep -q $'^id=1102\tclass=Edit\ttext=C:\\\\测试 路径\t' <<<"$(automate controls "$hwnd")"

check "a click that opens a message box says so" grep -q $'^result=modal\topened=' <<<"$(automate click "$hwnd" 1103)"
box=$(automate wait-msgbox --pid "$sample_pid")
check "wait-msgbox reads the caption" test "$(field caption "$box")" = 样例询问
check "wait-msgbox reads the text, line break escaped" test "$(field text "$box")" = '要继续吗？%0A第二行'
check "wait-msgbox reads the icon" test "$(field icon "$box")" = exclamation
check "wait-msgbox reads the buttons" grep -q '^6:.*,7:' <<<"$(field buttons "$box")"
check "wait-msgbox reads the owner" test "$(field owner "$box")" = "$hwnd"
check "answer closes the box" test "$(automate answer "$(field hwnd "$box")" 6)" = "result=closed"

regdump=$(automate regdump 'HKCU\Software\Wine\Fonts\Replacements')
check "regdump lists a value with type, size and UTF-8 data" \
  grep -q $'^value\tHKCU\\\\Software\\\\Wine\\\\Fonts\\\\Replacements\t宋体\tREG_SZ\t36\tWenQuanYi Zen Hei$' <<<"$regdump"

shot=$(automate screenshot "$hwnd" "$(winepath -w "$work/sample.bmp")")
if convert "$work/sample.bmp" "$work/sample.png" 2>/dev/null; then
  size=$(identify -format '%wx%h' "$work/sample.png")
else
  size=none
fi
check "screenshot converts to a PNG of the window's size" test "$size" = "$(field width "$shot")x$(field height "$shot")"

check "key escape ends the dialog" test "$(automate key "$hwnd" escape)" = "result=closed"
for _ in $(seq 1 200); do grep -q '^exit_code=' "$work/start.out" && break; sleep 0.1; done
check "start --watch reports the exit code (Cancel + ticked)" grep -qx 'exit_code=142' "$work/start.out"
sample_pid=

automate bogus >/dev/null; status=$?
check "an unknown command is a usage error" test "$status" -eq 3

echo "$failures failed"
[ "$failures" -eq 0 ]
