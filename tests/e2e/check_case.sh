#!/usr/bin/env bash
# Runs one end-to-end case and compares every output with the expected files.
#
# usage: check_case.sh BIN_DIR CASE_DIR [--update]
#
# The program runs as "zelkova" found on the PATH, in a fresh working directory
# that first receives the files of tests/e2e/shared and then those of the case,
# so every path a run prints is the same on every machine.
# A case directory holds:
#   args                the command line after the program name (one line)
#   any input files
#   expected/stdout     expected standard output
#   expected/status     expected exit status
#   expected/<file>     every other file the run must leave in the working
#                       directory (report, initcore.txt, initcluster.txt, ...)
# The date line of a report and the time line of the console are masked, since
# they change from run to run. With --update the expected files are rewritten.
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
case_dir=$(cd "$2" && pwd)
update=${3:-}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
shared_dir=$(cd "$(dirname "$0")/shared" && pwd)
cp "$shared_dir"/* "$work"
find "$case_dir" -maxdepth 1 -type f ! -name args -exec cp {} "$work" \;

args=$(cat "$case_dir/args")
set +e
(cd "$work" && PATH="$bin_dir:$PATH" eval "zelkova $args" >"$work/.stdout" 2>"$work/.stderr")
status=$?
set -e

mask() {
  sed -e 's/^Current local time and date: .*/Current local time and date: <masked>/' \
      -e 's/Time taken: [0-9.]* seconds\./Time taken: <masked> seconds./' "$1"
}

if [ "$update" = "--update" ]; then
  rm -rf "$case_dir/expected"
  mkdir -p "$case_dir/expected"
  mask "$work/.stdout" >"$case_dir/expected/stdout"
  echo "$status" >"$case_dir/expected/status"
  for f in "$work"/*; do
    name=$(basename "$f")
    [ -e "$case_dir/$name" ] || [ -e "$shared_dir/$name" ] && continue
    mask "$f" >"$case_dir/expected/$name"
  done
  exit 0
fi

failed=0
expected_status=$(cat "$case_dir/expected/status")
if [ "$status" != "$expected_status" ]; then
  echo "exit status: expected $expected_status, got $status"
  failed=1
fi
if ! diff <(mask "$work/.stdout") "$case_dir/expected/stdout" >"$work/.diff"; then
  echo "standard output differs:"; head -n 40 "$work/.diff"; failed=1
fi
for f in "$case_dir"/expected/*; do
  name=$(basename "$f")
  case "$name" in stdout|status) continue ;; esac
  if [ ! -e "$work/$name" ]; then
    echo "missing output file $name"; failed=1; continue
  fi
  if ! diff <(mask "$work/$name") "$f" >"$work/.diff"; then
    echo "$name differs:"; head -n 40 "$work/.diff"; failed=1
  fi
done
for f in "$work"/*; do
  name=$(basename "$f")
  if [ ! -e "$case_dir/$name" ] && [ ! -e "$shared_dir/$name" ] && [ ! -e "$case_dir/expected/$name" ]; then
    echo "unexpected output file $name"; failed=1
  fi
done
exit $failed
