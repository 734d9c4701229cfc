#!/usr/bin/env bash
# Runs the benchmark cases with this checkout's zelkova and with the zelkova of
# an earlier commit and compares every output: console (time line masked),
# report (date line masked), initcore.txt and initcluster.txt.
#
# usage: bench/compare_bench_outputs.sh COMMIT [CASE ...]   (default: every case)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
commit=$1
shift
cases=("$@")
# Cases 11 and 13 use -maxlen and -noside, which earlier builds may lack.
[ ${#cases[@]} -gt 0 ] || cases=(1 2 3 4 5 6 7 8 9 10 12)
tree=$(mktemp -d)
trap 'git -C "$top" worktree remove --force "$tree"' EXIT
git -C "$top" worktree add -q --detach "$tree" "$commit"
cmake -S "$tree" -B "$tree/build" -DCMAKE_BUILD_TYPE=Release -DZELKOVA_TESTS=OFF -DZELKOVA_BENCH=OFF >/dev/null
cmake --build "$tree/build" -j "$(nproc)" --target zelkova >/dev/null

echo "earlier build ($commit):"
ZELKOVA_BIN=$tree/build/zelkova ZELKOVA_RUN_TAG=-earlier "$top/bench/run.sh" "${cases[@]}"
echo "this checkout:"
ZELKOVA_RUN_TAG=-now "$top/bench/run.sh" "${cases[@]}"

mask() {
  sed -e 's/^Current local time and date: .*/Current local time and date: <masked>/' \
      -e 's/Time taken: [0-9.]* seconds\./Time taken: <masked> seconds./' "$1"
}
work=$top/bench/work
failed=0
for c in "${cases[@]}"; do
  a=$work/run$c-earlier b=$work/run$c-now
  same=yes
  cmp -s <(mask "$a/console.txt") <(mask "$b/console.txt") || same="no (console)"
  cmp -s <(mask "$a/report.txt") <(mask "$b/report.txt") || same="no (report)"
  for f in initcore.txt initcluster.txt; do
    if [ -e "$a/$f" ] || [ -e "$b/$f" ]; then cmp -s "$a/$f" "$b/$f" || same="no ($f)"; fi
  done
  echo "case $c identical: $same"
  [ "$same" = yes ] || failed=1
  rm -f "$a/initcluster.txt" "$b/initcluster.txt"  # large at the default allowance
done
exit $failed
