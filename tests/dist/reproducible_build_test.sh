#!/usr/bin/env bash
# Two builds of SetUp.exe from the same sources, in other folders at other times, are identical.
# The Windows build of the test run is the first build; one more is made in another folder.
. "$(dirname "$0")/dist_test_lib.sh"
need_setup_exe

check "two builds of SetUp.exe give the same bytes" bash "$scripts/check-reproducible.sh" --against "$TESSA_SETUP_EXE"
finish
