#!/usr/bin/env bash
# Runs two builds of zelkova on the same generated inputs with random option
# mixes and compares everything a user sees: console (time line masked), exit
# status, report (date line masked), initcore.txt and initcluster.txt.
#
# usage: bench/compare_builds.sh OLD NEW [RUNS] [SEED]
#   OLD, NEW  a directory holding a zelkova binary, or a git commit, which is
#             then built in a temporary worktree
#   RUNS      number of runs (default 200); SEED seeds the choice of cases
# The inputs are made with this checkout's zelkova-gen-fasta and zelkova-markov.
# Exits 1 and names the first differing run when any output differs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${3:-200}
RANDOM=${4:-1}
work=$(mktemp -d)
trap 'rm -rf "$work"; git -C "$top" worktree prune' EXIT

# binary_dir OLD_OR_NEW: the directory of a zelkova binary for a directory or a commit.
binary_dir() {
  if [ -x "$1/zelkova" ]; then (cd "$1" && pwd); return; fi
  local tree=$work/tree-$2
  git -C "$top" worktree add -q --detach "$tree" "$1"
  cmake -S "$tree" -B "$tree/build" -DCMAKE_BUILD_TYPE=Release -DZELKOVA_TESTS=OFF -DZELKOVA_BENCH=OFF >/dev/null
  cmake --build "$tree/build" -j "$(nproc)" --target zelkova >/dev/null
  echo "$tree/build"
}
old=$(binary_dir "$1" old)
new=$(binary_dir "$2" new)
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build" -j "$(nproc)" --target zelkova-markov zelkova-gen-fasta >/dev/null
gen=$top/build/zelkova-gen-fasta
markov=$top/build/zelkova-markov

# make_input I: a FASTA file in.fa with models fg.txt, bg.txt in $work/inI.
make_input() {
  local dir=$work/in$1 n=$((1 + RANDOM % 40)) len=$((8 + RANDOM % 300))
  mkdir -p "$dir"
  "$gen" "$n" "$len" "$RANDOM" >"$dir/in.fa"
  case $((RANDOM % 6)) in
    0) sed -i '2~3s/A/N/3' "$dir/in.fa" ;;                # some N letters
    1) sed -i '2~2s/.*/\L&/' "$dir/in.fa" ;;              # lower case
    2) sed -i '3~5s/C/NNNN/' "$dir/in.fa" ;;              # N runs, longer records
    3) printf '>short\nACGT\n>empty\n' >>"$dir/in.fa" ;;  # records shorter than any motif
  esac
  "$markov" -o "$dir/fg.txt" "$dir/in.fa"
  "$markov" -m $((RANDOM % 2 == 0 ? 7 : RANDOM % 7)) -o "$dir/bg.txt" "$dir/in.fa"
}

random_options() {
  local k=$((6 + RANDOM % 15))
  local o="-l $k"
  (( RANDOM % 3 == 0 )) || o+=" -m $((RANDOM % 5 == 0 ? k + RANDOM % 3 - 1 : RANDOM % (k / 2 + 1)))"
  (( RANDOM % 3 )) || o+=" -k $((RANDOM % 4))"
  (( RANDOM % 4 )) || o+=" -s"
  (( RANDOM % 4 )) || o+=" -r"
  (( RANDOM % 4 )) || o+=" -j"
  (( RANDOM % 4 )) || o+=" -i $((1 + RANDOM % 6))"
  (( RANDOM % 4 )) || o+=" -n $((1 + RANDOM % 12))"
  (( RANDOM % 4 )) || o+=" -c 0.$((RANDOM % 9))"
  (( RANDOM % 4 )) || o+=" -thr 0.$((65 + RANDOM % 35))"
  (( RANDOM % 4 )) || o+=" -v $((5 + RANDOM % 60))"
  (( RANDOM % 8 )) || o+=" -any"
  (( RANDOM % 3 )) || o+=" -p $((1 + RANDOM % 3))"
  echo "$o"
}

mask() {
  sed -e 's/^Current local time and date: .*/Current local time and date: <masked>/' \
      -e 's/Time taken: [0-9.]* seconds\./Time taken: <masked> seconds./' "$1"
}

# run_one BIN DIR OPTIONS: runs zelkova in a fresh directory DIR.
run_one() {
  mkdir -p "$2"
  set +e
  # shellcheck disable=SC2086
  (cd "$2" && PATH="$1:$PATH" zelkova -f ../in.fa -b ../bg.txt -z ../fg.txt -o report.txt $3 >stdout.raw 2>stderr.txt)
  echo $? >"$2/status"
  set -e
  mask "$2/stdout.raw" >"$2/stdout"; rm "$2/stdout.raw"
  [ ! -f "$2/report.txt" ] || { mask "$2/report.txt" >"$2/report.m"; mv "$2/report.m" "$2/report.txt"; }
}

inputs=$(( runs / 5 + 1 ))
for ((i = 0; i < inputs; i++)); do make_input "$i"; done
for ((r = 0; r < runs; r++)); do
  i=$((RANDOM % inputs))
  opts=$(random_options)
  run_one "$old" "$work/in$i/old$r" "$opts"
  run_one "$new" "$work/in$i/new$r" "$opts"
  if ! diff -r "$work/in$i/old$r" "$work/in$i/new$r" >"$work/diff.txt"; then
    echo "run $r differs: input $i, options: $opts"
    head -n 30 "$work/diff.txt"
    cp -r "$work/in$i" "$top/bench/work-difference-$r" 2>/dev/null || true
    exit 1
  fi
  rm -rf "$work/in$i/old$r" "$work/in$i/new$r"
done
echo "all $runs runs identical"
