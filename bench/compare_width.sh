#!/usr/bin/env bash
# Times zelkova-compare on one query motif of 10 to 1000 columns against the
# bundled JASPAR collection (331 motifs, the longest 30 columns), one thread:
# the work grows with the query's width, the memory stays flat. The queries
# are random probability columns (each letter's weight a uniform number
# cubed, then normalised), made once under bench/work/compare_width/ from a
# fixed seed.
#
# usage: bench/compare_width.sh
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

[ -x /usr/bin/time ] || scripts/install-deps.sh time
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target zelkova-compare >/dev/null
work=$top/bench/work/compare_width
mkdir -p "$work"

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) processors"
printf '%-10s %8s %8s %9s\n' columns wall_s cpu_s peak_MB
for width in 10 30 100 300 1000; do
  query=$work/query_$width.meme
  [ -f "$query" ] || awk -v w="$width" 'BEGIN {
      srand(w)
      printf "MEME version 4\n\nALPHABET= ACGT\n\nMOTIF q%d\nletter-probability matrix: alength= 4 w= %d nsites= 20 E= 0\n", w, w
      for (i = 0; i < w; i++) {
        t = 0
        for (b = 0; b < 4; b++) { p[b] = rand() ^ 3; t += p[b] }
        printf "%.6f %.6f %.6f %.6f\n", p[0] / t, p[1] / t, p[2] / t, 1 - (p[0] + p[1] + p[2]) / t
      }
    }' >"$query"
  /usr/bin/time -f '%e %U %S %M' -o "$work/time.txt" build/zelkova-compare -o "$work/matches_$width.tsv" "$query"
  read -r wall user sys peak <"$work/time.txt"
  printf '%-10s %8s %8s %9s\n' "$width" "$wall" "$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')" \
    "$(awk -v k="$peak" 'BEGIN { printf "%.0f", k / 1024 }')"
done
