#!/usr/bin/env bash
# zelkova-discover leaves nothing behind when it is stopped or fails: SIGTERM
# in the middle of the searches removes the directory it created; SIGINT and
# a failure during a --force run into an earlier run's directory leave every
# earlier file exactly as it was (names and checksums), with none of the new
# run's files beside them; a run that ends normally says where its page is.
#
# usage: interrupted.sh BIN_DIR EXAMPLE.fa
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
source "$(dirname "$0")/common.sh"
copy_example "$2"
"$bin_dir/zelkova-gen-planted" 400 300 9 >long.fa  # some 20 s of searching on 2 cores

# contents DIR: every entry under DIR (hidden ones too) with the checksum of
# each file.
contents() {
  (cd "$1" && find . -mindepth 1 | sort | while read -r entry; do
    if [ -f "$entry" ]; then echo "$entry $(md5sum <"$entry")"; else echo "$entry/"; fi
  done)
}

# stop_mid_run SIGNAL DIR ARGS...: starts a run into DIR, sends SIGNAL once a
# search has ended (its report is staged), and sets $status to its status.
stop_mid_run() {
  local signal=$1 dir=$2
  shift 2
  set -m  # its own process group, where SIGINT is not ignored as in background jobs
  "$bin_dir/zelkova-discover" "$@" -o "$dir" -p 2 2>"$dir.err" &
  local pid=$!
  set +m
  for _ in $(seq 600); do
    compgen -G "$dir/.zelkova-discover.*/runs/*.out" >/dev/null && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  compgen -G "$dir/.zelkova-discover.*/runs/*.out" >/dev/null || fail "no search had ended when $signal was due"
  kill -"$signal" "$pid" 2>/dev/null || true
  status=0
  wait "$pid" || status=$?
}

# --- a new directory: gone ---------------------------------------------------------
stop_mid_run TERM fresh long.fa
[ "$status" -eq 143 ] || fail "SIGTERM: status $status, expected 143 (ended by the signal)"
[ ! -e fresh ] || fail "SIGTERM left the directory it created: $(find fresh | head -5)"
grep -q 'Interrupted: the files of this run were removed.' fresh.err || fail "SIGTERM: no message: $(tail -2 fresh.err)"

# --- an earlier run's directory with --force: as it was -----------------------------
discover earlier crp0.fa --lengths 8 --decoy no
[ "$status" -eq 0 ] || fail "the earlier run failed: $(cat earlier.err)"
[ "$(tail -1 earlier.err)" = "Wrote earlier/index.html" ] || fail "the last line does not name the page: $(tail -1 earlier.err)"
echo "my notes" >earlier/notes.txt
contents earlier >before.txt
stop_mid_run INT earlier long.fa --force
[ "$status" -eq 130 ] || fail "SIGINT: status $status, expected 130 (ended by the signal)"
contents earlier >after.txt
diff before.txt after.txt >changes.txt || fail "SIGINT during a --force run changed the directory: $(head -5 changes.txt)"

# A --force run that fails at the end: a directory in the way of one of its
# search reports, which would otherwise join the earlier ones under runs/.
mkdir earlier/runs/l10_m2.out
contents earlier >before.txt
status=0
"$bin_dir/zelkova-discover" crp0.fa -o earlier --force --lengths 8,10 --decoy no 2>failed.err || status=$?
[ "$status" -eq 1 ] && grep -q "^Error: cannot write earlier/runs/l10_m2.out: a directory is in the way." failed.err ||
  fail "the failing --force run: status $status: $(cat failed.err)"
contents earlier >after.txt
diff before.txt after.txt >changes.txt || fail "a failed --force run changed the directory: $(head -5 changes.txt)"

finish_checks "interrupted and failed runs leave nothing behind and earlier results as they were"
