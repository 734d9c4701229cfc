#!/usr/bin/env bash
# Planted motifs: does zelkova-discover put the planted motif at rank 1, and
# at what cost? Sets of generated DNA (even letters, or a CpG-depleted Markov
# chain at each sequence's own GC content) and of real fly upstream DNA
# (Debian's r-bioc-biostrings, extdata/dm3_upstream2000.fa.gz, fetched here
# with apt-get download, never committed), with sites sampled from JASPAR
# matrices of data/jaspar/ planted in 10 to 100 % of the sequences, and sets
# with nothing planted. Every set is seeded; its planted sites (sequence,
# position, strand) are kept beside it, so scoring is exact.
#
# usage:
#   bench/planted.sh [standard] [SET...]  the standard tier (17 sets), or some of its sets
#   bench/planted.sh fresh [SET...]       the fresh tier (12 sets not used in tuning)
#   bench/planted.sh scale                100,000 and 300,000 x 200, defaults, -p 2
#   bench/planted.sh searches [SET...]    every single search of the standard
#                                         tier's runs: its cost and what it finds
#   bench/planted.sh plans                the candidate plans from the searches' table
#   bench/planted.sh list                 the sets
#
# Environment:
#   ZELKOVA_BIN  the directory of the zelkova-discover (and zelkova, zelkova-enrich,
#                zelkova-markov) measured; default build/ of this tree, built if needed
#   LABEL        names the results (default: the basename of ZELKOVA_BIN's parent
#                directory, e.g. issue-29 for /work/wt/issue-29/build)
#   THREADS      -p of the standard tier (default 1: processor time is what is
#                compared, and on a shared machine it is what stays steady)
#
# Each run of the standard tier is zelkova-discover SET.fa -o DIR -p THREADS with
# every other setting at its default. Per set: the rank of the first motif
# whose sites recover at least 30 % of the planted sites (a reported site
# recovers a planted one when it covers at least half its letters, width // 2,
# on either strand), whether that is rank 1, how many low-complexity motifs
# (the summary's low_complexity flag; and an independent check, a word of 1 to
# 3 letters repeated along the consensus matching 75 % of it, or the
# program's rule) and duplicates (most of their sites inside sites of better
# motifs) rank above it, the rank-1 motif, and wall time, processor time
# (user + system) and peak memory (/usr/bin/time). bench/planted.py holds the
# generator and the scoring.
#
# `searches` takes every search a standard-tier run made (DIR/runs/lL_mM.out of
# the primary set), tests its 10 motifs with zelkova-enrich on the set against
# the default shuffled control, and ranks them by p' (simple repeats left
# out): the rank of the planted motif, and whether the search's best motif is
# it. Its cost is that of the same search run alone (zelkova -l L -m M -noside
# -p 1 with models from zelkova-markov), the processor time measured. The
# allowance L/3, which zelkova-discover does not search, is measured on the
# search run alone (column report: alone). `plans` then compares subsets of
# those searches as plans.
#
# Results: bench/work/planted/LABEL.TIER.tsv and LABEL.TIER.md (one line per
# set), LABEL.searches.tsv and LABEL.plans.md; the sets under
# bench/work/planted/sets/, the runs under bench/work/planted/runs/LABEL/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-standard}
[ $# -gt 0 ] && shift

if [ -z "${ZELKOVA_BIN:-}" ]; then
  cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$top/build" -j 2 --target zelkova zelkova-markov zelkova-enrich zelkova-discover \
    zelkova-gen-planted >/dev/null
  ZELKOVA_BIN=$top/build
fi
bin=$(cd "$ZELKOVA_BIN" && pwd)
label=${LABEL:-$(basename "$(dirname "$bin")")}
threads=${THREADS:-1}
[ -x /usr/bin/time ] || "$top/scripts/install-deps.sh" time
work=$top/bench/work/planted
sets=$work/sets
mkdir -p "$sets" "$work/runs/$label"
planted_py=$top/bench/planted.py

# The standard tier: name, background, sequences, letters each, motif
# (JASPAR id, id+F for F even columns on each side, none), occupancy, seed.
standard_sets() {
  cat <<'EOF'
m20x3000       markov    20  3000  MA0139.1     0.8   101
m20x500_pal14  markov    20   500  MA0509.1     0.8   102
m100x1000_half markov   100  1000  MA0113.2     0.5   103
i100x1000      iid      100  1000  MA0491.1     0.7   104
m10000x200     markov 10000   200  MA0105.3     0.25  105
m300x300_core8 markov   300   300  MA0037.2+3   0.5   106
i50x100        iid       50   100  MA0157.1     1.0   107
m600x400_p63   markov   600   400  MA0525.1     0.3   108
m2000x200_low  markov  2000   200  MA0090.1     0.1   109
i50x1500_half  iid       50  1500  MA0258.2     0.5   110
r500x300       real     500   300  MA0447.1     0.3   111
r100x1000      real     100  1000  MA0085.1     0.5   112
r20x2000       real      20  2000  MA0460.1     1.0   113
r1000x200      real    1000   200  MA0456.1     0.15  114
n20x3000       markov    20  3000  none         0     115
n100x1000      markov   100  1000  none         0     116
n500x300       real     500   300  none         0     117
EOF
}

# The fresh tier: 12 sets of other motifs and seeds, made after the word
# searches were tuned on the standard tier, to see how far that tuning
# carries (20 to 1000 sequences of 200 to 2000 letters, occupancy 20 to 100 %).
fresh_sets() {
  cat <<'EOF'
u1       markov    20  1000  MA0138.2     0.8   201
u2       markov   100   500  MA0112.2     0.5   202
u3       iid      200   300  MA0114.2     0.5   203
u4       markov    50   800  MA0102.3     0.6   204
u5       markov   500   200  MA0148.3     0.3   205
u6       real     200   500  MA0035.3     0.4   206
u7       markov   300   400  MA0517.1     0.4   207
u8       iid       30  2000  MA0065.2     0.8   208
u9       real     100   300  MA0098.2     0.5   209
u10      markov  1000   200  MA0060.2     0.2   210
u11      markov    40   600  MA0002.2     1.0   211
u12      real     300   300  MA0142.1     0.3   212
EOF
}

tier_sets() {  # TIER
  if [ "$1" = fresh ]; then fresh_sets; else standard_sets; fi
}

upstream=$work/dm3_upstream2000.fa.gz
fetch_upstream() {
  [ -f "$upstream" ] && return
  (cd "$work" && apt-get download r-bioc-biostrings >/dev/null 2>&1) ||
    { echo "apt-get download r-bioc-biostrings failed" >&2; exit 1; }
  dpkg-deb --fsys-tarfile "$work"/r-bioc-biostrings_*.deb |
    tar -x --wildcards --to-stdout '*/extdata/dm3_upstream2000.fa.gz' >"$upstream"
}

# make_set NAME BACKGROUND SEQUENCES LENGTH MOTIF OCCUPANCY SEED: SET.fa and SET.sites, once.
make_set() {
  [ -f "$sets/$1.fa" ] && return
  local extra=()
  if [ "$2" = real ]; then fetch_upstream; extra=("$upstream"); fi
  python3 "$planted_py" make "$sets/$1" "$2" "$3" "$4" "$7" "$5" "$6" "${extra[@]}"
}

# The scale tier: even letters, CTCF (MA0139.1) in 30 % of the sequences, made
# by zelkova-gen-planted; its site lines turned into those of planted.py.
make_scale_set() {  # SEQUENCES
  local name=i${1}x200
  [ -f "$sets/$name.fa" ] && { echo "$name"; return; }
  "$bin/zelkova-gen-planted" "$1" 200 "$1" "$top/data/jaspar/jaspar_vertebrates.pfm" MA0139.1 0.3 \
    "$sets/$name.gen" >"$sets/$name.fa"
  awk -F'\t' -v OFS='\t' '{ print $1, $2, 19, $3, "MA0139.1" }' "$sets/$name.gen" >"$sets/$name.sites"
  rm "$sets/$name.gen"
  echo "$name"
}

run_header() {
  printf 'set\tbackground\tsequences\tletters\tmotif\toccupancy\tplanted_sites\tthreads\twall_s\tcpu_s\tpeak_MB\t%s\n' \
    "$(python3 "$planted_py" columns run)"
}

# run_set NAME BACKGROUND SEQUENCES LENGTH MOTIF OCCUPANCY THREADS: one line of the table.
run_set() {
  local out=$work/runs/$label/$1
  rm -rf "$out"
  /usr/bin/time -f '%e %U %S %M' -o "$out.time" "$bin/zelkova-discover" "$sets/$1.fa" -o "$out" -p "$7" \
    >/dev/null 2>"$out.err" || { tail -5 "$out.err" >&2; echo "zelkova-discover failed on $1" >&2; exit 1; }
  local wall user sys peak
  read -r wall user sys peak <"$out.time"
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "$4" "$5" "$6" \
    "$(wc -l <"$sets/$1.sites")" "$7" "$wall" "$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.1f", u + s }')" \
    "$(awk -v k="$peak" 'BEGIN { printf "%.0f", k / 1024 }')" "$(python3 "$planted_py" score "$out" "$sets/$1.sites")"
}

