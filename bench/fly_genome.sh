#!/usr/bin/env bash
# Real DNA for the peaks-and-genome path: a pseudo-genome of the 26,454 fly
# upstream regions of Debian's r-bioc-biostrings (extdata/dm3_upstream2000.fa.gz,
# 2000 letters each, about 53 Mb), joined in order into 4 chromosomes with 100 N
# between regions, as plain and bgzip-compressed FASTA, and 600 narrowPeak
# peaks in its GC-rich stretches with a Su(H) site (MA0085.1 consensus
# CTGTGGGAAACG) planted at each summit; then the windows and the GC-matched
# background drawn from it, timed (zelkova-bench-background).
#
# usage: bench/fly_genome.sh
# Writes bench/work/fly/: fly.fa, fly.fa.gz, fly.narrowPeak (made once).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/install-deps.sh tabix >/dev/null   # bgzip
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target zelkova-gen-genome zelkova-bench-background >/dev/null
work=$top/bench/work/fly
mkdir -p "$work"
cd "$work"
upstream=$work/deb/usr/lib/R/site-library/Biostrings/extdata/dm3_upstream2000.fa.gz
if [ ! -f "$upstream" ]; then
  apt-get download r-bioc-biostrings >/dev/null
  dpkg-deb -x r-bioc-biostrings_*.deb deb
fi
[ -f "$upstream" ] || { echo "no dm3_upstream2000.fa.gz in r-bioc-biostrings" >&2; exit 1; }
if [ ! -f fly.narrowPeak ]; then
  "$top/build/zelkova-gen-genome" --from "$upstream" fly 4 600 7 CTGTGGGAAACG
  bgzip -c fly.fa >fly.fa.gz
fi
for genome in fly.fa fly.fa.gz; do
  echo "== $genome"
  "$top/build/zelkova-bench-background" "$genome" fly.narrowPeak
done
