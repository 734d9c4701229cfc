#!/usr/bin/env bash
# End-to-end test of zelkova-compare with the real binaries: a small FASTA
# file with a planted known motif goes through zelkova-markov, zelkova and
# zelkova-compare, and the known motif must be named first; the table is
# checked whole, written by -o and shown on the HTML page; then bad inputs
# and command lines.
#
# usage: end_to_end.sh BIN_DIR DATA_DIR   (DATA_DIR: the project's data/)
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
data_dir=$(cd "$2" && pwd)

source "$(dirname "$0")/../checks.sh"
cd "$work"

# --- a planted known motif is named first -----------------------------------
# MA0043.1 (HLF) of the bundled collection, consensus GGTTACGCAATA.
"$bin_dir/zelkova-gen-fasta" 30 300 7 GGTTACGCAATA >planted.fa
"$bin_dir/zelkova-markov" -o fg.txt planted.fa
"$bin_dir/zelkova-markov" -m 3 -o bg.txt planted.fa
"$bin_dir/zelkova" -f planted.fa -l 12 -m 3 -n 3 -b bg.txt -z fg.txt >console.txt
"$bin_dir/zelkova-compare" planted.out >matches.tsv 2>err.txt || fail "zelkova-compare failed: $(cat err.txt)"
[ ! -s err.txt ] || fail "unexpected messages: $(cat err.txt)"
header=$'query\tquery_consensus\ttarget_id\ttarget_name\torientation\toffset\toverlap\tp\tE\tq\ttarget_consensus'
[ "$(head -1 matches.tsv)" = "$header" ] || fail "header line: $(head -1 matches.tsv)"
first=$(awk -F'\t' '$1 == "ZELKOVA-1" { print $3, $4, $5; exit }' matches.tsv)
[ "$first" = "MA0043.1 HLF +" ] || fail "first match of ZELKOVA-1 is '$first', expected 'MA0043.1 HLF +'"
# Every line has eleven fields; at most five per query, with E of 10 or less,
# in ascending order of p; p at most E (there are over 300 targets) and 1.
awk -F'\t' 'NR > 1 {
    if (NF != 11) print "line " NR ": " NF " fields"
    if (++n[$1] > 5) print "line " NR ": more than 5 matches of " $1
    if ($9 + 0 > 10) print "line " NR ": E above 10"
    if ($1 == last && $8 + 0 < lastp) print "line " NR ": not sorted by p"
    if ($8 + 0 > $9 + 0 || $8 + 0 > 1) print "line " NR ": p above E or above 1"
    if (length($11) < $7) print "line " NR ": target consensus shorter than the overlap"
    last = $1; lastp = $8 + 0 }' matches.tsv >rules.txt
[ ! -s rules.txt ] || fail "table rules: $(head -5 rules.txt)"
[ "$(cut -f1 matches.tsv | sort -u | grep -c ZELKOVA-)" -eq 3 ] || fail "expected matches for all 3 motifs"

# The same comparison through an exported MEME file gives the same table.
"$bin_dir/zelkova-export" -f meme -o planted.meme planted.out
"$bin_dir/zelkova-compare" planted.meme >from_meme.tsv
diff -u matches.tsv from_meme.tsv >/dev/null || fail "MEME export compares differently:
$(diff -u matches.tsv from_meme.tsv | head -10)"

# -o writes the same bytes; --top and --evalue-max cut the table.
"$bin_dir/zelkova-compare" -o out.tsv planted.out
cmp -s out.tsv matches.tsv || fail "-o file differs from standard output"
"$bin_dir/zelkova-compare" --top 1 --evalue-max 1 planted.out >top.tsv
[ "$(wc -l <top.tsv)" -le 4 ] || fail "--top 1 gave $(wc -l <top.tsv) lines"
[ "$(awk -F'\t' 'NR > 1 && $9 + 0 > 1' top.tsv | wc -l)" -eq 0 ] || fail "--evalue-max 1 kept larger E-values"

# --db with the one file that holds the motif finds it too.
grep -A4 '^>MA0043.1' "$data_dir/jaspar/jaspar_vertebrates.pfm" >hlf.pfm
"$bin_dir/zelkova-compare" --db hlf.pfm planted.out >own_db.tsv
[ "$(awk -F'\t' 'NR == 2 { print $3 }' own_db.tsv)" = "MA0043.1" ] || fail "--db: $(sed -n 2p own_db.tsv)"

