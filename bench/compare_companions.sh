#!/usr/bin/env bash
# Runs the companion programs of two builds on the same generated inputs and
# compares everything a user sees: standard output and error, exit statuses,
# and every file written (dates, times and durations masked). For changes
# that must leave the programs' outputs as they were; bench/compare_builds.sh
# does the same for zelkova itself.
#
# usage: bench/compare_companions.sh OLD_BUILD_DIR NEW_BUILD_DIR
#   each a build directory holding zelkova-discover and the other programs
# Exits 1 and names every case whose outputs differ.
set -euo pipefail
old=$(cd "$1" && pwd)
new=$(cd "$2" && pwd)
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The inputs, made once with the old build's generators.
in=$work/in
mkdir -p "$in"
"$old/zelkova-gen-planted" 300 200 5 "$top/data/jaspar/jaspar_vertebrates.pfm" MA0139.1 0.3 "$in/sites.tsv" \
  >"$in/planted.fa"
"$old/zelkova-gen-fasta" 200 150 9 >"$in/control.fa"
(cd "$in" && "$old/zelkova-gen-genome" g 300000 3 150 2 >/dev/null 2>&1)
cp "$top/examples/crp0.fa" "$in/crp0.fa"

# The cases, one a line: NAME then the arguments; OUT stands for the case's
# output directory, IN for the inputs' directory, REF for a discovery's.
cases() {
  cat <<'EOF'
discover-crp0 zelkova-discover IN/crp0.fa -o OUT/d
discover-crp0-p2 zelkova-discover IN/crp0.fa -o OUT/d --seed 3 -p 2
discover-planted zelkova-discover IN/planted.fa -o OUT/d --lengths 8,12
discover-control zelkova-discover IN/planted.fa --control IN/control.fa -o OUT/d --lengths 10
discover-genome zelkova-discover --peaks IN/g.narrowPeak --genome IN/g.fa -o OUT/d --lengths 10
discover-refused zelkova-discover IN/missing.fa -o OUT/d
enrich zelkova-enrich --db REF/motifs.meme IN/planted.fa IN/control.fa
scan zelkova-scan REF/motifs.meme IN/planted.fa
compare zelkova-compare REF/motifs.meme
export-meme zelkova-export --format meme REF/motifs.jaspar
export-html zelkova-export --format html -o OUT/page.html REF/motifs.meme
aggregate zelkova-aggregate -o OUT/agg REF
markov zelkova-markov -m 3 -o OUT/model.txt IN/planted.fa
EOF
  for p in discover enrich scan compare export aggregate markov; do
    echo "help-$p zelkova-$p --help"
    echo "version-$p zelkova-$p --version"
  done
}

mask() {  # FILE: the file with dates, times and durations masked
  sed -E -e 's/seconds">[0-9.]+</seconds"><time></g' -e 's/[0-9]{4}-[0-9]{2}-[0-9]{2}[ T][0-9]{2}:[0-9]{2}(:[0-9]{2})?/<when>/g' \
    -e 's/[0-9]+(\.[0-9]+)? ?(s|seconds|ms|min)\b/<time>/g' -e 's/[0-9]+:[0-9]{2}:[0-9]{2}/<time>/g' "$1"
}

run_case() {  # BUILD TAG NAME PROGRAM ARGS...: runs one case into $work/TAG/NAME
  local build=$1 tag=$2 name=$3 program=$4
  shift 4
  # Both builds run in the same folder, by name, so that the command lines
  # the outputs record are the same.
  local out=$work/run
  rm -rf "$out" && mkdir -p "$out"
  local args=()
  for a in "$@"; do a=${a//OUT/$out}; a=${a//REF/$ref}; args+=("${a//IN/$in}"); done
  set +e
  (cd "$out" && PATH=$build:$PATH "$program" "${args[@]}" >stdout.txt 2>stderr.txt)
  echo $? >"$out/status.txt"
  set -e
  mkdir -p "$work/$tag"
  mv "$out" "$work/$tag/$name"
}

# A reference discovery whose motifs the other programs read.
ref=$work/ref
"$old/zelkova-discover" "$in/crp0.fa" -o "$ref" --lengths 8,12 2>/dev/null >/dev/null
# The genome's index made before the cases, which would otherwise say
# whether they built it or found it.
"$old/zelkova-discover" --peaks "$in/g.narrowPeak" --genome "$in/g.fa" -o "$work/warm" --lengths 8 >/dev/null 2>&1

failed=0
while read -r name program args; do
  read -ra words <<<"$args"
  run_case "$old" old "$name" "$program" "${words[@]}"
  run_case "$new" new "$name" "$program" "${words[@]}"
  same=yes
  while IFS= read -r file; do
    a=$work/old/$name/$file b=$work/new/$name/$file
    if [ ! -e "$b" ]; then same="no ($file missing)"; break; fi
    case $file in
      *.png) cmp -s "$a" "$b" || same="no ($file)" ;;
      *) cmp -s <(mask "$a") <(mask "$b") || { same="no ($file)"; diff <(mask "$a") <(mask "$b") | head -5 || true; } ;;
    esac
    [ "$same" = yes ] || break
  done < <(cd "$work/old/$name" && find . -type f | sort)
  [ "$same" != yes ] || [ "$(cd "$work/old/$name" && find . -type f | wc -l)" = "$(cd "$work/new/$name" && find . -type f | wc -l)" ] ||
    same="no (other files)"
  echo "$name identical: $same"
  [ "$same" = yes ] || failed=1
done < <(cases)
exit $failed
