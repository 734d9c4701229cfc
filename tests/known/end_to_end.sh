#!/usr/bin/env bash
# Known-motif enrichment with the real binaries. Generated peaks with two
# database motifs planted (CTCF and REST of the bundled collection):
#   - zelkova-enrich --db ranks both above every other motif with q < 0.01,
#     the same for every thread count; refused command lines and databases;
#   - zelkova-export --format html --enrichment shows the best of them with
#     their logos, checked in headless Chromium;
#   - zelkova-discover writes known.tsv, the page's section and the log's
#     lines, and marks the planted motifs as re-finding the motifs it found;
#     its known.tsv adds the central columns (the planted sites, placed
#     anywhere, are not central) and zelkova-export reads it; --no-known
#     leaves them out; motifs.meme gives zelkova-enrich the
#     E-values of the searches' reports, up to the number of motifs tested.
#
# usage: end_to_end.sh BIN_DIR PROJECT_DIR [--save-screenshot FILE.png]
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
project=$(cd "$2" && pwd)
save_to=""
if [ "${3:-}" = "--save-screenshot" ]; then save_to=$(realpath -m "$4"); fi

source "$project/tests/checks.sh"
source "$project/tests/browser.sh"
find_browser
cd "$work"

vertebrates=$project/data/jaspar/jaspar_vertebrates.pfm
insects=$project/data/jaspar/jaspar_insecta.jaspar
database_size=$(($(grep -c '^>' "$vertebrates") + $(grep -c '^>' "$insects")))
"$bin_dir/zelkova-gen-planted" 400 200 7 "$vertebrates" MA0139.1 0.3 planted.tsv MA0138.2 0.3 >peaks.fa

# --- zelkova-enrich --db -------------------------------------------------------
"$bin_dir/zelkova-enrich" --db "$vertebrates" --db "$insects" -p 1 -o known.tsv peaks.fa 2>err.txt ||
  fail "enrich --db: $(cat err.txt)"
"$bin_dir/zelkova-enrich" --db "$vertebrates" --db "$insects" -p 3 peaks.fa >known3.tsv
cmp -s known.tsv known3.tsv || fail "enrich --db: another table with 3 threads"
[ "$(head -1 known.tsv)" = $'rank\tid\tname\tconsensus\tthreshold\tprimary_hits\tprimary_total\tcontrol_hits\tcontrol_total\tlog10_p\tlog10_E\tq\tsame_sites_as' ] ||
  fail "enrich --db: header $(head -1 known.tsv)"
[ "$(($(wc -l <known.tsv) - 1))" -eq "$database_size" ] || fail "enrich --db: not one line per database motif"
top=$(awk -F'\t' 'NR == 2 || NR == 3 { print $2 }' known.tsv | sort | tr '\n' ' ')
[ "$top" = "MA0138.2 MA0139.1 " ] || fail "enrich --db: the planted motifs are not on top: $top"
awk -F'\t' '(NR == 2 || NR == 3) && !($12 + 0 < 0.01) { print $2 " q " $12 }' known.tsv >large_q.txt
[ ! -s large_q.txt ] || fail "enrich --db: planted motifs with q >= 0.01: $(cat large_q.txt)"
awk -F'\t' 'NR > 1 && $1 != NR - 1 { print "rank " $1 " on line " NR }' known.tsv >ranks.txt
[ ! -s ranks.txt ] || fail "enrich --db: $(head -1 ranks.txt)"

expect_refusal() {  # MESSAGE ARGS...
  local message=$1 status=0
  shift
  "$bin_dir/zelkova-enrich" -o refused.tsv "$@" >/dev/null 2>err.txt || status=$?
  [ "$status" -eq 1 ] || fail "$*: status $status, expected 1"
  grep -q -- "$message" err.txt || fail "$*: expected '$message', got: $(cat err.txt)"
  [ ! -e refused.tsv ] || fail "$*: an output file was written"
  rm -f refused.tsv
}
expect_refusal "^Error: $vertebrates:1: motif MA0004.1 is already in $vertebrates:1; identifiers must be unique" \
  --db "$vertebrates" --db "$vertebrates" peaks.fa
