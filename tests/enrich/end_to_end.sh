#!/usr/bin/env bash
# End-to-end test of zelkova-enrich with the real binaries: a small fixed case
# compared whole (its numbers worked out by hand: see docs/development.md), the bundled
# example through zelkova and zelkova-enrich (site scores against the report's
# site lines, thread counts, gzip input), the HTML page with the enrichment,
# and the refused runs, which must leave nothing behind.
#
# usage: end_to_end.sh BIN_DIR FASTA DATA_DIR
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
fasta=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
data=$(cd "$3" && pwd)
enrich=$bin_dir/zelkova-enrich

source "$(dirname "$0")/../checks.sh"
cd "$work"

# --- the fixed case, whole outputs -------------------------------------------
"$enrich" -o table.tsv --sites sites.tsv "$data/tiny.out" "$data/primary.fa" "$data/control.fa" 2>err.txt ||
  fail "fixed case: status $?: $(cat err.txt)"
diff -u "$data/expected_table.tsv" table.tsv || fail "fixed case: table differs"
diff -u "$data/expected_sites.tsv" sites.tsv || fail "fixed case: sites differ"
[ ! -s err.txt ] || fail "fixed case: unexpected messages: $(cat err.txt)"
"$enrich" "$data/tiny.out" "$data/primary.fa" "$data/control.fa" >stdout.tsv
cmp -s stdout.tsv table.tsv || fail "fixed case: standard output differs from the -o file"
gzip -c "$data/primary.fa" >primary.fa.gz
gzip -c "$data/control.fa" >control.gz  # recognised by content, not by name
"$enrich" "$data/tiny.out" primary.fa.gz control.gz >gz.tsv
cmp -s gz.tsv table.tsv || fail "fixed case: gzip input gives another table"

# --- the bundled example ----------------------------------------------------
cp "$fasta" input.fa
"$bin_dir/zelkova-markov" -o fg.txt input.fa
"$bin_dir/zelkova-markov" -m 3 -o bg.txt input.fa
"$bin_dir/zelkova" -f input.fa -l 16 -b bg.txt -z fg.txt >console.txt
motifs=$(grep -c '^Motif rank #' input.out || true)
[ "$motifs" -gt 0 ] || fail "zelkova reported no motif"

"$enrich" -p 1 -o one.tsv --sites one_sites.tsv input.out input.fa
"$enrich" -p 4 -o four.tsv --sites four_sites.tsv input.out input.fa
cmp -s one.tsv four.tsv || fail "example: -p 1 and -p 4 give different tables"
cmp -s one_sites.tsv four_sites.tsv || fail "example: -p 1 and -p 4 give different sites"
[ "$(wc -l <one.tsv)" -eq $((motifs + 1)) ] || fail "example: expected a header and $motifs lines"
awk -F'\t' 'NR > 1 && ($1 != NR - 1 || $2 != "ZELKOVA-" (NR - 1) || $6 != 18 || $8 != 36) { print "bad line " NR ": " $0 }' \
  one.tsv | grep . && fail "example: ranks, ids or set sizes wrong (18 sequences, 2 shuffled copies each)"
"$enrich" --seed 1 input.out input.fa >seed1.tsv
cmp -s seed1.tsv one.tsv && fail "example: another seed gives the same shuffled control"
gzip -c input.fa >input.fa.gz
"$enrich" -o gz.tsv input.out input.fa.gz
cmp -s gz.tsv one.tsv || fail "example: gzip input gives another table"

# Every site line of the report is among the counted sites with the same word
# and score, at a threshold just below the lowest site score (the sites are
# scored under the final matrix, so some fall below the run's threshold).
threshold=$(awk -F'\t' '/^>/ && NF >= 5 && (min == "" || $NF < min) { min = $NF } END { printf "%.4f", min - 0.0001 }' input.out)
"$enrich" --threshold "$threshold" --sites at_threshold.tsv -o at_threshold.tsv.table input.out input.fa
awk -F'\t' '/^Motif rank #/ { id = "ZELKOVA-" substr($0, 13) }
  /^>/ && NF >= 5 { n = NF; name = $1; for (i = 2; i <= n - 4; i++) name = name "\t" $i
    gsub(/\t/, " ", name); print id "\t" substr(name, 2) "\t" $(n - 1) "\t" ($(n - 2) == 1 ? "+" : "-") "\t" $(n - 3) "\t" $n }' \
  input.out | sort >report_sites.txt
awk -F'\t' 'NR > 1 && $2 == "primary" { print $1 "\t" $3 "\t" $4 "\t" $5 "\t" $6 "\t" $7 }' at_threshold.tsv |
  sort >counted_sites.txt
