#!/usr/bin/env bash
# Times zelkova-scan:
#   1. 20 JASPAR matrices (the first 20 of the bundled vertebrate collection)
#      over a generated genome of 100 Mb in 4 chromosomes, at p < 1e-4,
#      through the genome's index, on one thread and on every processor;
#   2. 900 motifs (bench/db900.sh) over 10,000 generated peaks of 200
#      letters, at p < 1e-4, on one thread and on every processor;
#   3. the look-ahead filter against scoring every window whole (what
#      FIMO-style scanners do), both on one thread over the first 10 Mb of the
#      genome, with the same sites found (zelkova-bench-scan);
#   4. real DNA: the 126 insect matrices of the bundled collection over the
#      26,454 fly upstream regions of Debian's r-bioc-biostrings (53 Mb), with
#      the number of sites of each motif against what background DNA would
#      give (windows x 1e-4), the five most over-represented listed.
# Prints wall time, CPU time (user + system) and peak memory per run.
#
# usage: bench/scan.sh
# Inputs are made once under bench/work/scan/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

[ -x /usr/bin/time ] || scripts/install-deps.sh time
scripts/install-deps.sh >/dev/null
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target zelkova-scan zelkova-export zelkova-gen-genome zelkova-gen-planted \
  zelkova-bench-scan >/dev/null
bin=$top/build
work=$top/bench/work/scan
mkdir -p "$work"
source "$top/bench/timed.sh"
source "$top/bench/db900.sh"

genome=$work/g100.fa
[ -f "$genome" ] || "$bin/zelkova-gen-genome" "$work/g100" 100000000 4 10 7 >/dev/null
motifs20=$work/m20.pfm
awk '/^>/ { n++ } n <= 20' data/jaspar/jaspar_vertebrates.pfm >"$motifs20"
peaks=$work/peaks_10000x200.fa
[ -f "$peaks" ] || "$bin/zelkova-gen-planted" 10000 200 10000 data/jaspar/jaspar_vertebrates.pfm MA0139.1 0.3 \
  "$peaks.sites" >"$peaks"
db=$work/db900.jaspar
make_db900 "$bin" "$work" "$db"

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) processors"
printf '%-52s %8s %8s %9s\n' run wall_s cpu_s peak_MB
rm -f "$genome.fai"
timed "20 motifs, 100 Mb genome, -p 1 (index built)" "$bin/zelkova-scan" -p 1 -o "$work/g100_p1.tsv" "$motifs20" --genome "$genome"
echo "   $(($(wc -l <"$work/g100_p1.tsv") - 1)) sites"
timed "20 motifs, 100 Mb genome, every processor" "$bin/zelkova-scan" -o "$work/g100.tsv" "$motifs20" --genome "$genome"
echo
cmp -s "$work/g100_p1.tsv" "$work/g100.tsv" || { echo "the thread counts disagree" >&2; exit 1; }
timed "900 motifs, 10000 x 200 peaks, -p 1" "$bin/zelkova-scan" -p 1 -o "$work/peaks_p1.tsv" "$db" "$peaks"
echo "   $(($(wc -l <"$work/peaks_p1.tsv") - 1)) sites"
timed "900 motifs, 10000 x 200 peaks, every processor" "$bin/zelkova-scan" -o "$work/peaks.tsv" "$db" "$peaks"
echo
cmp -s "$work/peaks_p1.tsv" "$work/peaks.tsv" || { echo "the thread counts disagree" >&2; exit 1; }

echo "== look-ahead against every window scored whole (one thread)"
"$bin/zelkova-bench-scan" "$motifs20" "$genome" 1e-4 10
"$bin/zelkova-bench-scan" "$db" "$peaks" 1e-4 2

echo "== real DNA: 126 insect matrices over the fly upstream regions"
upstream=$work/deb/usr/lib/R/site-library/Biostrings/extdata/dm3_upstream2000.fa.gz
if [ ! -f "$upstream" ]; then
  (cd "$work" && apt-get download r-bioc-biostrings >/dev/null && dpkg-deb -x r-bioc-biostrings_*.deb deb)
fi
[ -f "$upstream" ] || { echo "no dm3_upstream2000.fa.gz in r-bioc-biostrings" >&2; exit 1; }
timed "126 motifs, 26454 x 2000 fly upstream, every processor" "$bin/zelkova-scan" -o "$work/fly.tsv" \
  data/jaspar/jaspar_insecta.jaspar "$upstream"
echo
# Sites per motif against windows x 1e-4 (the windows: 2 strands of every
# window of bases, about 2 x 52.9 Mb).
letters=$(zcat "$upstream" | grep -v '^>' | tr -d '\nNn' | wc -c)
awk -F'\t' -v letters="$letters" 'NR > 1 { n[$1 " " $2]++; w[$1 " " $2] = $5 - $4 + 1 }
  END { for (m in n) printf "%.2f %d %s\n", n[m] / (2 * letters * 1e-4), n[m], m }' "$work/fly.tsv" |
  sort -g >"$work/fly_ratio.txt"
echo "sites / expected at p < 1e-4 (median over motifs): $(awk '{ r[NR] = $1 } END { print r[int((NR + 1) / 2)] }' "$work/fly_ratio.txt")"
echo "most over-represented:"
tail -5 "$work/fly_ratio.txt" | sort -gr | sed 's/^/   /'
echo "q-values below 0.05: $(awk -F'\t' 'NR > 1 && $9 + 0 <= 0.05' "$work/fly.tsv" | wc -l) of $(($(wc -l <"$work/fly.tsv") - 1)) sites"
