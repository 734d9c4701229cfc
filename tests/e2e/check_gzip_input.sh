#!/usr/bin/env bash
# A gzip-compressed FASTA file given to zelkova -f must give byte-identical
# console output, report and side files to the plain file (the date and time
# lines aside): once under the same name, and once as NAME.fa.gz, where only
# the echoed command line may differ. A compressed file cut short is refused.
#
# usage: check_gzip_input.sh BIN_DIR FASTA ARGS...
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
fasta=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
shift 2
shared=$(cd "$(dirname "$0")/shared" && pwd)
source "$(dirname "$0")/../checks.sh"

run() {  # run NAME INPUT_FILE ARGS...
  local dir="$work/$1" input=$2
  shift 2
  mkdir -p "$dir"
  cp "$shared"/bg.txt "$shared"/fg.txt "$dir"/
  local status=0
  (cd "$dir" && "$bin_dir/zelkova" -f "$input" -b bg.txt -z fg.txt "$@" >console.txt) || status=$?
  echo "$status" >"$dir/status.txt"
  sed -i -e 's/Time taken: [0-9.]* seconds\.//' "$dir/console.txt"
  [ ! -f "$dir/input.out" ] || sed -i -e 's/^Current local time and date: .*//' "$dir/input.out"
}

compare_runs() {  # compare_runs A B
  for f in status.txt console.txt input.out initcore.txt initcluster.txt; do
    cmp -s "$work/$1/$f" "$work/$2/$f" || fail "$f differs between $1 and $2: $(diff "$work/$1/$f" "$work/$2/$f" | head -5)"
  done
}

mkdir -p "$work/plain" "$work/same_name" "$work/gz_name"
cp "$fasta" "$work/plain/input.fa"
gzip -c "$fasta" >"$work/same_name/input.fa"
gzip -c "$fasta" >"$work/gz_name/input.fa.gz"
run plain input.fa "$@"
run same_name input.fa "$@"
run gz_name input.fa.gz "$@"
[ "$(cat "$work/plain/status.txt")" = 0 ] || fail "the plain run failed: $(tail -3 "$work/plain/console.txt")"
compare_runs plain same_name
# Under its own name only the command line echoed in the report differs.
sed -i -e 's/ -f input\.fa\.gz / -f input.fa /' "$work/gz_name/input.out"
compare_runs plain gz_name

# Damaged compressed data stops the run with a message naming the file.
mkdir -p "$work/cut"
head -c 200 "$work/same_name/input.fa" >"$work/cut/input.fa"
run cut input.fa "$@"
[ "$(cat "$work/cut/status.txt")" = 1 ] || fail "a truncated gzip file gave status $(cat "$work/cut/status.txt")"
grep -q 'Error: cannot read input.fa: damaged gzip data' "$work/cut/console.txt" ||
  fail "no message for a truncated gzip file: $(tail -2 "$work/cut/console.txt")"

finish_checks "gzip and plain inputs give identical outputs"
