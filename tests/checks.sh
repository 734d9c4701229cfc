# Sourced by the end-to-end shell tests: a working directory $work, removed at
# the end (kept and named with KEEP_WORK=1, for a look after a failure), and
# the counting of failed checks.
work=$(mktemp -d)
if [ -n "${KEEP_WORK:-}" ]; then echo "working directory: $work"; else trap 'rm -rf "$work"' EXIT; fi
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Ends the test: status 1 with the number of failed checks, or status 0 with
# the line given.
finish_checks() {  # SUCCESS_LINE
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "$1"
}
