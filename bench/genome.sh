#!/usr/bin/env bash
# Times the way from a peak file and a genome to the peak windows and their
# GC-matched background (zelkova-bench-background: genome index, peaks,
# windows, letters, background draw, background letters) on a generated
# genome of 1 Gb in 10 chromosomes with 50,000 narrowPeak peaks, plain and
# bgzip-compressed, with the index built and with it already there.
# Prints wall time, CPU time and peak memory per run, and the steps of each.
#
# usage: bench/genome.sh [LENGTH [PEAKS]]     (default 1000000000 50000)
# Inputs are made once under bench/work/genome/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
length=${1:-1000000000}
peaks=${2:-50000}

[ -x /usr/bin/time ] || scripts/install-deps.sh time
scripts/install-deps.sh tabix >/dev/null   # bgzip
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target zelkova-gen-genome zelkova-bench-background >/dev/null
work=$top/bench/work/genome
mkdir -p "$work"
prefix=$work/genome_${length}_${peaks}
if [ ! -f "$prefix.narrowPeak" ]; then
  build/zelkova-gen-genome "$prefix" "$length" 10 "$peaks" 1
  bgzip -@ "$(nproc)" -c "$prefix.fa" >"$prefix.fa.gz"
fi

printf '%-34s %8s %8s %9s\n' run wall_s cpu_s peak_MB
timed() {  # LABEL GENOME
  /usr/bin/time -f '%e %U %S %M' -o "$work/time.txt" build/zelkova-bench-background "$2" "$prefix.narrowPeak" \
    >"$work/steps.txt" 2>&1 || { cat "$work/steps.txt"; exit 1; }
  read -r wall user sys peak <"$work/time.txt"
  printf '%-34s %8s %8s %9s\n' "$1" "$wall" "$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.1f", u + s }')" \
    "$(awk -v k="$peak" 'BEGIN { printf "%.0f", k / 1024 }')"
  sed 's/^/    /' "$work/steps.txt"
}
rm -f "$prefix.fa.fai" "$prefix.fa.gz.fai" "$prefix.fa.gz.gzi"
timed "plain FASTA, index built" "$prefix.fa"
timed "plain FASTA, index there" "$prefix.fa"
timed "bgzip FASTA, index built" "$prefix.fa.gz"
timed "bgzip FASTA, index there" "$prefix.fa.gz"
