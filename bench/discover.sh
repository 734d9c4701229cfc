#!/usr/bin/env bash
# Times zelkova-discover on generated peaks (sequences of 200 random letters,
# sites sampled from the CTCF matrix MA0139.1 planted in 30 % of them):
#   10000 peaks with the default settings, 100000 peaks with --lengths 10.
# Prints wall time, CPU time, peak memory and the best motif's known match.
#
#   bench/discover.sh costs
# instead times single searches at the engine's default allowance (-l 10,
# -m 5, no side files) on inputs of several sizes, with the cost estimate
# zelkova-discover uses to decide whether to run them (2 x windows x 40).
#
# usage: bench/discover.sh [-p THREADS] [costs]
# Inputs are made once under bench/work/discover/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
threads=()
if [ "${1:-}" = "-p" ]; then threads=(-p "$2"); shift 2; fi
mode=${1:-pipeline}

[ -x /usr/bin/time ] || scripts/install-deps.sh time
scripts/install-deps.sh >/dev/null
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target zelkova zelkova-markov zelkova-discover zelkova-gen-planted >/dev/null
bin=$top/build
work=$top/bench/work/discover
mkdir -p "$work"
matrices=$top/data/jaspar/jaspar_vertebrates.pfm

peaks() {  # SEQUENCES LENGTH: the FASTA file's path, made once
  local f="$work/peaks_$1x$2.fa"
  [ -f "$f" ] || "$bin/zelkova-gen-planted" "$1" "$2" "$1" "$matrices" MA0139.1 0.3 "$f.sites" >"$f"
  echo "$f"
}

source "$top/bench/timed.sh"

if [ "$mode" = costs ]; then
  printf '%-52s %8s %8s %9s %12s\n' "input, zelkova -l 10 -m 5 -noside" wall_s cpu_s peak_MB cost
  for size in "500 200" "1000 200" "2000 200" "4000 200" "500 1000"; do
    set -- $size
    fa=$(peaks "$1" "$2")
    [ -f "$fa.fg" ] || { "$bin/zelkova-markov" -o "$fa.fg" "$fa"; "$bin/zelkova-markov" -m 3 -o "$fa.bg" "$fa"; }
    timed "$1 x $2" "$bin/zelkova" -f "$fa" -b "$fa.bg" -z "$fa.fg" -l 10 -m 5 -noside "${threads[@]}" -o "$work/cost.out"
    printf ' %12d\n' $((2 * $1 * ($2 - 9) * 40))
  done
  exit 0
fi

printf '%-52s %8s %8s %9s  %s\n' input wall_s cpu_s peak_MB "rank 1 (best known match)"
pipeline() {  # SEQUENCES LABEL ARGS...
  local n=$1 label=$2
  shift 2
  local fa
  fa=$(peaks "$n" 200)
  rm -rf "$work/out_$n"
  timed "$label" "$bin/zelkova-discover" "$fa" -o "$work/out_$n" "${threads[@]}" "$@"
  awk -F'\t' 'NR == 2 { printf "  %s (%s %s, E %s)\n", $5, $13, $14, $15 }' "$work/out_$n/summary.tsv"
}
pipeline 10000 "10000 x 200, default settings"
pipeline 100000 "100000 x 200, --lengths 10" --lengths 10