[ "$(wc -l <report_sites.txt)" -gt 50 ] || fail "example: could not read the report's site lines"
missing=$(comm -23 report_sites.txt counted_sites.txt | wc -l)
[ "$missing" -eq 0 ] || fail "example: $missing report sites not reproduced:
$(comm -23 report_sites.txt counted_sites.txt | head -5)"
awk -F'\t' -v t="$threshold" 'NR > 1 && $4 != sprintf("%.4f", t) { print "threshold " $4 }' at_threshold.tsv.table |
  grep . && fail "example: --threshold is not the reported threshold"

# --- the page with the enrichment -------------------------------------------
"$bin_dir/zelkova-export" --format html --enrichment one.tsv -o page.html input.out ||
  fail "html with --enrichment: status $?"
[ "$(grep -c '<td class="num evalue">' page.html)" -eq "$motifs" ] || fail "html: no E-value per motif"
[ "$(grep -c '<h3>Enrichment</h3>' page.html)" -eq "$motifs" ] || fail "html: no enrichment per section"
status=0
"$bin_dir/zelkova-export" --format html --enrichment table.tsv -o foreign.html input.out 2>err.txt || status=$?
[ "$status" -eq 1 ] && grep -q '^Error: table.tsv:2: motif ZELKOVA-1 has the consensus' err.txt ||
  fail "html: a table of another report was not refused: $(cat err.txt)"
[ ! -e foreign.html ] || fail "html: a page was written for a foreign table"
status=0
"$bin_dir/zelkova-export" --format meme --enrichment one.tsv input.out >/dev/null 2>err.txt || status=$?
[ "$status" -eq 1 ] || fail "--enrichment without html was accepted"

# --- refused runs: status 1, a message naming the file or option, no output --
printf 'no record here\n' >norecord.fa
printf '>n\nNNNNNNNN\n>x\nRYKM\n' >nobases.fa
head -n 30 input.out >truncated.out
cp input.fa keep.fa
expect_refusal() {  # MESSAGE_PATTERN ARG...
  local pattern=$1
  shift
  local status=0
  rm -f refused.tsv refused_sites.tsv
  "$enrich" -o refused.tsv --sites refused_sites.tsv "$@" >stdout.txt 2>err.txt || status=$?
  [ "$status" -eq 1 ] || fail "'$*': status $status, expected 1"
  grep -q -- "$pattern" err.txt || fail "'$*': message does not match '$pattern': $(cat err.txt)"
  [ ! -e refused.tsv ] && [ ! -e refused_sites.tsv ] && [ ! -s stdout.txt ] || fail "'$*': something was written"
  ls ./*.XXXXXX* refused.tsv.* >/dev/null 2>&1 && fail "'$*': a temporary file was left"
  return 0
}
expect_refusal '^Error: truncated.out:' truncated.out input.fa
expect_refusal '^Error: missing.out: cannot open' missing.out input.fa
expect_refusal '^Error: norecord.fa holds no FASTA record' input.out norecord.fa
expect_refusal '^Error: norecord.fa holds no FASTA record' input.out input.fa norecord.fa
expect_refusal '^Error: nobases.fa holds no A, C, G or T' input.out input.fa nobases.fa
expect_refusal '^Error: nobases.fa holds no A, C, G or T' input.out nobases.fa
expect_refusal '^Error: cannot read missing.fa: No such file' input.out missing.fa
expect_refusal '^Error: --copies "0"' --copies 0 input.out input.fa
expect_refusal '^Error: --shuffle "0"' --shuffle 0 input.out input.fa
expect_refusal '^Error: --shuffle "7"' --shuffle 7 input.out input.fa
expect_refusal '^Error: --threshold "0"' --threshold 0 input.out input.fa
expect_refusal '^Error: --threshold "1.5"' --threshold 1.5 input.out input.fa
expect_refusal '^Error: --shuffle, --copies and --seed' --seed 3 input.out input.fa input.fa
expect_refusal '^Error: give a MOTIFS' input.out
head -c 100 primary.fa.gz >damaged.fa.gz
expect_refusal '^Error: cannot read damaged.fa.gz: damaged gzip data' input.out damaged.fa.gz
for args in "-o keep.fa input.out keep.fa" "--sites keep.fa input.out keep.fa"; do
  status=0
  # shellcheck disable=SC2086
  "$enrich" $args >/dev/null 2>err.txt || status=$?
  [ "$status" -eq 1 ] && grep -q 'is also an input file' err.txt || fail "'$args': an input as output: $(cat err.txt)"
  cmp -s keep.fa input.fa || fail "'$args': the input was changed"
done
"$enrich" --help | grep -q '^Usage: zelkova-enrich' || fail "--help prints no usage"

finish_checks "zelkova-enrich end to end: fixed case, $motifs motifs of the example, refusals"
