#!/usr/bin/env bash
# The same input must give byte-identical report and side files on every run
# and for every number of threads (the date and time lines aside).
#
# usage: check_reproducible.sh BIN_DIR FASTA ARGS...
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
fasta=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
shift 2
shared=$(cd "$(dirname "$0")/shared" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run() {  # run NAME THREADS ARGS...
  local dir="$work/$1" threads="$2"
  shift 2
  mkdir -p "$dir"
  cp "$shared"/bg.txt "$shared"/fg.txt "$dir"/
  cp "$fasta" "$dir/input.fa"
  (cd "$dir" && "$bin_dir/zelkova" -f input.fa -b bg.txt -z fg.txt -p "$threads" "$@" >console.txt)
  sed -i -e 's/^Current local time and date: .*//' "$dir/input.out"
  sed -i -e 's/Time taken: [0-9.]* seconds\.//' -e 's/ -p [0-9]*//' "$dir/console.txt"
  sed -i -e 's/ -p [0-9]*//' "$dir/input.out"
}

ARGS=("$@")
run first 1 "${ARGS[@]}"
for name in again:1 two:2 seven:7; do
  run "${name%%:*}" "${name##*:}" "${ARGS[@]}"
  for f in console.txt input.out initcore.txt initcluster.txt; do
    if ! cmp -s "$work/first/$f" "$work/${name%%:*}/$f"; then
      echo "$f differs between -p 1 and the run '${name%%:*}' (-p ${name##*:})"
      diff "$work/first/$f" "$work/${name%%:*}/$f" | head -20
      exit 1
    fi
  done
done
echo "identical over 4 runs"
