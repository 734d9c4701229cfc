#!/usr/bin/env bash
# Renders the HTML report of the bundled example in headless Chromium and
# fails when the page is empty or broken:
#   - the DOM Chromium builds must hold the run parameters and one motif
#     section per motif of the report, each with two logos made of letters;
#   - the screenshot (1200 x 1600) must exist, not be tiny, not be nearly all
#     one colour, and show each of the four logo colours.
# The pixels are counted by Chromium itself, on a canvas, so nothing but
# Chromium is needed. Without Chromium the check is skipped (exit status 77).
#
# usage: tests/export/check_html_in_browser.sh [BUILD_DIR] [--save-screenshot FILE.png]
#   BUILD_DIR holds zelkova, zelkova-markov and zelkova-export (default: build)
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build_dir="$repo/build"
save_to=""
while [ $# -gt 0 ]; do
  case "$1" in
    --save-screenshot) save_to=$(realpath -m "$2"); shift 2 ;;
    *) build_dir=$1; shift ;;
  esac
done
build_dir=$(cd "$build_dir" && pwd)

browser=${CHROMIUM:-}
for candidate in chromium chromium-browser; do
  [ -n "$browser" ] && break
  if command -v "$candidate" >/dev/null 2>&1; then browser=$candidate; fi
done
if [ -z "$browser" ]; then
  echo "SKIP: Chromium is not installed (Debian: apt-get install chromium)"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

run_browser() {  # extra arguments, then the URL
  timeout 120 "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$(mktemp -d -p "$work")" "$@" 2>>browser.log
}
fail() {
  echo "FAIL: $*"
  exit 1
}

# The workflow of the documentation, with the programs found on the PATH so
# that the page shows the command line a user types.
export PATH="$build_dir:$PATH"
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

# Sorting: a click on the Position heading of the first site table must put
# its rows in ascending order of position.
sed 's|</body>|<script>document.querySelector("table.sites th:nth-child(3)").click();</script></body>|' \
  crp0.html >sorted.html
run_browser --dump-dom "file://$work/sorted.html" >sorted_dom.html || fail "Chromium could not load the page"
# The browser moves the rows without their line ends, so the table is cut into
# rows at each <tr>.
first_table_positions() {
  tr -d '\n' <"$1" | sed 's/<table class="sites sortable">/\n&/; s/<\/table>/&\n/g' \
    | awk '/^<table class="sites sortable">/ && !done { print; done = 1 }' | sed 's/<tr>/\n<tr>/g' \
    | sed -n 's/^<tr><td>[^<]*<\/td><td>[^<]*<\/td><td class="num">\([0-9]*\)<.*/\1/p'
}
first_table_positions crp0.html >unsorted.txt
first_table_positions sorted_dom.html >positions.txt
[ "$(wc -l <positions.txt)" -gt 1 ] && [ "$(wc -l <positions.txt)" -eq "$(wc -l <unsorted.txt)" ] \
  || fail "the first site table lost rows after a click on its heading"
[ -s positions.txt ] && sort -n -c positions.txt 2>/dev/null || fail "the site table is not sorted by position after a click"

# The screenshot.
run_browser --screenshot="$work/page.png" --window-size=1200,1600 "file://$work/crp0.html" >/dev/null \
  || fail "Chromium could not take the screenshot"
[ -f page.png ] || fail "no screenshot written"
size=$(stat -c %s page.png)
[ "$size" -gt 20000 ] || fail "the screenshot is only $size bytes"

# Its pixels, counted on a canvas: the share of the most common colour and the
# number of pixels near each logo colour.
{
  printf '<!DOCTYPE html><html><body><img id="shot" src="data:image/png;base64,'
  base64 -w0 page.png
  cat <<'EOF'
"><pre id="result">pending</pre><script>
var img = document.getElementById('shot');
function count() {
  var canvas = document.createElement('canvas');
  canvas.width = img.naturalWidth; canvas.height = img.naturalHeight;
  var g = canvas.getContext('2d');
  g.drawImage(img, 0, 0);
  var d = g.getImageData(0, 0, canvas.width, canvas.height).data;
  var logo = {A: [26, 150, 65], C: [33, 102, 172], G: [242, 142, 0], T: [215, 25, 28]};
  var near = {A: 0, C: 0, G: 0, T: 0}, seen = {}, top = 0, pixels = d.length / 4;
  for (var i = 0; i < d.length; i += 4) {
    var key = d[i] + ',' + d[i + 1] + ',' + d[i + 2];
    seen[key] = (seen[key] || 0) + 1;
    if (seen[key] > top) top = seen[key];
    for (var b in logo) {
      var c = logo[b];
      if (Math.abs(d[i] - c[0]) + Math.abs(d[i + 1] - c[1]) + Math.abs(d[i + 2] - c[2]) < 60) near[b]++;
    }
  }
  document.getElementById('result').textContent = 'size ' + canvas.width + 'x' + canvas.height +
      ' dominant ' + (top / pixels).toFixed(4) + ' A ' + near.A + ' C ' + near.C + ' G ' + near.G + ' T ' + near.T;
}
if (img.complete) count(); else img.onload = count;
</script></body></html>
EOF
} >pixels.html
run_browser --virtual-time-budget=10000 --dump-dom "file://$work/pixels.html" >pixels_dom.html \
  || fail "Chromium could not count the pixels"
result=$(sed -n 's/.*<pre id="result">\([^<]*\)<\/pre>.*/\1/p' pixels_dom.html)
echo "screenshot: $size bytes, $result"
read -r _ dims _ dominant _ a _ c _ g _ t <<<"$result" || fail "no pixel count: $result"
[ "$dims" = "1200x1600" ] || fail "the screenshot is $dims, expected 1200x1600"
awk -v d="$dominant" 'BEGIN { exit !(d < 0.97) }' || fail "the screenshot is nearly one colour ($dominant)"
for n in "$a" "$c" "$g" "$t"; do
  [ "$n" -ge 300 ] || fail "a logo colour is missing from the screenshot (A $a, C $c, G $g, T $t)"
done

if [ -n "$save_to" ]; then cp page.png "$save_to"; fi
echo "The HTML report renders in Chromium: $motifs motif sections, logos drawn"
