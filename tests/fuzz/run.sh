#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a given time.
#
#   tests/fuzz/run.sh TARGET|all SECONDS
#
# TARGET is one of fasta, markov, options, report (zelkova's readers), dna,
# motifs, tables (the companions' readers). Targets run one after the
# other, each as a single process. The corpus a run grows lives in
# build-fuzz/corpus/TARGET (seeded from tests/fuzz/corpus/TARGET, which stays
# small); inputs that crash, leak or hang are kept in tests/fuzz/crashes/TARGET/.
# The exit status is 0 when every target ran its time without a finding.
#
# With ZELKOVA_FUZZ_SEED set, each target starts from that seed and tries a
# fixed number of inputs (about ten seconds' worth here, see fixed_runs), so
# a run tries nearly the same inputs on every machine and a finding is likely
# reproduced by running again; SECONDS is then only a cap. The test command
# runs that way.
set -euo pipefail

usage() { echo "usage: $0 fasta|markov|options|report|dna|motifs|tables|all SECONDS" >&2; exit 2; }
[ $# -eq 2 ] || usage
case "$2" in ''|*[!0-9]*) usage ;; esac
seconds=$2
all_targets=(fasta markov options report dna motifs tables)
case "$1" in
  all) targets=("${all_targets[@]}") ;;
  fasta|markov|options|report|dna|motifs|tables) targets=("$1") ;;
  *) usage ;;
esac

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build="${ZELKOVA_FUZZ_BUILD:-$root/build-fuzz}"

if ! command -v clang++ >/dev/null 2>&1; then
  echo "clang++ not found; installing clang" >&2
  apt-get update -qq && apt-get install -y -qq clang >/dev/null
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DZELKOVA_FUZZ=ON -DZELKOVA_TESTS=OFF -DZELKOVA_PYTHON=OFF \
  -DZELKOVA_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
for t in "${targets[@]}"; do
  cmake --build "$build" --target "fuzz_$t" -j "${ZELKOVA_FUZZ_JOBS:-2}"
done

# Longest input tried per target: a FASTA input must be able to hold a record
# of 5000 letters; a model line is refused beyond 4096 characters.
max_len() {
  case "$1" in
    fasta|dna) echo 12000 ;;
    markov|tables) echo 8192 ;;
    options) echo 2048 ;;
    report|motifs) echo 16384 ;;
  esac
}

# Inputs tried per target with a fixed seed: about ten seconds each on the
# 2-core development machine under the sanitizers.
fixed_runs() {
  case "$1" in
    fasta|markov|tables) echo 15000 ;;
    options) echo 300000 ;;
    report|dna|motifs) echo 120000 ;;
  esac
}

failed=()
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  crashes="$here/crashes/$t"
  mkdir -p "$corpus" "$crashes" "$build/logs"
  args=(-max_total_time="$seconds" -max_len="$(max_len "$t")" -timeout=10 -rss_limit_mb=2048
        -print_final_stats=1 -artifact_prefix="$crashes/")
  [ -f "$here/$t.dict" ] && args+=(-dict="$here/$t.dict")
  [ -n "${ZELKOVA_FUZZ_SEED:-}" ] && args+=(-seed="$ZELKOVA_FUZZ_SEED" -runs="$(fixed_runs "$t")")
  log="$build/logs/$t.log"
  echo "== fuzz_$t for ${seconds}s (log: $log)"
  if "$build/tests/fuzz/fuzz_$t" "${args[@]}" "$corpus" "$here/corpus/$t" >"$log" 2>&1; then
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$log" || true
  else
    echo "fuzz_$t stopped on a finding; see $log and $crashes/" >&2
    grep -E '^(==[0-9]+==ERROR|SUMMARY|fuzz check failed|.*runtime error)' "$log" | head -5 >&2 || true
    failed+=("$t")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "findings in: ${failed[*]}" >&2
  exit 1
fi
echo "no findings"
