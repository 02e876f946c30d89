#!/usr/bin/env bash
# Tests of run_test.sh, the harness through which ctest runs every test program: an area passes only
# when the run that ctest started ran every test to a pass. A crash after a child run of the same
# program, a skipped test or a failed one must each fail the area, and say why.
# Usage: harness_test.sh <emulator> <harness probe program>
set -u
emulator=$1
probe=$2
here=$(dirname "$0")
failures=0

# check <mode> <expected exit: pass|fail> <text the output must hold>
check() {
  local mode=$1 expect=$2 text=$3 out rc
  out=$(HARNESS_PROBE=$mode bash "$here/../run_test.sh" "$emulator" "$probe" 2>&1)
  rc=$?
  if { [ "$expect" = pass ] && [ $rc -ne 0 ]; } || { [ "$expect" = fail ] && [ $rc -eq 0 ]; }; then
    printf 'FAILED: a probe run in mode "%s" should %s its area, and the harness answered %d:\n%s\n' \
      "$mode" "$expect" "$rc" "$out"
    failures=$((failures + 1))
  elif ! grep -qF -- "$text" <<<"$out"; then
    printf 'FAILED: the harness output of mode "%s" does not say "%s":\n%s\n' "$mode" "$text" "$out"
    failures=$((failures + 1))
  else
    printf 'ok: mode "%s": the area is a %s and the harness says "%s"\n' "$mode" "$expect" "$text"
  fi
}

check pass pass "2 tests ran and passed"
check child pass "2 tests ran and passed"
check fail fail "1 failed"
check skip fail "1 skipped"
check skip fail "asked to skip"
check child-then-crash fail "without a result"

if [ $failures -ne 0 ]; then
  printf '%d harness checks failed\n' "$failures"
  exit 1
fi
echo "every check of the test harness passed"
