#!/usr/bin/env bash
# zelkova-discover reports neither repeats nor copies as discoveries: on a
# repeat-rich generated set (tandem repeats of CAG, GAA and CA dropped into
# random DNA) no simple repeat reaches E < 0.05 by default, while with
# --no-dust one does; on a planted E-box set no motif below rank 1 has most
# of its sites inside the sites of rank 1, the shifted copies of the
# E-box are listed under it instead of taking ranks of their own, and its
# sites (a palindrome, on both strands at one place) are listed once per
# place.
#
# usage: honest_motifs.sh BIN_DIR DATA_DIR   (DATA_DIR: the project's data/)
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
data_dir=$(cd "$2" && pwd)
source "$(dirname "$0")/common.sh"
cd "$work"

# simple_repeats SUMMARY: the lines of motifs with E < 0.05 whose consensus
# is a simple repeat by the rule of docs/zelkova-discover.md (a word of 1 to
# 3 letters, written over and over, missing at most one letter in seven; it
# fits twice and 2 letters more), as "consensus log10_E low_complexity".
simple_repeats() {
  awk -F'\t' 'NR > 1 && $7 < log(0.05) / log(10) {
    w = $5; n = length(w); found = 0
    for (p = 1; p <= 3 && !found; p++) {
      if (n < 2 * p + 2) continue
      explained = 0
      for (phase = 1; phase <= p; phase++) {
        delete c; best = 0
        for (k = phase; k <= n; k += p) if (++c[substr(w, k, 1)] > best) best = c[substr(w, k, 1)]
        explained += best
      }
      if (explained + int(n / 7) >= n) found = 1
    }
    if (found) print $5, $7, $19
  }' "$1"
}

# --- repeats ----------------------------------------------------------------------
"$bin_dir/zelkova-gen-planted" 200 300 3 >random.fa
"$bin_dir/zelkova-gen-repeats" random.fa 0.3 2 >repeats.fa
discover masked repeats.fa --lengths 8,12 --decoy no
[ "$status" -eq 0 ] || fail "the repeat-rich set failed: $(cat masked.err)"
grep -Eq '^Reading: 200 sequences, 60000 letters, [0-9.]+ % masked as low-complexity' masked.err ||
  fail "the masked share of the primary letters is not on standard error: $(head -2 masked.err)"
grep -q '^low-complexity DNA: masked as N by DUST (window 64, level 20): ' masked/log.txt ||
  fail "the log does not say how low-complexity DNA was masked"
grep -q '<th>Low-complexity DNA</th><td>masked as N by DUST' masked/index.html ||
  fail "the page does not say how low-complexity DNA was masked"
[ -z "$(simple_repeats masked/summary.tsv)" ] ||
  fail "simple repeats with E < 0.05 by default: $(simple_repeats masked/summary.tsv | tr '\n' ';')"
awk -F'\t' 'NR > 1 && $19 != "no" { exit 1 }' masked/summary.tsv || fail "a ranked motif is flagged low_complexity"
grep -q 'id="simple-repeats"' masked/index.html || fail "the page has no section of simple repeats set apart"

discover unmasked repeats.fa --lengths 8,12 --decoy no --no-dust
[ "$status" -eq 0 ] || fail "--no-dust failed: $(cat unmasked.err)"
[ -n "$(simple_repeats unmasked/summary.tsv)" ] || fail "--no-dust: no simple repeat with E < 0.05 (the test set is too weak)"
awk -F'\t' 'NR > 1 && $19 == "yes" { flagged++ } END { exit !flagged }' unmasked/summary.tsv ||
  fail "--no-dust: no motif flagged low_complexity"
grep -q '^low-complexity DNA: not masked (--no-dust)' unmasked/log.txt || fail "the log does not say --no-dust"
grep -q 'simple repeat</span>' unmasked/index.html || fail "the page does not flag the simple repeat"
! grep -q 'masked as low-complexity' unmasked.err || fail "--no-dust still reports masked letters"

# A higher level masks less.
discover level repeats.fa --lengths 8 --decoy no --dust-level 40
masked_share() { sed -n 's/^Reading: .* letters, \([0-9.]*\) % masked.*/\1/p' "$1"; }
awk -v a="$(masked_share level.err)" -v b="$(masked_share masked.err)" 'BEGIN { exit !(a < b) }' ||
  fail "--dust-level 40 masked $(masked_share level.err) %, not less than level 20's $(masked_share masked.err) %"

# --- one motif, one rank ----------------------------------------------------------------
"$bin_dir/zelkova-gen-planted" 200 300 12 "$data_dir/jaspar/jaspar_vertebrates.pfm" MA0004.1 0.5 ebox.sites >ebox.fa
discover ebox ebox.fa --lengths 10,12 --decoy no
[ "$status" -eq 0 ] || fail "the E-box set failed: $(cat ebox.err)"
[[ $(summary_field ebox 1 consensus) == *CACGTG* ]] || fail "rank 1 is $(summary_field ebox 1 consensus), not the E-box"
[ "$(summary_field ebox 1 conditional_log10_E)" = "$(summary_field ebox 1 log10_E)" ] ||
  fail "rank 1's conditional E-value differs from its own with nothing masked"
# Share of each lower motif's sites that overlap a rank-1 site by half their width.
awk -F'\t' 'NR > 1 && $1 == "ZELKOVA-1" { n[$2]++; s[$2, n[$2]] = $3; e[$2, n[$2]] = $4; next }
  NR > 1 { total[$1]++
    for (k = 1; k <= n[$2]; k++) {
      lo = s[$2, k] > $3 ? s[$2, k] : $3; hi = e[$2, k] < $4 ? e[$2, k] : $4
      if (2 * (hi - lo + 1) >= $4 - $3 + 1) { inside[$1]++; break } } }
  END { for (m in total) if (2 * inside[m] > total[m]) print m ": " inside[m] " of " total[m] }' ebox/sites.tsv >inside.txt
[ ! -s inside.txt ] || fail "motifs with most of their sites inside rank 1's: $(cat inside.txt)"
# The copies are listed under rank 1, each with what masking left of it.
awk '/^  ZELKOVA-1 /, /^  ZELKOVA-2 / { if ($1 == "explains") print }' ebox/log.txt >copies.txt
grep -q 'CACGTG' copies.txt || fail "no shifted copy of the E-box is listed under rank 1: $(cat copies.txt)"
grep -q '<h3>Motifs it explains</h3>' ebox/index.html || fail "the page lists no explained motifs"
# CACGTG is its own reverse complement: the E-box scores on both strands at
# one place and at shifts of one site, and each place is listed once.
overlapping_sites ebox/sites.tsv >overlaps.txt
[ ! -s overlaps.txt ] || fail "overlapping E-box sites listed: $(head -2 overlaps.txt)"
grep -q '^Ranking: .* explained by better ones' ebox.err || fail "the progress does not count explained motifs"

finish_checks "no simple repeat significant by default, one with --no-dust; copies of the E-box listed under it"
