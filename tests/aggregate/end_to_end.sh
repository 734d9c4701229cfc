#!/usr/bin/env bash
# zelkova-aggregate with the real binary on fixed sample directories: the
# whole table and page (date masked) compared with the expected files,
# --top and --name, and the refused inputs, which name the file and line and
# leave no output behind.
#
# usage: end_to_end.sh BIN_DIR DATA_DIR
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
data=$(cd "$2" && pwd)
source "$(dirname "$0")/../checks.sh"
cd "$work"
cp -r "$data/samples" samples
mkdir out
aggregate() { "$bin_dir/zelkova-aggregate" "$@"; }

# The page records when it was made; the rest is compared whole.
mask_date() { sed -E 's/ on [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8} [A-Z+0-9-]+\.<\/p>/ on DATE.<\/p>/' "$1"; }

# --- the whole outputs ---------------------------------------------------------
aggregate samples/crp0 samples/empty samples/nodecoy/ --summary out/summary.tsv --html out/index.html 2>err.txt ||
  fail "three samples: $(cat err.txt)"
cmp -s "$data/expected/summary.tsv" out/summary.tsv ||
  fail "summary.tsv differs: $(diff "$data/expected/summary.tsv" out/summary.tsv | head -6)"
mask_date out/index.html >index.masked.html
cmp -s "$data/expected/index.html" index.masked.html ||
  fail "index.html differs: $(diff "$data/expected/index.html" index.masked.html | head -6)"
grep -Eq ' on [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9:]{8} ' out/index.html || fail "index.html records no date"
[ ! -s err.txt ] || fail "messages on standard error: $(cat err.txt)"

# --top, --name, only one output, and links from a page elsewhere.
mkdir -p "deep/page dir"
aggregate --top 1 --name first --name "second sample" samples/crp0 samples/nodecoy --html "deep/page dir/all.html" \
  --summary top1.tsv || fail "--top 1 with --name failed"
[ "$(cut -f1-3 top1.tsv | tail -n +2)" = $'first\t1\tZELKOVA-1\nsecond sample\t1\tZELKOVA-1' ] ||
  fail "--top 1 --name: $(cat top1.tsv)"
grep -qF '<a href="../../samples/crp0/index.html">first</a>' "deep/page dir/all.html" ||
  fail "link from another directory: $(grep -o 'href="[^"]*"' "deep/page dir/all.html" | head -2)"
aggregate samples/crp0 --summary only.tsv && [ -s only.tsv ] || fail "--summary alone"

# --- refused runs: status 1, the message, no output ----------------------------------
# refused MESSAGE ARGS...: zelkova-aggregate ARGS --summary out/s.tsv --html
# out/p.html fails with MESSAGE on standard error and writes nothing.
refused() {
  local message=$1
  shift
  rm -rf out && mkdir out
  local status=0
  aggregate "$@" --summary out/s.tsv --html out/p.html >stdout.txt 2>stderr.txt || status=$?
  [ "$status" -eq 1 ] || fail "$*: status $status, expected 1"
  grep -qF -- "$message" stderr.txt || fail "$*: no message '$message' in: $(cat stderr.txt)"
  [ ! -s stdout.txt ] || fail "$*: wrote to standard output"
  [ -z "$(ls -A out)" ] || fail "$*: left $(ls -A out)"
}
# damaged NAME MESSAGE COMMAND...: a copy of samples/crp0 as samples/NAME,
# changed by COMMAND run inside it, is refused with MESSAGE.
damaged() {
  local name=$1 message=$2
  shift 2
  rm -rf "samples/$name" && cp -r samples/crp0 "samples/$name"
  (cd "samples/$name" && "$@")
  refused "$message" "samples/$name"
}

refused "Error: samples/none is not a directory" samples/crp0 samples/none
damaged nosummary "Error: samples/nosummary/summary.tsv: cannot open the file: No such file or directory" \
  rm summary.tsv
damaged nolog "Error: samples/nolog/log.txt: cannot open the file" rm log.txt
damaged badlog "Error: samples/badlog/log.txt:1: expected \"zelkova-discover (ZELKOVA) VERSION\"" \
  sed -i '1s/.*/zelkova (ZELKOVA) 1.0/' log.txt
damaged header "Error: samples/header/summary.tsv:1: not a zelkova-discover summary.tsv: the header line has no column \"rank\"" sed -i '1s/rank/Rank/' summary.tsv
damaged fields "Error: samples/fields/summary.tsv:3: a summary line needs 21 tab-separated fields, found 20" \
  sed -i '3s/\t[^\t]*$//' summary.tsv
damaged count "Error: samples/count/summary.tsv:4: primary_hits \"ten\" is not a count" \
  sed -i '4s/\t10\t18\t/\tten\t18\t/' summary.tsv
damaged ranks "Error: samples/ranks/summary.tsv:3: the rank 3 should be 2" sed -i '3s/^2/3/' summary.tsv
damaged absent "Error: samples/absent/summary.tsv:5: the motif ZELKOVA-9 is not in samples/absent/motifs.jaspar" \
  sed -i 's/ZELKOVA-4/ZELKOVA-9/' summary.tsv
damaged other "Error: samples/other/summary.tsv:2: the motif ZELKOVA-1 (TGTGAAATAGATCACC) differs from its matrix" \
  sed -i '2s/TGTGAAATAGATCACA/TGTGAAATAGATCACC/' summary.tsv
damaged nojaspar "Error: samples/nojaspar/motifs.jaspar: cannot open the file" rm motifs.jaspar
damaged fraction "Error: samples/fraction/motifs.jaspar:1: the matrix of ZELKOVA-1 does not hold whole counts" \
  sed -i '2s/  2  1/ 2.5 1/' motifs.jaspar
refused "are both named \"crp0\"" samples/crp0 samples/crp0/
refused "Error: 1 --name for 2 DIRs" --name a samples/crp0 samples/empty
refused "Error: --top \"0\" is not a whole number from 1 to 1000." --top 0 samples/crp0
refused "Error: no DIR given." 
# refused_alone MESSAGE ARGS...: zelkova-aggregate ARGS (naming its own
# outputs, if any) fails with MESSAGE.
refused_alone() {
  local message=$1
  shift
  local status=0
  aggregate "$@" 2>stderr.txt || status=$?
  [ "$status" -eq 1 ] && grep -qF -- "$message" stderr.txt || fail "$*: status $status: $(cat stderr.txt)"
}
cp samples/crp0/index.html page.before
refused_alone "Error: the page file samples/crp0/index.html is also an input file." samples/crp0 \
  --html samples/crp0/index.html
cmp -s page.before samples/crp0/index.html || fail "a sample's page was overwritten"
refused_alone "Error: the summary file ./samples/crp0/summary.tsv is also an input file." samples/crp0 \
  --summary ./samples/crp0/summary.tsv
refused_alone "Error: --summary and --html name the same file, ./s.tsv." samples/crp0 --summary s.tsv --html ./s.tsv
refused_alone "Error: nothing to write: give --summary FILE, --html FILE or both." samples/crp0

# A failed run keeps the outputs of an earlier one as they were.
cp "$data/expected/summary.tsv" kept.tsv
status=0
aggregate samples/crp0 samples/none --summary kept.tsv 2>/dev/null || status=$?
[ "$status" -eq 1 ] && cmp -s kept.tsv "$data/expected/summary.tsv" || fail "a failed run changed an earlier summary"

finish_checks "aggregate: all checks passed"