expect_refusal '^Error: --sites lists the windows' --db "$vertebrates" --sites s.tsv peaks.fa
expect_refusal '^Error: more than two files given (with --db, no MOTIFS file is given)' --db "$vertebrates" "$insects" peaks.fa peaks.fa
printf 'MEME version 4\n\nMOTIF M1\nletter-probability matrix: w= 2\n1 0 0 0\n0 1 0 0\n0 0 1 0\n' >long.meme
expect_refusal '^Error: long.meme:7: the matrix of M1 has more rows than its w= 2' --db long.meme peaks.fa

# --- the page of the table ----------------------------------------------------
"$bin_dir/zelkova-export" -f html --enrichment known.tsv -o known.html "$vertebrates" "$insects" 2>err.txt ||
  fail "export html of known.tsv: $(cat err.txt)"
run_browser --dump-dom "file://$work/known.html" >dom.html || fail "Chromium could not load the page"
rows=$(tr -d '\n' <dom.html | sed 's/<table class="known sortable">/\n&/; s/<\/table>/&\n/g' |
  awk '/^<table class="known sortable">/ { print; exit }' | sed 's/<tr>/\n<tr>/g' | grep -c '^<tr><td class="num">[0-9]*</td><td>MA[0-9.]*.*<svg' || true)
[ "$rows" -eq 25 ] || fail "known page: $rows rows with a logo, expected the best 25"
grep -q '<a href="known.tsv">known.tsv</a> lists all' dom.html || fail "known page: no link to the whole table"
enriched=$(awk -F'\t' 'NR > 1 && $12 + 0 < 0.05' known.tsv | wc -l)
grep -q "$enriched of $database_size motifs have a q-value below 0.05" dom.html || fail "known page: the count of enriched motifs"
check_screenshot "$work/known.html" "$work/known.png"
if [ -n "$save_to" ]; then cp known.png "$save_to"; fi
# A table row whose motif the files do not hold is refused at its line.
status=0
"$bin_dir/zelkova-export" -f html --enrichment known.tsv -o partial.html "$insects" 2>err.txt || status=$?
[ "$status" -eq 1 ] && grep -q '^Error: known.tsv:2: motif MA0[0-9.]* is not in the motif files given' err.txt ||
  fail "known page of other files: status $status, $(cat err.txt)"

# --- zelkova-discover ------------------------------------------------------------
"$bin_dir/zelkova-discover" peaks.fa -o found --lengths 12,16 --decoy no 2>err.txt || fail "discover: $(cat err.txt)"
[ -f found/known.tsv ] || fail "discover: no known.tsv"
top=$(awk -F'\t' 'NR == 2 || NR == 3 { print $2 }' found/known.tsv | sort | tr '\n' ' ')
[ "$top" = "MA0138.2 MA0139.1 " ] || fail "discover: the planted motifs are not on top of known.tsv: $top"
refinds=$(awk -F'\t' '(NR == 2 || NR == 3) && $13 ~ /^ZELKOVA-[0-9]+$/' found/known.tsv | wc -l)
[ "$refinds" -eq 2 ] || fail "discover: the planted motifs are not marked as re-finding a motif found: $(sed -n 2,3p found/known.tsv)"
grep -q "^known motifs: $database_size tested on all 400 primary sequences" found/log.txt || fail "discover: no known motifs in the log"
# known.tsv of zelkova-discover adds the central columns: a result for every
# enriched motif (the windows are all of 200 letters), NA for the others;
# the planted sites lie anywhere in their windows, so neither planted motif
# is central. zelkova-export reads the table as it reads zelkova-enrich's.
[ "$(head -1 found/known.tsv)" = "$(head -1 known.tsv)"$'\tcentral_log10_p\tcentral_width' ] ||
  fail "discover: known.tsv header $(head -1 found/known.tsv)"
awk -F'\t' 'NR > 1 && $12 + 0 < 0.05 && !($14 ~ /^-?[0-9]+\.[0-9][0-9][0-9]$/ && $15 ~ /^[0-9]+$/) { print "enriched: " $0 }
  NR > 1 && $12 + 0 >= 0.05 && ($14 != "NA" || $15 != "NA") { print "not enriched: " $0 }
  (NR == 2 || NR == 3) && $14 + 0 < -2 { print "central though planted anywhere: " $0 }' found/known.tsv >central.txt
