#!/usr/bin/env bash
# Renders the page zelkova-discover writes for the bundled example in
# headless Chromium and fails when it is broken:
#   - the DOM Chromium builds must hold the run summary (with what was masked
#     and whether sites.bed was written) and the verdict, one row per motif of
#     summary.tsv in the motif table, each with its logo and conditional
#     E-value, the simple repeats set apart, and one section per motif, each
#     with the logos of both strands drawn with letters, its E-value, the
#     motifs it explains and its known matches;
#   - a click on the Position heading of a site table sorts it;
#   - the screenshot (1200 x 1600) must not be tiny, nearly all one colour, or
#     lack any of the four logo colours;
#   - the page of a run on peaks and a generated genome must draw the GC
#     histograms of the peaks and the background (bars of both), list the
#     windows per GC bin, and show the sites' genome positions as links;
#     the planted motif's histogram of site positions (bars, the uniform
#     expectation, the central window shaded), the section of central
#     enrichment, the verdict's sentence and the sites' p-values.
# Without Chromium the check fails.
#
# usage: tests/discover/check_page_in_browser.sh [BUILD_DIR] [--save-screenshot FILE.png]
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/browser.sh"
page_check_arguments "$@"
source "$repo/tests/discover/common.sh"
find_browser
cd "$work"

# As README.md runs it, with the program found on the PATH.
cp "$repo/examples/crp0.fa" .
PATH="$bin_dir:$PATH" zelkova-discover crp0.fa -o crp 2>progress.txt || { echo "FAIL: $(cat progress.txt)"; exit 1; }
motifs=$(($(wc -l <crp/summary.tsv) - 1))
[ "$motifs" -gt 0 ] || fail "the example gave no motif"

run_browser --dump-dom "file://$work/crp/index.html" >dom.html || fail "Chromium could not load the page"
grep -q '<h2>Run summary</h2>' dom.html || fail "no run summary in the rendered page"
grep -q '<p class="verdict">The best motif (E = [0-9.e+-]*) beats the decoy' dom.html || fail "no verdict on the decoy"
rows=$(tr -d '\n' <dom.html | sed 's/<table class="summary">/\n&/; s/<\/table>/&\n/g' |
  awk '/^<table class="summary">/ { print; exit }' | sed 's/<tr>/\n<tr>/g' | grep -c '^<tr><td class="num">[0-9]*</td><td><a href="#ZELKOVA-[0-9]*">.*<svg' || true)
[ "$rows" -eq "$motifs" ] || fail "$rows rows with a logo in the motif table, summary.tsv has $motifs motifs"
sections=$(grep -c '<section class="motif" id="ZELKOVA-' dom.html || true)
[ "$sections" -eq "$motifs" ] || fail "$sections motif sections rendered, summary.tsv has $motifs"
awk '/<section class="motif"/ { id = $0; svg = 0; letters = 0; evalue = 0; matches = 0 }
  /<svg/ { svg += gsub(/<svg/, "&") }
  /class="letter-[ACGT]"/ { letters += gsub(/class="letter-[ACGT]"/, "&") }
  /<tr><th>E-value<\/th><td>[0-9]\.[0-9]e[-+][0-9]+<\/td><\/tr>/ { evalue = 1 }
  /<h3>Known motifs it resembles<\/h3>/ { matches = 1 }
  /<\/section>/ && id != "" { if (svg < 2 || letters == 0 || !evalue || !matches) { print id; bad = 1 }; id = "" }
  END { exit bad }' dom.html >bad_sections.txt ||
  fail "motif sections without two drawn logos, an E-value or the known matches: $(cat bad_sections.txt)"
grep -q '<table class="matches-table">' dom.html || fail "no table of known matches on the page"
grep -q '<tr><th>Low-complexity DNA</th><td>masked as N by DUST' dom.html || fail "the run summary does not say what was masked"
grep -q '<tr><th>sites.bed</th><td>not written: ' dom.html || fail "the run summary does not say why there is no sites.bed"
grep -q '<th class="num">E-value given the better motifs</th>' dom.html || fail "the motif table lacks the conditional E-value"
grep -q '<section id="simple-repeats">' dom.html || fail "no section of the simple repeats set apart"
[ "$(grep -c '<h3>Motifs it explains</h3>' dom.html)" -eq "$motifs" ] || fail "not every motif section lists the motifs it explains"
grep -q '<figure class="match" data-target="MA' dom.html || fail "no known motif's logo aligned on the page"
[ "$(grep -o '<svg[^>]*class="central-histogram"' dom.html | wc -l)" -ge "$motifs" ] ||
  fail "not every motif section draws the histogram of its site positions"

