#!/usr/bin/env bash
# The full default run of zelkova-discover on peaks and a genome: the 50,000
# narrowPeak peaks of the generated 1 Gb genome of bench/genome.sh (made here
# the same way when missing, CTCF planted at every summit), plain FASTA with
# its index already built, every default (lengths 8 to 16, GC-matched
# background of ratio 2, DUST, known motifs). Prints the wall time, the
# processor time and the peak memory, the machine's load before and after
# (other work on a shared machine lengthens the wall time), the time of each
# step from log.txt and the best motifs.
#
# usage: bench/discover_genome.sh [LENGTH [PEAKS [THREADS]]]   (default 1000000000 50000 2)
# Inputs under bench/work/genome/, the run's directory bench/work/genome/discover/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
length=${1:-1000000000}
peaks=${2:-50000}
threads=${3:-2}

[ -x /usr/bin/time ] || scripts/install-deps.sh time
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j 2 --target zelkova-gen-genome zelkova-discover >/dev/null
work=$top/bench/work/genome
mkdir -p "$work"
prefix=$work/genome_${length}_${peaks}
[ -f "$prefix.narrowPeak" ] || build/zelkova-gen-genome "$prefix" "$length" 10 "$peaks" 1
build/zelkova-discover --index-genome --genome "$prefix.fa"
source bench/timed.sh

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-52s %8s %8s %9s\n' run wall_s cpu_s peak_MB
rm -rf "$work/discover"
timed "$peaks peaks, 1 Gb genome, defaults, $threads threads" \
  build/zelkova-discover --peaks "$prefix.narrowPeak" --genome "$prefix.fa" -o "$work/discover" -p "$threads"
echo
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
sed -n '/^steps:/,$p' "$work/discover/log.txt"
cut -f1-7,13,14 "$work/discover/summary.tsv" | head -6
