#!/usr/bin/env bash
# End-to-end test of zelkova-scan with the real binary: a fixed small case
# compared whole in the tsv, bed and gff3 layouts (sites on both strands,
# headers naming genome regions on either strand, lower-case letters, N, an
# empty record); a genome scanned through its index equal to its chromosomes
# read as FASTA, with and without regions (also from standard input); the same
# bytes for -p 1 and -p 2 and through -o; --max-sites with its warning;
# --qvalue; the refused inputs, each naming its file (and line) and writing
# nothing.
#
# usage: end_to_end.sh BIN_DIR DATA_DIR   (DATA_DIR: tests/data/scan)
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
data_dir=$(cd "$2" && pwd)
scan="$bin_dir/zelkova-scan"

source "$(dirname "$0")/../checks.sh"
cd "$work"
cp "$data_dir/motifs.jaspar" "$data_dir/small.fa" .

# --- the fixed case, whole, in every layout ---------------------------------
for layout in tsv bed gff3; do
  "$scan" --format "$layout" --bg uniform --pvalue 1e-3 motifs.jaspar small.fa >"out.$layout" 2>err.txt ||
    fail "$layout: status $?: $(cat err.txt)"
  [ ! -s err.txt ] || fail "$layout: unexpected messages: $(cat err.txt)"
  diff -u "$data_dir/expected.$layout" "out.$layout" >diff.txt || fail "$layout layout differs:
$(head -20 diff.txt)"
done
# Every tsv line: 10 fields, start <= end, p <= q, the matched letters as wide as the site.
awk -F'\t' 'NR > 1 { if (NF != 10 || $4 > $5 || $8 + 0 > $9 + 0 || length($10) != $5 - $4 + 1) print "line " NR }' \
  out.tsv >rules.txt
[ ! -s rules.txt ] || fail "tsv rules broken on $(head -3 rules.txt)"

# A header naming a region of another length than its record is not a place.
printf '>chr4:100-200\nAAGGGGTTTTTCCGAA\n>chr4:100-116\nAAGGGGTTTTTCCGAA\n' >lengths.fa
"$scan" --format bed --bg uniform --pvalue 1e-5 motifs.jaspar lengths.fa >lengths.bed
[ "$(cut -f1-3 lengths.bed | tr '\t\n' ' ')" = "chr4:100-200 2 14 chr4 102 114 " ] ||
  fail "regions in headers of other lengths: $(cat lengths.bed)"

# -o writes the same bytes; any thread count gives the same bytes.
"$scan" --bg uniform --pvalue 1e-3 -o written.tsv motifs.jaspar small.fa
cmp -s written.tsv out.tsv || fail "-o file differs from standard output"
"$scan" -p 1 --pvalue 1e-3 motifs.jaspar small.fa >one.tsv
"$scan" -p 2 --pvalue 1e-3 motifs.jaspar small.fa >two.tsv
cmp -s one.tsv two.tsv || fail "-p 1 and -p 2 differ"

# --- a genome through its index equals its chromosomes read as FASTA --------
# Three chromosomes of 150 kb, each of 150 generated sequences of which about
# a third carry the planted site, in lines of 60 letters.
"$bin_dir/zelkova-gen-fasta" 450 1000 5 GGGGTTTTTCCG |
  awk '/^>/ { n++; if ((n - 1) % 150 == 0) printf "%s>chr%d\n", (n > 1 ? "\n" : ""), (n + 149) / 150; next }
       { printf "%s", $0 } END { print "" }' | fold -w 60 >chromosomes.fa
"$scan" --pvalue 1e-4 motifs.jaspar chromosomes.fa >as_fasta.tsv
"$scan" --pvalue 1e-4 motifs.jaspar --genome chromosomes.fa >as_genome.tsv 2>err.txt ||
  fail "--genome: $(cat err.txt)"
[ "$(wc -l <as_fasta.tsv)" -gt 20 ] || fail "too few sites in the generated chromosomes: $(wc -l <as_fasta.tsv)"
cmp -s as_fasta.tsv as_genome.tsv || fail "genome scan differs from the FASTA scan:
$(diff as_fasta.tsv as_genome.tsv | head -5)"
[ -e chromosomes.fa.fai ] || fail "no index built beside the genome"
"$scan" -p 2 --pvalue 1e-4 motifs.jaspar --genome chromosomes.fa >as_genome2.tsv
cmp -s as_genome.tsv as_genome2.tsv || fail "genome scan: -p 1 and -p 2 differ"

# Regions: the sites inside them, on genome coordinates; overlapping regions once.
first=$(head -1 chromosomes.fa.fai | cut -f1)
printf '%s\t1000\t60000\n%s\t50000\t90000\n' "$first" "$first" >regions.bed
"$scan" --pvalue 1e-4 --bg uniform motifs.jaspar --genome chromosomes.fa --regions regions.bed >in_regions.tsv
"$scan" --pvalue 1e-4 --bg uniform motifs.jaspar --genome chromosomes.fa >whole_uniform.tsv
awk -F'\t' -v c="$first" 'NR > 1 && $3 == c && $4 > 1000 && $5 <= 90000 { print $1, $3, $4, $5, $6, $7 }' \
  whole_uniform.tsv >expected_regions.txt
