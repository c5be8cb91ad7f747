#!/usr/bin/env bash
# The main job: builds SetUp.exe, lays out a sample distribution, and runs the setup under Wine on a
# simulated machine with several AutoCAD releases, then writes and judges report.md (see --help).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSA_BUILD_DIR:-$top/build}
started=$(date +%s)

help() {
  cat <<'EOF'
usage: main-job.sh [--interactive] [--no-build] [--out DIR] [--keep-prefix] [--help]

Builds SetUp.exe and automate.exe (Release, Windows x64), lays out a distribution (SetUp.exe and a
sample Data folder) in a new Wine prefix, seeds a simulated machine with AutoCAD 2008, 2010 (32- and
64-bit), 2014, two products of 2021 and 2025 and their user profiles, and runs the setup on it.
Headless (the default) it drives a default installation (C:\Quilox, every found release) on a
private Xvfb display, opening and cancelling the folder browser on the way, and confirms each message.
Then it runs SetUp.exe /S over that installation, a move (SetUp.exe /S /D=C:\Moved) and the Add/Remove
Programs entry's QuietUninstallString (/UNINSTALL /S), and compares the machine with the one before
the first install.

Writes into the output folder:
  report.md    the verdict (PASS/FAIL) first, then SetUp.exe's identity, the messages with their
               translations, the releases found, the files and registry values written, intended
               oddities, what Wine does not show, and the screenshots
  *.png        1-dialog, 2-browse (headless only), 3-message-1, 3-message-2 (one per message)
  raw/         what the report is built from: checks.txt (every check, ok or FAIL), the registry
               before and after, the message boxes, the dialog's controls, the steps taken
  build.log    the build's output

Options:
  --interactive  you drive the dialog on $DISPLAY; the report follows when SetUp.exe ends
                 (its checks still expect the default installation)
  --no-build     use the binaries already built in $TESSA_BUILD_DIR/win64
  --out DIR      output folder (default: out/main-job-<UTC time> in the repository)
  --keep-prefix  keep the Wine prefix and print its path
  -h, --help     this text

Environment:
  TESSA_BUILD_DIR    build root (default: build/ in the repository); the Windows build is in win64/
  TESSA_INTERACTIVE  1, with a DISPLAY: as --interactive

Exit status: 0 for the verdict PASS; 1 for FAIL or when the job could not run; 2 for bad usage.
EOF
}
usage() { help | head -1 >&2; echo "(main-job.sh --help for more)" >&2; exit 2; }
say() { echo "[main-job] $*"; }
fail() { echo "[main-job] FAILED: $*" >&2; exit 1; }

interactive=0 no_build=0 keep_prefix=0 out=''
[ "${TESSA_INTERACTIVE:-0}" = 1 ] && [ -n "${DISPLAY:-}" ] && interactive=1
while [ $# -gt 0 ]; do
  case $1 in
    --interactive) interactive=1; shift ;;
    --no-build) no_build=1; shift ;;
    --keep-prefix) keep_prefix=1; shift ;;
    --out) [ $# -ge 2 ] || usage; out=$2; shift 2 ;;
    -h | --help) help; exit 0 ;;
    *) usage ;;
  esac
done
[ "$interactive" = 0 ] || [ -n "${DISPLAY:-}" ] || fail "--interactive needs a DISPLAY"
out=${out:-$top/out/main-job-$(date -u +%Y%m%d-%H%M%S)}
mkdir -p "$out"
out=$(cd "$out" && pwd)
raw=$out/raw
mkdir -p "$raw"
say "output folder: $out"

if [ "$no_build" = 0 ]; then
  say "installing packages (scripts/setup.sh)…"
  bash "$top/scripts/setup.sh"
  say "building SetUp.exe and automate.exe (log: $out/build.log)…"
  {
    cmake -S "$top" -B "$build/win64" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" &&
      cmake --build "$build/win64" -j "$(nproc)" --target SetUp automate
  } >"$out/build.log" 2>&1 || { tail -30 "$out/build.log"; fail "the build failed (see $out/build.log)"; }
fi
setup_exe=$build/win64/app/SetUp.exe
automate_exe=$build/win64/tests/harness/automate.exe
[ -f "$setup_exe" ] || fail "no $setup_exe: build it (drop --no-build)"
[ -f "$automate_exe" ] || fail "no $automate_exe: build it (drop --no-build)"

. "$top/tests/harness/wine-env.sh"
prefix=$(mktemp -d /tmp/tessa-main-job.XXXXXX)
cleanup() {
  tessa_wine_cleanup
  if [ "$keep_prefix" = 1 ]; then say "prefix kept: $prefix"; else rm -rf "$prefix"; fi
}
trap cleanup EXIT

say "creating the Wine prefix (about 10-20 s)…"
tessa_wine_prefix_create "$prefix"
drive_c=$prefix/drive_c

