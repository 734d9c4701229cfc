#!/usr/bin/env bash
# The man pages: each one renders without warnings, is named after its
# program, mentions every option its program's help lists, and is installed
# by `cmake --install` into share/man/man1.
#
# usage: check_man_pages.sh BUILD_DIR PROGRAM...
set -euo pipefail
build_dir=$(cd "$1" && pwd)
shift
source "$(dirname "$0")/../checks.sh"
cd "$work"

# options_in_help PROGRAM: every option the help of PROGRAM lists, one a line.
# zelkova prints its fixed usage text for -h (and exits 1); the other
# programs print GNU-style help for --help.
options_in_help() {
  if [ "$1" = zelkova ]; then
    { "$build_dir/zelkova" -h || true; } | sed -n 's/^\[\{0,1\}\(-[a-z]*\).*/\1/p'
  else
    "$build_dir/$1" --help | grep -E '^  +-' | grep -oE '(^|[ ,])--?[a-z][a-z-]*' | tr -d ' ,'
  fi
}

for program in "$@"; do
  page="$build_dir/man/$program.1"
  [ -s "$page" ] || { fail "$program: no man page $page"; continue; }
  if ! LC_ALL=C MANWIDTH=120 man --warnings -l -P cat "$page" >"$program.txt" 2>"$program.err"; then
    fail "$program: man -l failed: $(head -3 "$program.err")"
    continue
  fi
  [ ! -s "$program.err" ] || fail "$program: the page renders with warnings: $(head -3 "$program.err")"
  head -1 "$program.txt" | grep -qi "^${program}(1)" || fail "$program: the page is titled $(head -1 "$program.txt")"
  sed -n '/^NAME/,/^[A-Z]/p' "$program.txt" | grep -q "$program - " || fail "$program: no NAME line"
  options_in_help "$program" | sort -u >"$program.options"
  [ "$(wc -l <"$program.options")" -ge 3 ] || fail "$program: found only $(wc -l <"$program.options") options in its help"
  while read -r option; do
    grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" "$program.txt" || fail "$program: the page does not mention $option"
  done <"$program.options"
done

cmake --install "$build_dir" --prefix "$work/prefix" >install.log 2>&1 || fail "cmake --install failed: $(tail -3 install.log)"
for program in "$@"; do
  [ -s "$work/prefix/share/man/man1/$program.1" ] || fail "cmake --install did not install the man page of $program"
done
finish_checks "man pages: $# pages render and list every option of their programs"
