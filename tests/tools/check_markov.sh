#!/usr/bin/env bash
# End-to-end checks of zelkova-markov: whole models of small inputs against
# expected files worked out by hand, and the messages, statuses and left-over
# files of refused runs.
#
# usage: check_markov.sh PATH_TO_ZELKOVA_MARKOV DATA_DIR
#
# DATA_DIR holds the FASTA inputs (*.fa) and the expected models (*.txt).
set -uo pipefail
tool=$1
data=$(cd "$2" && pwd)

source "$(dirname "$0")/../checks.sh"
mkdir "$work/in" "$work/out"
cp "$data"/*.fa "$work/in"
: >"$work/in/empty.fa"
cd "$work/in"

# run NAME STATUS STDERR ARG... runs the tool in the input directory and
# checks its exit status and whole standard error; standard output is kept in
# $work/stdout for the caller.
run() {
  local name=$1 want_status=$2 want_stderr=$3
  shift 3
  "$tool" "$@" >"$work/stdout" 2>"$work/stderr"
  local status=$?
  [ "$status" = "$want_status" ] || fail "$name: exit status $status, expected $want_status"
  [ "$(cat "$work/stderr")" = "$want_stderr" ] || fail "$name: standard error was: $(cat "$work/stderr")"
}

expect_same() {  # NAME ACTUAL EXPECTED
  if ! cmp -s "$2" "$3"; then
    fail "$1: $2 differs from $3"
    diff "$2" "$3" | head -n 20
  fi
}

expect_empty_stdout() {  # NAME
  [ ! -s "$work/stdout" ] || fail "$1: unexpected standard output: $(head -c 200 "$work/stdout")"
}

# The output directory holds exactly the files named, with no temporary left.
expect_out_dir() {  # NAME FILE...
  local name=$1
  shift
  local want have
  want=$(printf '%s\n' "$@" | sort)
  have=$(ls -A "$work/out" | sort)
  [ "$have" = "$want" ] || fail "$name: output directory holds [$have], expected [$want]"
}

hint="Run zelkova-markov --help for the options."

# --- Models -----------------------------------------------------------------

run "both strands to standard output" 0 "" -m 1 tiny.fa
expect_same "both strands to standard output" "$work/stdout" "$data/tiny_order1.txt"

run "forward strand with pseudo-count to a file" 0 "" --forward-only -p 0.5 --order 1 -o "$work/out/fg.txt" tiny.fa
expect_empty_stdout "forward strand with pseudo-count to a file"
expect_same "forward strand with pseudo-count to a file" "$work/out/fg.txt" "$data/tiny_order1_forward_pc05.txt"
expect_out_dir "forward strand with pseudo-count to a file" fg.txt

run "counts of several files add up" 0 "" -m 0 a.fa b.fa
expect_same "counts of several files add up" "$work/stdout" "$data/a_b_order0.txt"

# Default order 7: 4 + 16 + ... + 4^8 entries, the 8-letter words last.
run "default order" 0 "" tiny.fa
lines=$(wc -l <"$work/stdout")
[ "$lines" -eq 87380 ] || fail "default order: $lines lines, expected 87380"
[ "$(tail -n 1 "$work/stdout")" = "65535 TTTTTTTT 0.25 0 0" ] || fail "default order: last line $(tail -n 1 "$work/stdout")"
head -n 20 "$work/stdout" | cmp -s - "$data/tiny_order1.txt" || fail "default order: words of 1 and 2 letters differ"

run "help" 0 "" --help
head -n 1 "$work/stdout" | grep -q '^Usage: zelkova-markov ' || fail "help: no usage line"

# --- Refusals ---------------------------------------------------------------

run "missing input" 1 "Error: cannot read missing.fa: No such file or directory." missing.fa
expect_empty_stdout "missing input"
run "empty input" 1 "Error: empty.fa holds no FASTA record (a line starting with '>')." tiny.fa empty.fa
expect_empty_stdout "empty input"
run "input without bases" 1 "Error: only_n.fa holds no A, C, G or T to count." only_n.fa
run "order too high" 1 "Error: order \"8\" is not a whole number from 0 to 7.
$hint" -m 8 tiny.fa
run "negative order" 1 "Error: order \"-1\" is not a whole number from 0 to 7.
$hint" --order -1 tiny.fa
run "order not a number" 1 "Error: order \"7x\" is not a whole number from 0 to 7.
$hint" -m 7x tiny.fa
run "missing option value" 1 "Error: option -o needs a value.
$hint" tiny.fa -o
run "zero pseudo-count" 1 "Error: pseudo-count \"0\" is not a number above 0.
$hint" -p 0 tiny.fa
run "pseudo-count not a number" 1 "Error: pseudo-count \"one\" is not a number above 0.
$hint" --pseudocount one tiny.fa
run "unknown option" 1 "Error: unknown option -x.
$hint" -x tiny.fa
run "no input" 1 "Error: no FASTA file given.
$hint" -m 3
expect_empty_stdout "no input"

# A refused run leaves an existing model as it was and no file beside it.
echo "old model" >"$work/out/bg.txt"
run "unreadable input keeps the old model" 1 "Error: cannot read missing.fa: No such file or directory." \
  -o "$work/out/bg.txt" tiny.fa missing.fa
echo "old model" | cmp -s - "$work/out/bg.txt" || fail "unreadable input keeps the old model: bg.txt changed"
run "pseudo-count too small keeps the old model" 1 \
  "Error: the probability of AG is too small for a model file; use a larger pseudo-count." \
  -m 1 -p 1e-300 -o "$work/out/bg.txt" tiny.fa
echo "old model" | cmp -s - "$work/out/bg.txt" || fail "pseudo-count too small keeps the old model: bg.txt changed"
expect_out_dir "refused runs" bg.txt fg.txt

finish_checks "all checks passed"