say "laying out the distribution and the simulated AutoCAD machine…"
dist=$drive_c/Tessarune
mkdir -p "$dist"
cp "$setup_exe" "$dist/SetUp.exe"
bash "$top/scripts/make-sample-payload.sh" "$dist/Data" >/dev/null

if [ "$interactive" = 1 ]; then
  say "using the display $DISPLAY"
else
  tessa_xvfb_start || fail "Xvfb did not start"
  say "private display $DISPLAY (Xvfb pid $TESSA_XVFB_PID)"
fi
tessa_wine_start_server
# The AutoCAD installations (keys and folders), and their table for the report.
wine "$automate_exe" seed-machine >"$raw/machine.tsv" 2>>"$raw/wine.err" ||
  fail "the simulated AutoCAD machine could not be laid down: $(cat "$raw/machine.tsv")"

automate() { wine "$automate_exe" "$@" 2>>"$raw/wine.err"; }
field() { tr '\t' '\n' <<<"$2" | sed -n "s/^$1=//p" | head -1; }
# The registry parts the setup reads and writes, as regdump lines.
dump_registry() {
  local name=$1
  automate regdump 'HKLM\SOFTWARE\Autodesk\AutoCAD' >"$raw/hklm64-$name.txt"
  automate regdump 'HKLM\SOFTWARE\Wow6432Node\Autodesk\AutoCAD' >"$raw/hklm32-$name.txt"
  automate regdump 'HKCU\Software\Autodesk\AutoCAD' >"$raw/hkcu-$name.txt"
}
# A screenshot of the whole (virtual) desktop, cropped to the window's rectangle when given.
shoot_window() {  # HWND NAME
  local bmp=$raw/$2.bmp
  automate screenshot "$1" "$(winepath -w "$bmp")" >>"$raw/screenshots.txt" &&
    convert "$bmp" "$out/$2.png" && say "screenshot $out/$2.png"
}
# The desktop cut down to what is on it: the dialog with the message box over it.
shoot_desktop() {  # NAME
  import -display "$DISPLAY" -window root "$raw/$1-desktop.png" 2>>"$raw/wine.err" &&
    convert "$raw/$1-desktop.png" -trim +repage "$out/$1.png" && say "screenshot $out/$1.png"
}

# Every file and folder of drive C: but Windows' own and the users' (sizes of files only).
list_files() {  # NAME
  (cd "$drive_c" && find . \( -path ./windows -o -path ./users \) -prune -o \
    \( -type f -printf 'file\t%P\t%s\n' -o -type d -printf 'folder\t%P\t\n' \) | sort) >"$raw/files-$1.txt"
}
# What the uninstall works with beyond AutoCAD's keys: its Add/Remove Programs entry, and the
# removals Windows is to do at the next restart.
dump_deployment() {  # NAME
  automate regdump 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Tessarune' >"$raw/arp-$1.txt" || true
  automate regdump 'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager' |
    grep -P '^value\t[^\t]*Session Manager\tPendingFileRenameOperations\t' >"$raw/pending-$1.txt" || true
}
# Runs a program to its end from C:\Tessarune; prints its exit code.
run_to_end() {  # NAME PROGRAM [ARG...]
  local name=$1
  shift
  automate start --watch --cwd 'C:\Tessarune' "$@" >"$raw/$name.out" || true
  sed -n 's/^exit_code=//p' "$raw/$name.out"
}

dump_registry before
list_files before
: >"$raw/boxes.txt"
: >"$raw/steps.txt"
step() { echo "$*" >>"$raw/steps.txt"; }

say "starting SetUp.exe…"
run_started=$(date +%s)
automate start --watch --cwd 'C:\Tessarune' 'C:\Tessarune\SetUp.exe' >"$raw/start.out" &
watcher=$!
for _ in $(seq 1 300); do grep -q '^pid=' "$raw/start.out" 2>/dev/null && break; sleep 0.1; done
pid=$(sed -n 's/^pid=//p' "$raw/start.out")
[ -n "$pid" ] || fail "SetUp.exe did not start"
line=$(automate wait-window 'Tessarune安装' --pid "$pid" --timeout 30000) || fail "no setup dialog appeared"
dialog=$(field hwnd "$line")
automate controls "$dialog" >"$raw/controls.txt"
step "the dialog \"Tessarune安装\" appeared"
shoot_window "$dialog" 1-dialog

if [ "$interactive" = 1 ]; then
  say "the setup dialog is on $DISPLAY: install or cancel; the report follows when SetUp.exe ends"
  # Records every message box as it appears, until the program ends.
  seen=''
  while ! grep -q '^exit_code=' "$raw/start.out"; do
    box=$(automate wait-msgbox --pid "$pid" --timeout 1000 2>/dev/null) || continue
    hwnd=$(field hwnd "$box")
    case " $seen " in *" $hwnd "*) sleep 0.5; continue ;; esac
    seen="$seen $hwnd"
    echo "$box" >>"$raw/boxes.txt"
    step "message box \"$(field caption "$box")\" shown, answered by the user"
    shoot_desktop "3-message-$(wc -l <"$raw/boxes.txt")"
  done
