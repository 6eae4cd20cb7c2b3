# shellcheck shell=bash
# Sourced by the check scripts: each check is a command that check() runs and prints
# with ok or FAILED; finish() prints the count and exits 1 after a failure, calling the
# caller's failure_details first; skip() ends the run as passed, saying why.
# shellcheck disable=SC2034
passed=0
failures=0
skip() {
  echo "skipped: $*"
  exit 0
}
check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
    passed=$((passed + 1))
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}
# A step that later checks build on: without it the run ends here.
must() {
  check "$@" || true
  if [ "$failures" -gt 0 ]; then finish; fi
}
finish() {
  echo "$passed passed, $failures failed"
  if [ "$failures" -gt 0 ]; then failure_details; fi
  exit $((failures > 0))
}
