#!/usr/bin/env bash
# Runs one test program under Wine and passes its area only on the result that this run of the
# program wrote (test_main.cpp): every test it was to run ran, none failed, none skipped. An exit
# code alone is not trusted (a program that dies under Wine can end with a code that reads as
# success), nor a line in the output (a run of the same program that a test starts writes into the
# same output).
# The output goes to a file first: Wine starts its desktop process from whichever program first
# needs it, and that process inherits the program's standard output; written straight to ctest's
# pipe, the pipe stayed open until the desktop ended with the last test.
# Usage: run_test.sh <emulator> <test program> [arguments...]
set -u
emulator=$1
shift
program=$(basename "$1")
log=$(mktemp "${TMPDIR:-/tmp}/test-output.XXXXXX") || exit 1
result=$(mktemp "${TMPDIR:-/tmp}/test-result.XXXXXX") || exit 1
trap 'rm -f "$log" "$result"' EXIT
: >"$result"
# The program sees the file as Wine shows this machine's root: drive Z:.
TEST_RESULT_FILE="Z:${result//\//\\}" "$emulator" "$@" >"$log" 2>&1 </dev/null
rc=$?
cat "$log"
echo
read -r word name ran passed failed skipped < <(awk '$1 == "result" { print $1, $2, $4, $6, $8, $10 }' "$result")
if [ "${word:-}" != result ]; then
  echo "$program: ended without a result (exit code $rc): it crashed or ended before its tests were done"
  exit 1
fi
grep '^skipped ' "$result" | sed "s/^/$program: /"
summary="$ran tests ran: $passed passed, $failed failed, $skipped skipped"
if [ "$rc" -ne 0 ] || [ "$failed" -ne 0 ] || [ "$skipped" -ne 0 ] || [ "$ran" -eq 0 ] || [ "$passed" -ne "$ran" ]; then
  echo "$program: $summary (exit code $rc); an area passes only when every test ran and passed"
  exit 1
fi
echo "$program: $ran tests ran and passed"
exit 0
