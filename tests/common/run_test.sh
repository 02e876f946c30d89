#!/usr/bin/env bash
# Runs one test program under Wine with its output going to a file, then hands the output and the
# exit code to ctest. Wine starts its desktop process from whichever program first needs it, and
# that process inherits the program's standard output: written straight to ctest's pipe, the pipe
# stayed open until the desktop ended with the last test, so ctest counted that test as running
# (and, past its time limit, as timed out) for the whole suite.
# Usage: run_test.sh <emulator> <test program> [arguments...]
set -u
emulator=$1
shift
log=$(mktemp "${TMPDIR:-/tmp}/test-output.XXXXXX") || exit 1
trap 'rm -f "$log"' EXIT
"$emulator" "$@" >"$log" 2>&1 </dev/null
rc=$?
cat "$log"
exit "$rc"
