#!/usr/bin/env bash
# Two builds of SetUp.exe from the same sources, in other folders at other times, are identical.
# Builds twice, so it runs only where the Windows build has run (TESSA_SETUP_EXE is set).
. "$(dirname "$0")/dist_test_lib.sh"
need_setup_exe

check "two builds of SetUp.exe give the same bytes" bash "$scripts/check-reproducible.sh"
finish
