#!/usr/bin/env bash
# Known-motif enrichment and the motif readers on real fly DNA: the 20 tinman
# ChIP peaks of Debian's r-bioc-pwmenrich (extdata/tinman-early-top20.fa, 2 to
# 6 kb each) against the insect JASPAR matrices of the same package, in which
# tinman is MA0247.1 (the MA0247 family of JASPAR).
#   - zelkova-enrich --db on the central 2000 letters of each peak, against
#     2 dinucleotide-shuffled copies and against 2000 fly upstream regions of
#     2000 letters (r-bioc-biostrings, extdata/dm3_upstream2000.fa.gz): the
#     rank, E and q of tin;
#   - zelkova-compare on the package's example.transfac (a TRANSFAC file of
#     RSAT's oligo-analysis, "PO" header and unpadded positions): the best
#     match of its tin-like motif;
#   - zelkova-discover on the same peaks and upstream control: the known
#     motifs it reports enriched, and whether tin re-finds a motif it found.
# The packages are fetched with apt-get download into bench/work/tinman/.
#
# usage: bench/known_tinman.sh
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target zelkova zelkova-enrich zelkova-compare zelkova-discover >/dev/null
bin=$top/build
work=$top/bench/work/tinman
mkdir -p "$work"
cd "$work"

for package in r-bioc-pwmenrich r-bioc-biostrings; do
  if ! ls "$package"_*.deb >/dev/null 2>&1; then apt-get download "$package" >/dev/null 2>&1; fi
  [ -d "$package" ] || dpkg -x "$package"_*.deb "$package"
done
extdata=r-bioc-pwmenrich/usr/lib/R/site-library/PWMEnrich/extdata
insects=$extdata/jaspar-insecta.jaspar
# The central 2000 letters of each peak, as long as the upstream regions: the
# chance of a good window grows with a sequence's length.
awk '/^>/ { if (s != "") print h "\n" substr(s, int((length(s) - 2000) / 2) + 1, 2000); h = $0; s = ""; next }
  { s = s $0 } END { print h "\n" substr(s, int((length(s) - 2000) / 2) + 1, 2000) }' \
  "$extdata/tinman-early-top20.fa" >tinman2000.fa
zcat r-bioc-biostrings/usr/lib/R/site-library/Biostrings/extdata/dm3_upstream2000.fa.gz |
  awk '/^>/ { n++ } n <= 2000' >upstream2000.fa

tin_line() {  # TABLE: rank, E and q of MA0247.1
  awk -F'\t' -v n="$(($(wc -l <"$1") - 1))" '$2 == "MA0247.1" {
    printf "tin rank %s of %d, %d/%d vs %d/%d sequences, log10 E %s, q %s\n", $1, n, $6, $7, $8, $9, $11, $12 }' "$1"
}
echo "== zelkova-enrich --db, $(grep -c '^>' "$insects") insect matrices, 20 tinman peaks (central 2000 letters)"
"$bin/zelkova-enrich" --db "$insects" -o shuffled.tsv tinman2000.fa
echo "against 2 shuffled copies:       $(tin_line shuffled.tsv)"
"$bin/zelkova-enrich" --db "$insects" -o upstream.tsv tinman2000.fa upstream2000.fa
echo "against 2000 upstream regions:   $(tin_line upstream.tsv)"
echo "best three against the upstream regions:"
awk -F'\t' 'NR > 1 && NR <= 4 { printf "  %s %s %s q %s\n", $1, $2, $3, $12 }' upstream.tsv

echo "== zelkova-compare on example.transfac (RSAT oligo-analysis)"
"$bin/zelkova-compare" --top 1 --db "$insects" "$extdata/example.transfac" | cut -f1-4,8,9

echo "== zelkova-discover, control: the upstream regions"
rm -rf discovered
"$bin/zelkova-discover" tinman2000.fa -c upstream2000.fa --db "$insects" -o discovered 2>/dev/null
awk -F'\t' 'NR > 1 && NR <= 4 { printf "  motif %s %s E 10^%s, best match %s %s (E %s)\n", $1, $5, $7, $13, $14, $15 }' discovered/summary.tsv
echo "  known: $(tin_line discovered/known.tsv), re-finds: $(awk -F'\t' '$2 == "MA0247.1" { print $13 }' discovered/known.tsv)"
grep '^known motifs:' discovered/log.txt