[ ! -s central.txt ] || fail "discover: known.tsv central columns: $(head -3 central.txt)"
"$bin_dir/zelkova-export" -f html --enrichment found/known.tsv -o found_known.html "$vertebrates" "$insects" 2>err.txt ||
  fail "export html of discover's known.tsv: $(cat err.txt)"
grep -q '^  1\. MA013[89]\.[12] ' found/log.txt || fail "discover: the best known motif is not in the log"
grep -q '<section id="known">' found/index.html || fail "discover: no section of known motifs on the page"
grep -q 'sites mostly those of <a href="#ZELKOVA-[0-9]*">' found/index.html || fail "discover: the page does not link the re-found motif"
"$bin_dir/zelkova-discover" peaks.fa -o without --lengths 12 --decoy no --no-known 2>err.txt || fail "--no-known: $(cat err.txt)"
[ ! -e without/known.tsv ] || fail "--no-known: known.tsv written"
! grep -q '<section id="known">' without/index.html || fail "--no-known: a section of known motifs"
grep -q '^known motifs: not tested (--no-known)' without/log.txt || fail "--no-known: the log does not say so"
# A forced run with --no-known removes the known.tsv of the run before.
"$bin_dir/zelkova-discover" peaks.fa -o found --lengths 12 --decoy no --no-known --force 2>err.txt
[ ! -e found/known.tsv ] || fail "--force --no-known: the old known.tsv is left"

# motifs.meme read by zelkova-enrich: every motif tested as zelkova-discover
# tested it (same threshold, counts and corrected p: its matrix as the file
# holds it, refined or its search's), the E-value taken over the motifs of
# the file instead; a motif not refined tested as its search's report tests
# it.
"$bin_dir/zelkova-discover" peaks.fa -o again --lengths 12,16 --decoy no --no-known 2>/dev/null
"$bin_dir/zelkova-enrich" -o meme.tsv again/motifs.meme peaks.fa
for report in again/runs/*.out; do "$bin_dir/zelkova-enrich" "$report" peaks.fa | sed 1d; done >reports.tsv
n=$(($(wc -l <meme.tsv) - 1))
tested=$(sed -n 's/.*; matrices tested: \([0-9]*\)$/\1/p' again/log.txt)
[ -n "$tested" ] || fail "the log does not say how many matrices were tested"
sed -n 's/^  [a-z0-9_]*-[0-9]*: [ACGT]* (log10 E [^)]*) -> \([ACGT]*\) (.*/\1/p' again/log.txt >refined.txt
awk -F'\t' -v n="$n" -v tested="$tested" 'FILENAME == ARGV[1] { refined[$1] = 1; next }
  FILENAME == ARGV[2] { seen[$4 "\t" $5 "\t" $7 "\t" $10 "\t" $11] = 1; next }
  FILENAME == ARGV[3] { if (FNR > 1) { row[$2] = $6 "\t" $9 "\t" $11; e[$2] = $7 }; next }
  FNR > 1 { if (row[$2] != $4 "\t" $5 "\t" $7) print $2 " is not tested as zelkova-discover tested it: " $4 ", " $5 ", " $7
            # (within 0.05: the threshold candidates counted for p\x27 may differ
            # by the few windows DUST masks for zelkova-discover)
            if (($11 + log(tested) / log(10) - e[$2])^2 > 0.0025) print $2 " p\x27 " $11 " is not the E-value " e[$2] " over " tested
            if (($12 - $11 - log(n) / log(10))^2 > 1e-5) print $2 " E " $12 " is not p times " n
            if (!(($4 "\t" $5 "\t" $7 "\t" $10 "\t" $11) in seen) && !($3 in refined))
              print $2 " is neither refined nor tested as its search report tests it" }' \
  refined.txt reports.tsv again/summary.tsv meme.tsv >twins.txt
[ ! -s twins.txt ] || fail "motifs.meme: $(head -3 twins.txt)"
[ "$n" -gt 0 ] || fail "motifs.meme: no motif"

finish_checks "known motifs: planted database motifs on top with q < 0.01 (zelkova-enrich --db, the page, zelkova-discover)"