awk -F'\t' 'NR > 1 { print $1, $3, $4, $5, $6, $7 }' in_regions.tsv >found_regions.txt
[ -s found_regions.txt ] || fail "no site in the regions"
"$scan" --pvalue 1e-4 --bg uniform motifs.jaspar --genome chromosomes.fa --regions - <regions.bed >stdin_regions.tsv
cmp -s in_regions.tsv stdin_regions.tsv || fail "regions read from standard input give other sites"
diff -u expected_regions.txt found_regions.txt >/dev/null || fail "the sites in regions are not those of the whole genome there:
$(diff expected_regions.txt found_regions.txt | head -5)"
"$scan" --format bed --pvalue 1e-4 motifs.jaspar --genome chromosomes.fa >genome.bed
awk -F'\t' -v OFS='\t' 'NR > 1 { print $3, $4 - 1, $5 }' as_genome.tsv >from_tsv.txt
cut -f1-3 genome.bed >from_bed.txt
cmp -s from_tsv.txt from_bed.txt || fail "genome bed coordinates differ from the tsv's"

# --- --qvalue and --max-sites ------------------------------------------------
"$scan" --qvalue 0.05 motifs.jaspar --genome chromosomes.fa >q.tsv
awk -F'\t' 'NR > 1 && $9 + 0 > 0.05' q.tsv | grep -q . && fail "--qvalue 0.05 wrote sites of q above 0.05"
[ "$(wc -l <q.tsv)" -gt 5 ] || fail "--qvalue 0.05 found no planted site"
"$scan" --max-sites 3 --pvalue 1e-3 motifs.jaspar --genome chromosomes.fa >cut.tsv 2>warn.txt
[ "$(grep -c '^MA0022.1' cut.tsv)" -eq 3 ] || fail "--max-sites 3 wrote $(grep -c '^MA0022.1' cut.tsv) sites of MA0022.1"
grep -q '^Warning: motif MA0022.1 has [0-9]* sites of p at most 0.001; only the best 3 by p are written (--max-sites 3)' warn.txt ||
  fail "no --max-sites warning: $(cat warn.txt)"

# --- refused inputs: status 1, a message naming the file (and line), no output
expect_refusal() { expect_refusal_of "$scan" "$@"; }
: >empty.meme
printf 'A 0.3\nC 0.2\nN 0.2\nT 0.3\n' >bad_bg.txt
printf '%s\t100\t200\n%s\t0\t99999999\n' "$first" "$first" >beyond.bed
printf 'chrUn\t0\t10\n' >unknown.bed
printf 'MEME version 4\n\nALPHABET= ACGT\n\nMOTIF Z zero\nletter-probability matrix: alength= 4 w= 2\n1 0 0 0\n0 1 0 0\n' >zero.meme
expect_refusal '^Error: empty.meme: the file is empty' empty.meme small.fa
expect_refusal '^Error: bad_bg.txt:3: unknown letter .N.' --bg bad_bg.txt motifs.jaspar small.fa
expect_refusal '^Error: beyond.bed:2: the region .* ends past the end of' motifs.jaspar --genome chromosomes.fa --regions beyond.bed
expect_refusal '^Error: unknown.bed:1: chromosome chrUn is not in the genome' motifs.jaspar --genome chromosomes.fa --regions unknown.bed
expect_refusal '^Error: zero.meme:5: motif Z gives a letter the probability 0' --pseudocount 0 zero.meme small.fa
expect_refusal '^Error: cannot read missing.fa' motifs.jaspar missing.fa
expect_refusal '^Error: give --pvalue or --qvalue, not both' --pvalue 1e-3 --qvalue 0.1 motifs.jaspar small.fa
expect_refusal '^Error: --regions needs --genome' --regions unknown.bed motifs.jaspar small.fa
expect_refusal '^Error: --format "csv" is not one of tsv, bed, gff3' --format csv motifs.jaspar small.fa
expect_refusal '^Error: --strand "x" is not one of' --strand x motifs.jaspar small.fa
expect_refusal '^Error: --pvalue "0"' --pvalue 0 motifs.jaspar small.fa
expect_refusal '^Error: give MOTIFS and SEQUENCES.fa' motifs.jaspar
before=$(md5sum small.fa)
status=0
"$scan" -o small.fa motifs.jaspar small.fa 2>err.txt || status=$?
[ "$status" -eq 1 ] && grep -q 'is also an input' err.txt || fail "-o naming an input: status $status: $(cat err.txt)"
[ "$(md5sum small.fa)" = "$before" ] || fail "an input was changed"

"$scan" --help >help.txt || fail "--help: status $?"
grep -q '^Usage: zelkova-scan' help.txt || fail "--help prints no usage"

finish_checks "zelkova-scan end to end: every layout whole, genome equals FASTA, regions, -p, --qvalue, --max-sites, refusals"