selected() {  # NAME SET...: whether NAME is among the SETs (all when none)
  local name=$1
  shift
  [ $# -eq 0 ] && return 0
  local s
  for s in "$@"; do [ "$s" = "$name" ] && return 0; done
  return 1
}

# order K whose words of K + 1 letters the control (2 shuffled copies, both
# strands: 4 x the letters) counts 10 times each, as zelkova-discover chooses it
background_order() {
  awk -v n="$1" 'BEGIN { k = 7; while (k > 0 && 4 * n < 10 * 4 ^ (k + 1)) k--; print k }'
}

# measure_search NAME LENGTH ALLOWANCE [REPORT]: one line of the searches'
# table. The search runs alone and is timed; what it finds is taken from
# REPORT, the same search in the set's zelkova-discover run, or when there is
# none (an allowance zelkova-discover does not search) from the run alone.
measure_search() {
  local name=$1 length=$2 allowance=$3 report=${4:-}
  local fa=$sets/$1.fa scratch=$work/searches/$label/$1 search=l$2_m$3
  local wall user sys peak logged=NA source=discover
  /usr/bin/time -f '%e %U %S %M' -o "$scratch/time" "$bin/zelkova" -f "$fa" -b "$scratch/bg" -z "$scratch/fg" \
    -l "$length" -m "$allowance" -noside -p 1 -o "$scratch/$search.out" >/dev/null 2>&1
  read -r wall user sys peak <"$scratch/time"
  if [ -n "$report" ]; then
    logged=$(awk -v s="  $search:" 'index($0, s) == 1 { sub(/.*\(/, ""); sub(/ s\)$/, ""); print }' \
      "$work/runs/$label/$name/log.txt")
  else
    report=$scratch/$search.out
    source=alone
  fi
  # a report whose counts reach 10000 runs its columns together, which
  # zelkova-enrich refuses: its matrices are then written again from its sites
  local tested=$report
  if ! "$bin/zelkova-enrich" -p "$threads" -o /dev/null "$report" "$fa" 2>/dev/null; then
    tested=$scratch/$search.repaired.out
    python3 "$planted_py" repair "$report" "$tested"
  fi
  "$bin/zelkova-enrich" -p "$threads" -o "$scratch/$search.tsv" --sites "$scratch/$search.sites" "$tested" "$fa"
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "$search" "$length" "$allowance" "$source" \
    "$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')" \
    "$(awk -v k="$peak" 'BEGIN { printf "%.0f", k / 1024 }')" "$logged" \
    "$(python3 "$planted_py" search "$scratch/$search.tsv" "$scratch/$search.sites" "$sets/$name.sites")"
  rm -f "$scratch/$search.sites"
}

# Every search of the set's zelkova-discover run (primary set), then the
# allowance L/3 at each of its lengths where that is neither L/4 nor L/2.
search_set() {  # NAME
  local name=$1 out=$work/runs/$label/$1 fa=$sets/$1.fa
  [ -d "$out/runs" ] || { echo "no run of $name for $label: run the standard tier first" >&2; exit 1; }
  mkdir -p "$work/searches/$label/$name"
  local letters
  letters=$(grep -v '>' "$fa" | tr -d '\n' | wc -c)
  "$bin/zelkova-markov" -o "$work/searches/$label/$name/fg" "$fa"
  "$bin/zelkova-markov" -m "$(background_order "$letters")" -o "$work/searches/$label/$name/bg" "$fa"
  local length allowance
  for length in $(grep -o '^lengths: .*' "$out/log.txt" | cut -d' ' -f2 | tr ',' ' '); do
    for allowance in $((length / 4)) $((length / 2)); do
      [ -f "$out/runs/l${length}_m$allowance.out" ] &&
        measure_search "$name" "$length" "$allowance" "$out/runs/l${length}_m$allowance.out"
    done
    allowance=$((length / 3))
    [ "$allowance" -ne $((length / 4)) ] && [ "$allowance" -ne $((length / 2)) ] &&
      measure_search "$name" "$length" "$allowance"
  done
  return 0
}

case $mode in
  list) standard_sets; fresh_sets ;;
  standard | fresh)
    table=$work/$label.$mode.tsv
    { [ $# -eq 0 ] || [ ! -f "$table" ]; } && run_header >"$table"
    while read -r name background n length motif occupancy seed <&3; do
      selected "$name" "$@" || continue
      make_set "$name" "$background" "$n" "$length" "$motif" "$occupancy" "$seed"
      line=$(run_set "$name" "$background" "$n" "$length" "$motif" "$occupancy" "$threads")
      # a set measured again replaces its line
      awk -F'\t' -v s="$name" '$1 != s' "$table" >"$table.tmp" && mv "$table.tmp" "$table"
      echo "$line" >>"$table"
      echo "$line"
    done 3< <(tier_sets "$mode")
    # the lines in the order of the sets
    { head -1 "$table"; tier_sets "$mode" | awk 'NR == FNR { line[$1] = $0; next } $1 in line { print line[$1] }' \
      <(tail -n +2 "$table") -; } >"$table.tmp" && mv "$table.tmp" "$table"
    python3 "$planted_py" markdown "$table" >"$work/$label.$mode.md"
    echo "wrote $table and $work/$label.$mode.md" ;;
  scale)
    table=$work/$label.scale.tsv
    run_header >"$table"
    for n in 100000 300000; do
      name=$(make_scale_set "$n")
      line=$(run_set "$name" iid "$n" 200 MA0139.1 0.3 2)
      echo "$line" >>"$table"
      echo "$line"
    done
    python3 "$planted_py" markdown "$table" >"$work/$label.scale.md"
    echo "wrote $table and $work/$label.scale.md" ;;
  searches)
    table=$work/$label.searches.tsv
    header=$(printf 'set\tsearch\tlength\tallowance\treport\tcpu_s\tpeak_MB\tlogged_wall_s\t%s' \
      "$(python3 "$planted_py" columns search)")
    { [ $# -eq 0 ] || [ ! -f "$table" ]; } && echo "$header" >"$table"
    while read -r name _ <&3; do
      selected "$name" "$@" || continue
      awk -F'\t' -v s="$name" '$1 != s' "$table" >"$table.tmp" && mv "$table.tmp" "$table"
      search_set "$name" | tee -a "$table"
    done 3< <(standard_sets)
    python3 "$planted_py" plans "$table" >"$work/$label.plans.md"
    echo "wrote $table and $work/$label.plans.md" ;;
  plans) python3 "$planted_py" plans "$work/$label.searches.tsv" ;;
  *) echo "usage: $0 [standard|fresh|scale|searches|plans|list] [SET...]" >&2; exit 2 ;;
esac
