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

# A run that must be refused: PROGRAM -o refused.tsv ARGS... must end with
# status 1, print a line matching MESSAGE (a grep pattern) on standard error,
# write nothing to standard output and leave no refused.tsv.
expect_refusal_of() {  # PROGRAM MESSAGE ARGS...
  local program=$1 message=$2 status=0
  shift 2
  "$program" -o refused.tsv "$@" >stdout.txt 2>err.txt || status=$?
  [ "$status" -eq 1 ] || fail "$*: status $status, expected 1"
  grep -q -- "$message" err.txt || fail "$*: expected '$message', got: $(cat err.txt)"
  [ ! -e refused.tsv ] || fail "$*: an output file was written"
  [ ! -s stdout.txt ] || fail "$*: something was written to standard output"
  rm -f refused.tsv
}