# The HTML page shows the matches with the known motif's logo.
"$bin_dir/zelkova-export" -f html --matches matches.tsv -o page.html planted.out 2>err.txt ||
  fail "html --matches: $(cat err.txt)"
grep -q '<figure class="match" data-target="MA0043.1">' page.html || fail "html: no aligned logo of MA0043.1"
[ "$(grep -c '<h3>Known motifs it resembles</h3>' page.html)" -eq 3 ] || fail "html: one matches part per motif"
# A table whose known motif is not in the database is refused at its line.
awk -F'\t' -v OFS='\t' 'NR == 3 { $3 = "MA9999.9" } { print }' matches.tsv >bogus.tsv
status=0
"$bin_dir/zelkova-export" -f html --matches bogus.tsv -o bogus.html planted.out 2>err.txt || status=$?
[ "$status" -eq 1 ] && grep -q '^Error: bogus.tsv:3: the known motif MA9999.9 is not in the database' err.txt ||
  fail "html --matches with an unknown motif: status $status, $(cat err.txt)"
[ ! -e bogus.html ] || fail "html --matches with an unknown motif: a page was written"

# --- refused inputs: status 1, a message naming the file (and line), no output
expect_refusal() { expect_refusal_of "$bin_dir/zelkova-compare" "$@"; }
printf '>MA1 x\nA [ 1 2 ]\nC [ 1 2 ]\nG [ 1 x ]\nT [ 1 2 ]\n' >bad.jaspar
printf 'MEME version 4\n\nALPHABET= ACGT\n\n' >nomotif.meme
printf '>Z empty\nA [ ]\nC [ ]\nG [ ]\nT [ ]\n' >zero.jaspar
: >empty.txt
expect_refusal '^Error: bad.jaspar:4: matrix value "x"' bad.jaspar
expect_refusal '^Error: bad.jaspar:4: ' --db bad.jaspar planted.out
expect_refusal '^Error: nomotif.meme: the file holds no motif' --db nomotif.meme planted.out
# Files read as one database must not name a motif twice.
expect_refusal '^Error: hlf.pfm:1: motif MA0043.1 is already in hlf.pfm:1; identifiers must be unique' \
  --db hlf.pfm --db hlf.pfm planted.out
expect_refusal '^Error: empty.txt: the file is empty' --db empty.txt planted.out
expect_refusal '^Error: zero.jaspar:1: motif Z has no columns' zero.jaspar
expect_refusal '^Error: missing.meme: cannot open' missing.meme
expect_refusal '^Error: --min-overlap "0"' --min-overlap 0 planted.out
expect_refusal '^Error: --top "0"' --top 0 planted.out
expect_refusal '^Error: no MOTIFS' --db hlf.pfm
expect_refusal '^Error: unknown option' --frobnicate planted.out

# -o naming an input is refused before anything is read or written.
before=$(md5sum planted.out hlf.pfm)
for args in "-o planted.out planted.out" "-o hlf.pfm --db hlf.pfm planted.out" "-o ./planted.out planted.out"; do
  status=0
  "$bin_dir/zelkova-compare" $args >/dev/null 2>err.txt || status=$?
  [ "$status" -eq 1 ] && grep -q 'is also an input' err.txt || fail "'$args' gave status $status: $(cat err.txt)"
done
[ "$(md5sum planted.out hlf.pfm)" = "$before" ] || fail "an input was changed"

# A report without motifs gives the header line only.
header_end=$(grep -n -m2 '^#####################$' planted.out | tail -1 | cut -d: -f1)
head -n $((header_end + 1)) planted.out >empty.out
"$bin_dir/zelkova-compare" empty.out >empty.tsv || fail "an empty report was refused"
[ "$(cat empty.tsv)" = "$header" ] || fail "empty report: $(cat empty.tsv)"

"$bin_dir/zelkova-compare" --help >help.txt || fail "--help: status $?"
grep -q '^Usage: zelkova-compare' help.txt || fail "--help prints no usage"

finish_checks "zelkova-compare end to end: the planted motif is named first; every refusal names its cause"
