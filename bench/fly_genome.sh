#!/usr/bin/env bash
# Real DNA for the peaks-and-genome path: a pseudo-genome of the 26,454 fly
# upstream regions of Debian's r-bioc-biostrings (extdata/dm3_upstream2000.fa.gz,
# 2000 letters each, about 53 Mb), joined in order into 4 chromosomes with 100 N
# between regions, as plain and bgzip-compressed FASTA, and 600 narrowPeak
# peaks in its GC-rich stretches with a Su(H) site (MA0085.1 consensus
# CTGTGGGAAACG) planted at each summit; then the windows and the GC-matched
# background drawn from it, timed (zelkova-bench-background); then the full
# default run of zelkova-discover --peaks --genome on it, timed, with the rank
# of the planted motif (the first motif whose sites lie on a third of the
# planted sites), its best known match, and the central enrichment of the
# motifs found and of the enriched known motifs; last the same peaks with
# nothing planted, the null of central enrichment on real DNA.
#
# usage: bench/fly_genome.sh
# Writes bench/work/fly/: fly.fa, fly.fa.gz, fly.narrowPeak (made once), and
# the run's directory discover/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/install-deps.sh tabix >/dev/null   # bgzip
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target zelkova-gen-genome zelkova-bench-background zelkova-discover >/dev/null
[ -x /usr/bin/time ] || scripts/install-deps.sh time
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

source "$top/bench/timed.sh"
# discover DIR LABEL [OPTIONS...]: the full default run (and OPTIONS), timed;
# the planted motif's rank (the first motif whose sites lie on a third of the
# planted sites: a site's centre within 6 letters of a summit), the best
# motifs, the known motifs enriched and the steps.
discover() {
  local dir=$1 label=$2
  shift 2
  echo "== zelkova-discover --peaks fly.narrowPeak --genome fly.fa $*"
  echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
  rm -rf "$dir"
  timed "$label" "$top/build/zelkova-discover" --peaks fly.narrowPeak --genome fly.fa -o "$dir" -p 2 "$@"
  echo
  echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
  awk -F'\t' 'FILENAME == ARGV[1] { summit[$1 ":" $2 + $10] = 1; peaks++; next }
    FILENAME == ARGV[2] { if (FNR > 1) order[$1] = $2; next }
    { c = int(($2 + $3) / 2); for (d = -6; d <= 6; d++) if (summit[$1 ":" c + d] && !seen[$4 ":" $1 ":" c + d]++) { on[$4]++; break } }
    END { best = 0; for (id in on) if (on[id] >= peaks / 3 && (best == 0 || order[id] < best)) { best = order[id]; name = id }
          if (best) print "planted motif: rank " best " (" name "), on " on[name] " of " peaks " planted sites"
          else print "planted motif: not among the reported motifs" }' \
    fly.narrowPeak <(cut -f1,2 "$dir/summary.tsv" | awk -F'\t' '{ print $2 "\t" $1 }') "$dir/sites.bed"
  cut -f1,2,5,7,13,14,15 "$dir/summary.tsv" | head -6
  awk -F'\t' 'NR > 1 && $12 + 0 < 0.05 { n++; if ($13 == "NA") own++ }
    END { print n + 0 " known motifs with q < 0.05, " own + 0 " of them not on the sites of a motif found" }' "$dir/known.tsv"
  # Central enrichment: the planted sites sit at the summits; the other
  # motifs' sites lie where real DNA puts them, so few should look central.
  awk -F'\t' 'NR > 1 { printf "central: rank %s log10 p %s, window %s\n", $1, $20, $21 }' "$dir/summary.tsv" | head -4
  awk -F'\t' 'NR > 1 && $12 + 0 < 0.05 { n++; central = $14 != "NA" && $14 + 0 < log(0.05) / log(10)
      if (central) c++; if (central && $13 == "NA") own++ }
    END { print c + 0 " of " n + 0 " enriched known motifs central, " own + 0 " of them not on the sites of a motif found" }' \
    "$dir/known.tsv"
  sed -n '/^steps:/,$p' "$dir/log.txt"
}
discover discover "600 peaks, fly pseudo-genome, defaults, 2 threads"
discover shuffled "600 peaks, fly pseudo-genome, shuffled control" --shuffled-control

# The null of central enrichment on real DNA: the same peaks with nothing
# planted, against shuffled copies, so that real DNA's words make known
# motifs enriched wherever they lie in the windows.
[ -f fly0.narrowPeak ] || "$top/build/zelkova-gen-genome" --from "$upstream" fly0 4 600 7 ""
echo "== zelkova-discover --peaks fly0.narrowPeak --genome fly0.fa --shuffled-control (nothing planted)"
rm -rf nothing
"$top/build/zelkova-discover" --peaks fly0.narrowPeak --genome fly0.fa -o nothing -p 2 --shuffled-control 2>/dev/null
awk -F'\t' 'NR > 1 { printf "central: rank %s log10 p %s, window %s\n", $1, $20, $21 }' nothing/summary.tsv | head -4
awk -F'\t' 'NR > 1 && $12 + 0 < 0.05 { n++; if ($14 != "NA" && $14 + 0 < log(0.05) / log(10)) c++; if ($14 != "NA" && $14 + 0 < -2) d++ }
  END { print c + 0 " of " n + 0 " enriched known motifs central at p < 0.05, " d + 0 " at p < 0.01" }' nothing/known.tsv
