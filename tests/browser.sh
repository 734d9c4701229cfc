# Sourced by the checks that render pages in headless Chromium. The checks
# expect $work (a scratch directory) and a function fail MESSAGE.
#
# A check that needs Chromium fails without it: the test command installs it
# (scripts/install-deps.sh, Debian package chromium).

# page_check_arguments ARGS...: [BUILD_DIR] [--save-screenshot FILE.png] of a
# page check; sets bin_dir (default: the repository's build/) and save_to.
page_check_arguments() {
  local repo build_dir
  repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  build_dir="$repo/build"
  save_to=""
  while [ $# -gt 0 ]; do
    case "$1" in
      --save-screenshot) save_to=$(realpath -m "$2"); shift 2 ;;
      *) build_dir=$1; shift ;;
    esac
  done
  bin_dir=$(cd "$build_dir" && pwd)
}

find_browser() {
  browser=${CHROMIUM:-}
  for candidate in chromium chromium-browser; do
    [ -n "$browser" ] && break
    if command -v "$candidate" >/dev/null 2>&1; then browser=$candidate; fi
  done
  if [ -z "$browser" ]; then
    echo "FAIL: Chromium is not installed (Debian: apt-get install chromium; scripts/install-deps.sh does it)"
    exit 1
  fi
}

run_browser() {  # extra arguments, then the URL
  timeout 120 "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$(mktemp -d -p "$work")" "$@" 2>>"$work/browser.log"
}

# first_table_positions PAGE: the Position column of the first site table.
# The browser moves rows without their line ends, so the table is cut into
# rows at each <tr>.
first_table_positions() {
  tr -d '\n' <"$1" | sed 's/<table class="sites sortable">/\n&/; s/<\/table>/&\n/g' \
    | awk '/^<table class="sites sortable">/ && !done { print; done = 1 }' | sed 's/<tr>/\n<tr>/g' \
    | sed -n 's/^<tr><td>[^<]*<\/td><td>[^<]*<\/td><td class="num">\([0-9]*\)<.*/\1/p'
}

# check_sorting PAGE: a click on the Position heading of the first site table
# must put its rows in ascending order of position.
check_sorting() {
  sed 's|</body>|<script>document.querySelector("table.sites th:nth-child(3)").click();</script></body>|' \
    "$1" >"$work/sorted.html"
  run_browser --dump-dom "file://$work/sorted.html" >"$work/sorted_dom.html" || fail "Chromium could not load the page"
  first_table_positions "$1" >"$work/unsorted.txt"
  first_table_positions "$work/sorted_dom.html" >"$work/positions.txt"
  [ "$(wc -l <"$work/positions.txt")" -gt 1 ] && [ "$(wc -l <"$work/positions.txt")" -eq "$(wc -l <"$work/unsorted.txt")" ] \
    || fail "the first site table lost rows after a click on its heading"
  sort -n -c "$work/positions.txt" 2>/dev/null || fail "the site table is not sorted by position after a click"
}

# check_screenshot PAGE PNG: a 1200 x 1600 screenshot of PAGE into PNG, which
# must not be tiny, nearly all one colour, or lack any of the four logo
# colours. The pixels are counted by Chromium itself, on a canvas.
check_screenshot() {
  local page=$1 png=$2
  run_browser --screenshot="$png" --window-size=1200,1600 "file://$page" >/dev/null \
    || fail "Chromium could not take the screenshot"
  [ -f "$png" ] || { fail "no screenshot written"; return; }
  local size
  size=$(stat -c %s "$png")
  [ "$size" -gt 20000 ] || fail "the screenshot is only $size bytes"
  {
    printf '<!DOCTYPE html><html><body><img id="shot" src="data:image/png;base64,'
    base64 -w0 "$png"
    cat <<'HTML'
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
HTML
  } >"$work/pixels.html"
  run_browser --virtual-time-budget=10000 --dump-dom "file://$work/pixels.html" >"$work/pixels_dom.html" \
    || { fail "Chromium could not count the pixels"; return; }
  local result dims dominant a c g t
  result=$(sed -n 's/.*<pre id="result">\([^<]*\)<\/pre>.*/\1/p' "$work/pixels_dom.html")
  echo "screenshot: $size bytes, $result"
  read -r _ dims _ dominant _ a _ c _ g _ t <<<"$result" || { fail "no pixel count: $result"; return; }
  [ "$dims" = "1200x1600" ] || fail "the screenshot is $dims, expected 1200x1600"
  awk -v d="$dominant" 'BEGIN { exit !(d < 0.97) }' || fail "the screenshot is nearly one colour ($dominant)"
  # A colour the logos draw at all covers some hundred pixels of the first
  # screen (anti-aliased letters match it only in their middles); a missing
  # one next to none.
  for n in "$a" "$c" "$g" "$t"; do
    [ "$n" -ge 100 ] || fail "a logo colour is missing from the screenshot (A $a, C $c, G $g, T $t)"
  done
}
