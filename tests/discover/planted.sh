#!/usr/bin/env bash
# zelkova-discover on generated sets: with sites of a known motif (CTCF,
# MA0139.1 of the bundled collection) planted in 80 % of 20, 100 and 500
# sequences, the planted motif must rank first, beat the decoy, be named
# after MA0139.1, and sites.tsv must hold most planted sites; on sets without
# a planted motif the best motif must not beat the decoy in most seeds.
#
# usage: planted.sh BIN_DIR DATA_DIR   (DATA_DIR: the project's data/)
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
data_dir=$(cd "$2" && pwd)
source "$(dirname "$0")/common.sh"
cd "$work"
matrices=$data_dir/jaspar/jaspar_vertebrates.pfm

# recovered SITES_TSV PLANTED_TSV: the share of planted sites (19 letters)
# that a site of ZELKOVA-1 overlaps by at least 8 letters, in percent.
recovered() {
  awk -F'\t' 'FNR == NR { if (FNR > 1 && $1 == "ZELKOVA-1") { n[$2]++; s[$2, n[$2]] = $3; e[$2, n[$2]] = $4 }; next }
    { planted++; from = $2; to = $2 + 18
      for (k = 1; k <= n[$1]; k++) {
        lo = s[$1, k] > from ? s[$1, k] : from; hi = e[$1, k] < to ? e[$1, k] : to
        if (hi - lo + 1 >= 8) { found++; break } } }
    END { print planted ? int(100 * found / planted) : 0 }' "$1" "$2"
}

check_planted() {  # SEQUENCES LENGTH ARGS...
  local n=$1 length=$2 name="planted$1"
  shift 2
  "$bin_dir/zelkova-gen-planted" "$n" "$length" "$n" "$matrices" MA0139.1 0.8 "$name.planted" >"$name.fa"
  discover "$name" "$name.fa" "$@"
  [ "$status" -eq 0 ] || { fail "$name: status $status: $(cat "$name.err")"; return; }
  local match decoy share
  match=$(summary_field "$name" 1 best_match_id)
  decoy=$(summary_field "$name" 1 beats_decoy)
  share=$(recovered "$name/sites.tsv" "$name.planted")
  echo "$n sequences: rank 1 $(summary_field "$name" 1 consensus), log10 E $(summary_field "$name" 1 log10_E), best match $match, beats the decoy: $decoy, $share % of the planted sites"
  [ "$match" = MA0139.1 ] || fail "$name: the best motif is named $match, not MA0139.1 (CTCF)"
  [ "$decoy" = yes ] || fail "$name: the planted motif does not beat the decoy"
  [ "$share" -ge 70 ] || fail "$name: sites.tsv holds only $share % of the planted sites"
  site_word_errors "$name.fa" "$name/sites.tsv" >words.txt
  [ ! -s words.txt ] || fail "$name: words do not match their coordinates: $(head -2 words.txt)"
}

check_planted 20 150
check_planted 100 150 --lengths 10,12,14
check_planted 500 100 --lengths 12 --decoy yes

# No planted motif: what is found must look like shuffled DNA in most seeds.
# With 2 decoy sets the best of 3 exchangeable sets is the primary's in a
# third of random sets; more than half of 10 seeds (a 1 in 13 chance then)
# means the decoy no longer tells chance apart.
beaten=0
for seed in 1 2 3 4 5 6 7 8 9 10; do
  "$bin_dir/zelkova-gen-planted" 30 150 "$seed" >null.fa
  discover "null$seed" null.fa --lengths 8,12,16
  [ "$status" -eq 0 ] || { fail "null seed $seed: $(cat "null$seed.err")"; continue; }
  verdict=$(summary_field "null$seed" 1 beats_decoy)
  echo "random sequences, seed $seed: best log10 E $(summary_field "null$seed" 1 log10_E), beats the decoy: $verdict"
  if [ "$verdict" = yes ]; then
    beaten=$((beaten + 1))
  else
    grep -q 'does not beat the decoy' "null$seed/index.html" || fail "null seed $seed: the page does not say so"
  fi
done
[ "$beaten" -le 5 ] || fail "the best motif of random sequences beat the decoy in $beaten of 10 seeds"

finish_checks "planted motifs found and named; random sequences do not beat the decoy in most seeds"
