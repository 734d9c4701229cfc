#!/usr/bin/env bash
# Times known-motif enrichment with a database of 900 motifs on 10000
# generated peaks of 200 letters (sites of the CTCF matrix MA0139.1 planted in
# 30 % of them) against the default control, 2 dinucleotide-shuffled copies
# of every peak: zelkova-enrich --db, on every processor and on one, and the
# "Known motifs" step of zelkova-discover with the same database.
#
# The database: the 331 matrices of the bundled collection (data/jaspar, from
# Debian's r-bioc-pwmenrich) and 569 perturbed copies of them (each count
# multiplied by a factor drawn evenly from 0.6 to 1.4 and rounded; identifiers
# MA0004.1_v1, ...): 900 motifs of the widths of a real collection (4 to 30
# columns), different enough not to repeat each other's scores.
#
# usage: bench/known.sh [-p THREADS] [discover]
# Inputs are made once under bench/work/known/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
threads=()
if [ "${1:-}" = "-p" ]; then threads=(-p "$2"); shift 2; fi

[ -x /usr/bin/time ] || scripts/install-deps.sh time
scripts/install-deps.sh >/dev/null
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target zelkova zelkova-enrich zelkova-export zelkova-discover zelkova-gen-planted >/dev/null
bin=$top/build
work=$top/bench/work/known
mkdir -p "$work"

peaks=$work/peaks_10000x200.fa
[ -f "$peaks" ] || "$bin/zelkova-gen-planted" 10000 200 10000 data/jaspar/jaspar_vertebrates.pfm MA0139.1 0.3 "$peaks.sites" >"$peaks"
db=$work/db900.jaspar
source "$top/bench/db900.sh"
make_db900 "$bin" "$work" "$db"
motifs=$(grep -c '^>' "$db")

source "$top/bench/timed.sh"

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) processors"
printf '%-52s %8s %8s %9s\n' "10000 x 200, $motifs motifs, 2 shuffled copies" wall_s cpu_s peak_MB
timed "zelkova-enrich --db ${threads[*]:-(every processor)}" "$bin/zelkova-enrich" --db "$db" "${threads[@]}" -o "$work/known.tsv" "$peaks"
echo
timed "zelkova-enrich --db -p 1" "$bin/zelkova-enrich" --db "$db" -p 1 -o "$work/known_p1.tsv" "$peaks"
echo
cmp -s "$work/known.tsv" "$work/known_p1.tsv" || { echo "the tables of 1 and more threads differ"; exit 1; }
echo "best: $(awk -F'\t' 'NR == 2 || NR == 3 { printf "%s %s q %s; ", $2, $3, $12 }' "$work/known.tsv")"

if [ "${1:-}" = discover ]; then
  rm -rf "$work/out"
  timed "zelkova-discover --db (whole run)" "$bin/zelkova-discover" "$peaks" --db "$db" -o "$work/out" "${threads[@]}"
  echo
  grep '^  Known motifs:' "$work/out/log.txt"
fi
