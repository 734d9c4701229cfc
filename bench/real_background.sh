#!/usr/bin/env bash
# zelkova-discover on real DNA: windows of 200 to 500 letters of Drosophila
# upstream regions (Debian's r-bioc-biostrings, extdata/dm3_upstream2000.fa.gz,
# fetched here with apt-get download, never committed), with sites sampled
# from JASPAR insect matrices (data/jaspar/jaspar_insecta.jaspar) planted in
# 15 to 40 % of them, and sets with nothing planted. Each set runs against
# the shuffled control (the default) and against as many windows of other
# upstream regions (--control). For every run one line: the rank of each
# planted motif (the first motif whose sites overlap a third of its planted
# sites), motifs with E < 0.05, simple repeats among them, duplicates in the
# top 10 (motifs ranked 2 and below with most of their sites inside the sites
# of better ones), and the wall time. bench/real_background.py makes the sets
# and scores the results.
#
# usage: bench/real_background.sh [quick|large] BUILD_DIR...
#   quick  sets of 500 windows (12 runs per build; minutes)
#   large  2000 and 10000 windows (4 runs per build; the 10000 ones take long)
# BUILD_DIR holds a zelkova-discover, for example a build of the main branch
# and one of a change, to compare them. Sets are made once under
# bench/work/real_background/; results go to bench/work/real_background/runs/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tier=${1:-quick}
shift || true
[ $# -ge 1 ] || { echo "usage: $0 [quick|large] BUILD_DIR..." >&2; exit 2; }
builds=()
for build in "$@"; do builds+=("$(cd "$build" && pwd)"); done
[ -x /usr/bin/time ] || "$top/scripts/install-deps.sh" time
work=$top/bench/work/real_background
mkdir -p "$work/runs"
cd "$work"

# The upstream regions, from the Debian package.
upstream=$work/dm3_upstream2000.fa.gz
if [ ! -f "$upstream" ]; then
  apt-get download r-bioc-biostrings >/dev/null 2>&1 || { echo "apt-get download r-bioc-biostrings failed" >&2; exit 1; }
  dpkg-deb --fsys-tarfile r-bioc-biostrings_*.deb | tar -x --wildcards --to-stdout '*/extdata/dm3_upstream2000.fa.gz' >"$upstream"
fi
matrices=$top/data/jaspar/jaspar_insecta.jaspar
make_set() {  # NAME WINDOWS SEED [ID:FRACTION...]
  local name=$1
  shift
  [ -f "$name.fa" ] || python3 "$top/bench/real_background.py" make "$upstream" "$matrices" "$name" "$@"
}

case $tier in
  quick)
    make_set null500 500 1
    make_set one500 500 2 MA0447.1:0.3
    make_set three500 500 3 MA0016.1:0.25 MA0453.1:0.25 MA0253.1:0.4
    sets=(null500 one500 three500) ;;
  large)
    make_set one2000 2000 4 MA0085.1:0.2
    make_set one10000 10000 5 MA0447.1:0.15
    sets=(one2000 one10000) ;;
  *) echo "unknown tier $tier" >&2; exit 2 ;;
esac

printf '%-12s %-10s %-9s %-8s %11s %8s %11s %7s\n' build set control planted significant repeats duplicates wall_s
for build in "${builds[@]}"; do
  bin=$build/zelkova-discover
  label=$(basename "$build")
  for set in "${sets[@]}"; do
    for control in shuffled real; do
      out=runs/$label.$set.$control
      rm -rf "$out"
      args=("$set.fa" -o "$out" -p "$(nproc)")
      [ "$control" = real ] && args+=(--control "$set.control.fa")
      /usr/bin/time -f '%e' -o time.txt "$bin" "${args[@]}" 2>"$out.err" || { cat "$out.err"; exit 1; }
      read -r planted significant repeats duplicates < <(python3 "$top/bench/real_background.py" score "$out" "$set.planted")
      printf '%-12s %-10s %-9s %-8s %11s %8s %11s %7s\n' "$label" "$set" "$control" "$planted" "$significant" \
        "$repeats" "$duplicates" "$(cat time.txt)"
    done
  done
done
