#!/usr/bin/env bash
# Builds ZELKOVA and runs it on the bundled CRP example: makes both Markov
# models with zelkova-markov, finds motifs of length 16 and shows the best one.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" >/dev/null

mkdir -p out
cd out
cp ../examples/crp0.fa .
# Foreground: the input itself, order 7. Background: for this small example the
# same sequences at order 3 (base composition, too coarse to model the motif);
# with real data use a large set of comparable sequences instead.
../build/zelkova-markov -o crp0_fg.txt crp0.fa
../build/zelkova-markov -m 3 -o crp0_bg.txt crp0.fa
../build/zelkova -f crp0.fa -l 16 -b crp0_bg.txt -z crp0_fg.txt
echo
echo
echo "Report: $top/out/crp0.out"
echo "Best motif:"
sed -n '/^Motif rank #1$/,/^####/p' crp0.out
