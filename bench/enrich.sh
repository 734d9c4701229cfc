#!/usr/bin/env bash
# Times zelkova-enrich on 10000 generated sequences of 200 letters (with a
# planted motif) and the 10 motifs zelkova reports for them, against 2
# shuffled copies of every sequence (the defaults); then the same motifs on
# one record of 50 million letters, a chromosome arm, whose shuffles and scans
# are split over the threads. Prints wall time, CPU time and peak memory.
# Inputs and the report are made once under bench/work/.
#
# usage: bench/enrich.sh [-p THREADS]
# ZELKOVA_ENRICH_BIN=path/to/zelkova-enrich times another build.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
threads=()
if [ "${1:-}" = "-p" ]; then threads=(-p "$2"); fi

[ -x /usr/bin/time ] || scripts/install-deps.sh time
scripts/install-deps.sh >/dev/null
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target zelkova zelkova-markov zelkova-enrich zelkova-gen-fasta >/dev/null
bin=$top/build
enrich=${ZELKOVA_ENRICH_BIN:-$bin/zelkova-enrich}
work=$top/bench/work/enrich
mkdir -p "$work"

# Case 5 of bench/run.sh with a motif that is not its own reverse complement:
# the palindrome there gives motifs of over 9999 sites, whose count rows the
# report reader cannot split.
[ -f "$work/input.fa" ] || "$bin/zelkova-gen-fasta" 10000 200 5 TGCATTGCCA >"$work/input.fa"
if [ ! -f "$work/report.out" ]; then
  "$bin/zelkova-markov" -o "$work/fg.txt" "$work/input.fa"
  "$bin/zelkova-markov" -m 3 -o "$work/bg.txt" "$work/input.fa"
  (cd "$work" && "$bin/zelkova" -f input.fa -b bg.txt -z fg.txt -l 10 -m 2 -n 10 -o report.out >console.txt)
fi
motifs=$(grep -c '^Motif rank #' "$work/report.out")

[ -f "$work/long.fa" ] || "$bin/zelkova-gen-fasta" 1 50000000 7 >"$work/long.fa"

# timed LABEL INPUT: one run on INPUT with the report, printed as a line.
timed() {
  /usr/bin/time -f '%e %U %S %M' -o "$work/time.txt" \
    "$enrich" "${threads[@]}" -o "$work/enrichment.tsv" "$work/report.out" "$2"
  read -r wall user sys peak <"$work/time.txt"
  printf '%-44s %10s %10s %12s\n' "$1" "$wall" \
    "$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')" \
    "$(awk -v k="$peak" 'BEGIN { printf "%.1f", k / 1024 }')"
}
printf '%-44s %10s %10s %12s\n' input wall_s cpu_s peak_MB
timed "10000 x 200, $motifs motifs, 2 shuffled copies" "$work/input.fa"
timed "1 x 50000000, $motifs motifs, 2 shuffled copies" "$work/long.fa"
