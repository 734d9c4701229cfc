#!/usr/bin/env bash
# Renders the HTML report of the bundled example in headless Chromium and
# fails when the page is empty or broken:
#   - the DOM Chromium builds must hold the run parameters and one motif
#     section per motif of the report, each with two logos made of letters;
#   - the screenshot (1200 x 1600) must exist, not be tiny, not be nearly all
#     one colour, and show each of the four logo colours.
# The pixels are counted by Chromium itself, on a canvas, so nothing but
# Chromium is needed. Without Chromium the check fails.
#
# usage: tests/export/check_html_in_browser.sh [BUILD_DIR] [--save-screenshot FILE.png]
#   BUILD_DIR holds zelkova, zelkova-markov and zelkova-export (default: build)
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/browser.sh"
page_check_arguments "$@"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() {
  echo "FAIL: $*"
  exit 1
}
find_browser

# The workflow of the documentation, with the programs found on the PATH so
# that the page shows the command line a user types.
export PATH="$bin_dir:$PATH"
cp "$repo/examples/crp0.fa" .
zelkova-markov -o fg.txt crp0.fa
zelkova-markov -m 3 -o bg.txt crp0.fa
zelkova -f crp0.fa -l 16 -b bg.txt -z fg.txt >console.txt
zelkova-export --format html -o crp0.html crp0.out
motifs=$(grep -c '^Motif rank #' crp0.out || true)
[ "$motifs" -gt 0 ] || fail "the example gave no motif"

# The page as the browser parsed it.
run_browser --dump-dom "file://$work/crp0.html" >dom.html || fail "Chromium could not load the page"
grep -q '<h2>Run parameters</h2>' dom.html || fail "no run parameters in the rendered page"
sections=$(grep -c '<section class="motif" id="ZELKOVA-' dom.html || true)
[ "$sections" -eq "$motifs" ] || fail "$sections motif sections rendered, the report has $motifs"
awk '/<section class="motif"/ { id = $0; svg = 0; letters = 0 }
  /<svg/ { svg += gsub(/<svg/, "&") }
  /class="letter-[ACGT]"/ { letters += gsub(/class="letter-[ACGT]"/, "&") }
  /<\/section>/ && id != "" { if (svg != 2 || letters == 0) { print id; bad = 1 }; id = "" }
  END { exit bad }' dom.html >bad_sections.txt || fail "motif sections without two drawn logos: $(cat bad_sections.txt)"

check_sorting crp0.html
check_screenshot "$work/crp0.html" "$work/page.png"

if [ -n "$save_to" ]; then cp page.png "$save_to"; fi
echo "The HTML report renders in Chromium: $motifs motif sections, logos drawn"