else
  say "driving a default installation through the dialog…"
  result=$(automate click "$dialog" 1015 --timeout 30000)
  step "clicked Browse (1015): $result"
  line=$(automate wait-window '请选择安装目录：' --pid "$pid" --timeout 30000) || fail "no browse window appeared"
  browse=$(field hwnd "$line")
  step "the browse window \"请选择安装目录：\" appeared"
  shoot_window "$browse" 2-browse
  result=$(automate command "$browse" 2 --timeout 30000)
  step "cancelled the browse window: $result"
  result=$(automate click "$dialog" 1022 --timeout 60000)
  step "clicked Install (1022): $result"
  for n in 1 2; do
    box=$(automate wait-msgbox --pid "$pid" --timeout 60000) || fail "message box $n did not appear"
    echo "$box" >>"$raw/boxes.txt"
    sleep 0.5
    shoot_desktop "3-message-$n"
    button=$(field buttons "$box"); button=${button%%:*}
    result=$(automate answer "$(field hwnd "$box")" "$button" --timeout 30000)
    step "answered message box $n \"$(field caption "$box")\" with button $button: $result"
  done
fi

for _ in $(seq 1 600); do grep -q '^exit_code=' "$raw/start.out" && break; sleep 0.1; done
wait "$watcher" 2>/dev/null || true
exit_code=$(sed -n 's/^exit_code=//p' "$raw/start.out")
step "SetUp.exe ended with exit code ${exit_code:-unknown}"
run_seconds=$(($(date +%s) - run_started))

dump_registry after
dump_deployment after
# The drive as the dialog's installation left it, for the report's checks of that installation.
dialog_drive=$prefix/dialog-drive-c
mkdir -p "$dialog_drive"
tar -C "$drive_c" --exclude=./windows --exclude=./users -cf - . | tar -C "$dialog_drive" -xf -

# Then what a deployment tool does: a silent install over it, a move into another folder, and the
# uninstall that the Add/Remove Programs entry names.
say "a silent install (SetUp.exe /S)…"
silent_code=$(run_to_end silent 'C:\Tessarune\SetUp.exe' /S '/LOG=C:\windows\temp\tessarune-silent.log')
step "SetUp.exe /S ended with exit code ${silent_code:-unknown}"
dump_registry silent
dump_deployment silent
list_files silent
quiet=$(python3 -c 'import sys, urllib.parse
for line in open(sys.argv[1], encoding="utf-8"):
    f = line.rstrip("\n").split("\t")
    if f[0] == "value" and f[2] == "QuietUninstallString": print(urllib.parse.unquote(f[5]))' "$raw/arp-silent.txt")
step "QuietUninstallString: ${quiet:-none}"
# /D= goes last: it takes the rest of the line.
say "a move (SetUp.exe /S /D=C:\\Moved)…"
move_code=$(run_to_end move 'C:\Tessarune\SetUp.exe' /S '/LOG=C:\windows\temp\tessarune-move.log' '/D=C:\Moved')
step "SetUp.exe /S /D=C:\\Moved ended with exit code ${move_code:-unknown}"
dump_registry moved
dump_deployment moved
list_files moved
uninstall_code=''
if [[ $quiet =~ ^\"([^\"]+)\"\ (.*)$ ]]; then
  say "the uninstall (${quiet})…"
  read -r -a quiet_args <<<"${BASH_REMATCH[2]}"
  uninstall_code=$(run_to_end uninstall "${BASH_REMATCH[1]}" "${quiet_args[@]}" '/LOG=C:\windows\temp\tessarune-uninstall.log')
fi
step "the uninstall ended with exit code ${uninstall_code:-unknown}"
dump_registry uninstalled
dump_deployment uninstalled
list_files uninstalled
for log in silent move uninstall; do
  cp "$drive_c/windows/temp/tessarune-$log.log" "$raw/$log.log" 2>/dev/null || true
done

say "writing the report…"
verdict=0
python3 "$top/scripts/main-job-report.py" --raw "$raw" --drive-c "$dialog_drive" --out "$out" \
  --mode "$([ "$interactive" = 1 ] && echo interactive || echo headless)" --setup-exe "$setup_exe" \
  --setup-seconds "$run_seconds" --total-seconds "$(($(date +%s) - started))" || verdict=$?
say "report: $out/report.md ($(($(date +%s) - started)) s in all)"
say "$(head -1 "$out/report.md" | tr -d "*")"
[ -n "$exit_code" ] || fail "SetUp.exe did not end"
[ "$verdict" = 0 ] || [ "$interactive" = 1 ] || fail "the verdict is FAIL (failed checks: grep FAIL $raw/checks.txt)"
