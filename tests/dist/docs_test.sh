#!/usr/bin/env bash
# What README.md and the administrators' guide tell people to run, and what the guide must say.
# Every scripts/... command they show runs as written: its run bit is set (in git too) and
# --help ends with 0. Sourced libraries and the PowerShell script are left out.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/dist_test_lib.sh"
guide=$top/docs/admin.md

for name in $(grep -ohE 'scripts/[A-Za-z0-9._-]+' "$top/README.md" "$guide" | sort -u); do
  case $name in scripts/lib.sh | scripts/payload-names.sh | *.ps1) continue ;; esac
  check "$name exists" [ -f "$top/$name" ]
  check "$name has its run bit" [ -x "$top/$name" ]
  if git -C "$top" rev-parse --git-dir >/dev/null 2>&1; then
    check "$name is committed with its run bit" eval '[ "$(git -C "$top" ls-files -s "$name" | cut -c1-6)" = 100755 ]'
  fi
  check "$name --help ends with 0" eval '(cd "$top" && timeout 60 "./$name" --help >/dev/null 2>&1)'
done

# The guide stands alone: switches, exit codes, detection and requirement rules, logs, checks.
text=$(cat "$guide")
for switch in /S /VERYSILENT /QN /NORESTART /D= /RELEASES= /ALLUSERS /LOG= /UNINSTALL; do
  check "the guide lists $switch" grep -qE "^\\| .*\`$switch" <<<"$text"
done
for code in 0 87 1602 1603 1618 1638 3010 740; do
  check "the guide lists exit code $code" grep -qE "^\| $code \|" <<<"$text"
done
check "the detection rule compares DisplayVersion as a version" \
  grep -qF 'DisplayVersion` greater than or equal to' <<<"$text"
check "the requirement rules name x64" grep -qF 'x64' <<<"$text"
check "the requirement rules name the code page 936" \
  grep -qF 'HKLM\SYSTEM\CurrentControlSet\Control\Nls\CodePage` value `ACP` equals `936`' <<<"$text"
check "the requirement rules name AutoCAD as a registry rule" grep -qF 'HKLM\SOFTWARE\Autodesk\AutoCAD` exists' <<<"$text"
check "the guide says where the logs are" grep -qF 'Tessarune Setup\Logs' <<<"$text"
check "the guide shows the Windows-side checks" \
  eval 'grep -qF Get-AuthenticodeSignature <<<"$text" && grep -qF Get-FileHash <<<"$text" && grep -qF SHA256SUMS <<<"$text"'
finish
