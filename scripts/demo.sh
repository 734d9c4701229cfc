#!/usr/bin/env bash
# Builds ZELKOVA and runs zelkova-discover on the bundled CRP example: motifs
# of every length, their significance against shuffled DNA and the known
# motifs they resemble, in one page. Prints where the page is and the best
# motifs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" >/dev/null

mkdir -p out
# --force: the demo may run again into the same directory.
build/zelkova-discover examples/crp0.fa -o out/crp0 --force
echo
echo "Page: $top/out/crp0/index.html"
echo "Best motifs (out/crp0/summary.tsv):"
cut -f1,3-5,7,8,13,14 out/crp0/summary.tsv | head -4
