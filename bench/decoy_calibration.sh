#!/usr/bin/env bash
# How often the best motif of random DNA beats the decoy: zelkova-discover on
# SEEDS generated sets of 30 random sequences of 150 letters (no motif
# planted), default settings. Prints one line per seed and the count.
#
# usage: bench/decoy_calibration.sh [SEEDS]   (default 24)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
seeds=${1:-24}
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target zelkova-discover zelkova-gen-planted >/dev/null
work=$top/bench/work/decoy
mkdir -p "$work"
beaten=0
for seed in $(seq 1 "$seeds"); do
  build/zelkova-gen-planted 30 150 "$seed" >"$work/random.fa"
  rm -rf "$work/out"
  build/zelkova-discover "$work/random.fa" -o "$work/out" 2>/dev/null
  line=$(awk -F'\t' 'NR == 2 { print "best log10 E " $7 ", beats the decoy: " $8 }' "$work/out/summary.tsv")
  echo "seed $seed: $line ($(grep '^decoy best' "$work/out/log.txt"))"
  case $line in *yes) beaten=$((beaten + 1)) ;; esac
done
echo "the best motif beat the decoy in $beaten of $seeds random sets"
