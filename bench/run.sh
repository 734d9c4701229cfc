#!/usr/bin/env bash
# Times zelkova on the benchmark cases and prints wall time, CPU time and peak
# memory for each. Inputs are generated deterministically (random sequences with
# a planted motif) under bench/work/, which is reused by later runs.
#
# usage: bench/run.sh [-p THREADS] [CASE ...]     (cases 1 to 13; default 1 to 11)
# ZELKOVA_BIN=path/to/zelkova times another build of zelkova on the same inputs
# (the inputs and models are always made with this checkout's tools).
# ZELKOVA_RUN_TAG=x keeps the outputs of each case under bench/work/run<CASE>x.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
threads=""
if [ "${1:-}" = "-p" ]; then threads="-p $2"; shift 2; fi
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=(1 2 3 4 5 6 7 8 9 10 11)

command -v /usr/bin/time >/dev/null 2>&1 || [ -x /usr/bin/time ] || scripts/install-deps.sh time
scripts/install-deps.sh >/dev/null
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target zelkova zelkova-markov zelkova-gen-fasta >/dev/null
bin=$top/build
zelkova=${ZELKOVA_BIN:-$bin/zelkova}
work=$top/bench/work
mkdir -p "$work"

# input NAME SEQUENCES LENGTH SEED: a generated FASTA file with its two models.
input() {
  local name=$1
  if [ ! -f "$work/$name.fa" ]; then
    "$bin/zelkova-gen-fasta" "$2" "$3" "$4" >"$work/$name.fa"
  fi
  if [ ! -f "$work/$name.fg" ]; then
    "$bin/zelkova-markov" -o "$work/$name.fg" "$work/$name.fa"
    "$bin/zelkova-markov" -m 3 -o "$work/$name.bg" "$work/$name.fa"
  fi
}

describe() {
  case $1 in
    1) echo "crp0 example (18 x 105), -l 16" ;;
    2) echo "40 x 300, -l 10" ;;
    3) echo "100 x 300, -l 8 -s -m 1" ;;
    4) echo "500 x 2000, -l 10 -m 2" ;;
    5) echo "10000 x 200, -l 10 -m 2" ;;
    6) echo "20 x 3000, -l 10" ;;
    7) echo "500 x 300, -l 11 -m 2" ;;
    8) echo "500 x 1000, -l 14 -m 3" ;;
    9) echo "20 x 3000, -l 8 -m 2" ;;
    10) echo "100000 x 200, -l 10 -m 2" ;;
    11) echo "200 x 20000, -l 10 -m 2 -maxlen 20000" ;;
    12) echo "10000 x 200, -l 10 (defaults)" ;;
    13) echo "10000 x 200, -l 10 -noside" ;;
  esac
}

prepare() {
  case $1 in
    1) cp examples/crp0.fa "$work/case1.fa"; input case1 0 0 0 ;;
    2) input case2 40 300 2 ;;
    3) input case3 100 300 3 ;;
    4) input case4 500 2000 4 ;;
    5) input case5 10000 200 5 ;;
    6) input case6 20 3000 6 ;;
    7) input case7 500 300 7 ;;
    8) input case8 500 1000 8 ;;
    9) input case9 20 3000 9 ;;
    10) input case10 100000 200 10 ;;
    11) input case11 200 20000 11 ;;
    12) input case12 10000 200 12 ;;
    13) input case12 10000 200 12; for f in fa fg bg; do ln -sf case12.$f "$work/case13.$f"; done ;;
  esac
}

options() {
  case $1 in
    1) echo "-l 16" ;;
    2) echo "-l 10" ;;
    3) echo "-l 8 -s -m 1" ;;
    4) echo "-l 10 -m 2" ;;
    5) echo "-l 10 -m 2" ;;
    6) echo "-l 10" ;;
    7) echo "-l 11 -m 2" ;;
    8) echo "-l 14 -m 3" ;;
    9) echo "-l 8 -m 2" ;;
    10) echo "-l 10 -m 2" ;;
    11) echo "-l 10 -m 2 -maxlen 20000" ;;
    12) echo "-l 10" ;;
    13) echo "-l 10 -noside" ;;
  esac
}

printf '%-4s %-34s %10s %10s %12s\n' case input wall_s cpu_s peak_MB
for c in "${cases[@]}"; do
  prepare "$c"
  dir="$work/run$c${ZELKOVA_RUN_TAG:-}"
  mkdir -p "$dir"
  # shellcheck disable=SC2046
  # Run as "zelkova" from the PATH, so the report's echo of the command line
  # is the same for every build.
  (cd "$dir" && PATH="$(dirname "$zelkova"):$PATH" /usr/bin/time -f '%e %U %S %M' -o time.txt \
     zelkova -f ../case$c.fa -b ../case$c.bg -z ../case$c.fg -o report.txt $threads $(options "$c") >console.txt)
  read -r wall user sys peak <"$dir/time.txt"
  cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
  mb=$(awk -v k="$peak" 'BEGIN { printf "%.1f", k / 1024 }')
  printf '%-4s %-34s %10s %10s %12s\n' "$c" "$(describe "$c")" "$wall" "$cpu" "$mb"
done