check_sorting crp/index.html
check_screenshot "$work/crp/index.html" "$work/page.png"

# --- a run on peaks and a genome ---------------------------------------------------
"$bin_dir/zelkova-gen-genome" genome 1000000 2 100 3 >/dev/null
"$bin_dir/zelkova-discover" --peaks genome.narrowPeak --genome genome.fa -o peaks --lengths 14 --decoy no \
  2>peaks_progress.txt || fail "the run on peaks failed: $(cat peaks_progress.txt)"
run_browser --dump-dom "file://$work/peaks/index.html" >peaks_dom.html || fail "Chromium could not load the peaks page"
grep -q '<section id="background">' peaks_dom.html || fail "no section on the background in the rendered page"
figure=$(tr -d '\n' <peaks_dom.html | sed 's/<figure class="gc">/\n&/; s/<\/figure>/&\n/g' | awk '/^<figure class="gc">/ && !done { print; done = 1 }')
for colour in '#2166ac' '#a6a6a6'; do
  [ "$(grep -o "<rect[^>]*fill=\"$colour\"" <<<"$figure" | wc -l)" -gt 5 ] || fail "the GC histogram draws no bars of $colour"
done
grep -q '<summary>Windows per GC bin</summary>' peaks_dom.html || fail "no table of the windows per GC bin"
grep -q '<tr><th>Genome</th><td><code>genome.fa</code>' peaks_dom.html || fail "the run summary does not name the genome"
links=$(grep -o '<a class="locus" href="https://genome.ucsc.edu/cgi-bin/hgTracks?position=chr[12]%3A[0-9]*-[0-9]*"' peaks_dom.html | wc -l)
[ "$links" -ge 50 ] || fail "only $links genome positions linked in the site tables"
# The planted sites sit at the summits: the motif's histogram of site
# positions draws bars, the uniform expectation and the shaded central
# window; the section of central enrichment lists it; the site tables give
# each site's p-value.
histogram=$(tr -d '\n' <peaks_dom.html | sed 's/<section class="motif" id="ZELKOVA-1">/\n&/' | sed -n 2p |
  sed 's/<svg[^>]*class="central-histogram"/\n&/; s/<\/svg>/&\n/g' | awk '/class="central-histogram"/ && !done { print; done = 1 }')
[ "$(grep -o '<rect class="bin"' <<<"$histogram" | wc -l)" -ge 1 ] || fail "the histogram of ZELKOVA-1 draws no bars"
grep -q '<polyline class="expected"' <<<"$histogram" || fail "the histogram of ZELKOVA-1 lacks the uniform expectation"
grep -q '<rect class="central-window"' <<<"$histogram" || fail "the histogram of ZELKOVA-1 shades no central window"
grep -q '<section id="central"><h2>Where the sites lie</h2>' <(tr -d '\n' <peaks_dom.html) ||
  fail "no section of central enrichment in the rendered page"
grep -q '<tr class="central"><td><a href="#ZELKOVA-1">ZELKOVA-1</a></td><td>found here</td>' peaks_dom.html ||
  fail "the central section does not call ZELKOVA-1 central"
grep -q '<th class="num">Score</th><th class="num">p-value</th>' peaks_dom.html || fail "the site tables have no p-value column"
grep -q '<p class="verdict">.*The sites of the best motif gather at the centres of the sequences' peaks_dom.html ||
  fail "the verdict does not say the sites are central"
check_screenshot "$work/peaks/index.html" "$work/peaks_page.png"

if [ -n "$save_to" ]; then cp page.png "$save_to"; fi
finish_checks "The zelkova-discover page renders in Chromium: $motifs motifs, logos drawn, tables sort"
