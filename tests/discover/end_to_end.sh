#!/usr/bin/env bash
# End-to-end checks of zelkova-discover with the real binary: the bundled CRP
# example (its site ranks first, beats the decoy, and every output is there
# and well formed), coordinates on the sequences as given with --trim and
# --mask-lowercase, genome coordinates in sites.bed, a given control, a
# holdout, side files, --force, and identical results for gzip and plain
# inputs, for repeated runs and for 1 and 2 threads; central enrichment on
# windows of one length (and not on records of two lengths), log10_p, and no
# two overlapping sites of one motif listed.
#
# usage: end_to_end.sh BIN_DIR EXAMPLE.fa
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
source "$(dirname "$0")/common.sh"
copy_example "$2"

# --- the bundled example ------------------------------------------------------
discover crp crp0.fa
[ "$status" -eq 0 ] || fail "the example failed: $(cat crp.err)"
for f in index.html summary.tsv sites.tsv motifs.meme motifs.jaspar log.txt; do
  [ -s "crp/$f" ] || fail "crp/$f is missing or empty"
done
[ ! -e crp/sites.bed ] || fail "sites.bed written though the headers name no genome regions"
[ "$(head -1 crp/summary.tsv)" = "$summary_header" ] || fail "summary header: $(head -1 crp/summary.tsv)"
[ "$(head -1 crp/sites.tsv)" = "$sites_header" ] || fail "sites header: $(head -1 crp/sites.tsv)"
# One motif, one rank: fewer than 10 may remain once the copies of better ones are listed under them.
motifs=$(($(wc -l <crp/summary.tsv) - 1))
[ "$motifs" -ge 3 ] && [ "$motifs" -le 10 ] || fail "expected 3 to 10 motifs in summary.tsv, found $motifs"
# The CRP site TGTGA-N6-TCACA, on either strand, is the best motif.
best=$(summary_field crp 1 consensus)
[[ $best =~ TGTGA......TCACA|TGTGA......TCAC|GTGA......TCACA ]] || fail "the best motif is $best, not the CRP site"
[ "$(summary_field crp 1 beats_decoy)" = yes ] || fail "the CRP site does not beat the decoy"
awk -F'\t' 'NR > 2 && $7 + 0 < prev { print "line " NR ": not ranked by E-value" } NR > 1 { prev = $7 + 0 }
  NR > 1 && $8 != "yes" && $8 != "no" { print "line " NR ": beats_decoy " $8 }
  NR > 1 && ($10 != 18 || $12 != 36) { print "line " NR ": totals " $10 ", " $12 }
  NR > 1 && $2 != "ZELKOVA-" $1 { print "line " NR ": id " $2 }' crp/summary.tsv >rules.txt
[ ! -s rules.txt ] || fail "summary rules: $(head -3 rules.txt)"
# Every site's word is the sequence at its coordinates.
site_word_errors crp0.fa crp/sites.tsv >words.txt
[ ! -s words.txt ] || fail "sites.tsv words do not match their coordinates: $(head -3 words.txt)"
[ "$(cut -f1 crp/sites.tsv | sort -u | grep -c ZELKOVA-)" -eq "$motifs" ] || fail "sites.tsv lacks sites of some motifs"
# MEME: E-values in E=, the control's letter frequencies, one motif each.
grep -q '^MOTIF ZELKOVA-1 ' crp/motifs.meme || fail "no ZELKOVA-1 in motifs.meme"
[ "$(grep -c '^MOTIF ' crp/motifs.meme)" -eq "$motifs" ] || fail "motifs.meme does not hold $motifs motifs"
grep '^letter-probability' crp/motifs.meme | grep -vq 'E= [0-9]\.[0-9]e[-+][0-9][0-9]' &&
  fail "an E= field is not an E-value: $(grep '^letter-probability' crp/motifs.meme | head -2)"
e1=$(sed -n 's/.*E= \(.*\)$/\1/p' crp/motifs.meme | head -1)
awk -v e="$e1" -v l="$(summary_field crp 1 log10_E)" 'BEGIN { exit !(sprintf("%.1e", 10 ^ l) == e) }' ||
  fail "MEME E= $e1 is not the E-value of log10_E $(summary_field crp 1 log10_E)"
bg=$(sed -n '/^Background letter frequencies/{n;p}' crp/motifs.meme)
[ "$bg" != "A 0.25 C 0.25 G 0.25 T 0.25" ] || fail "the MEME background is even, not the control's"
awk '{ s = $2 + $4 + $6 + $8; if (s < 0.999 || s > 1.001 || $2 != $8 || $4 != $6) exit 1 }' <<<"$bg" ||
  fail "the MEME background is not a two-strand composition: $bg"
[ "$(grep -c '^>ZELKOVA-' crp/motifs.jaspar)" -eq "$motifs" ] || fail "motifs.jaspar does not hold $motifs motifs"
# The log names the version, the seed and every step.
grep -q '^zelkova-discover (ZELKOVA) [0-9]' crp/log.txt || fail "no version in log.txt"
grep -q 'dinucleotide-shuffled copies of each primary sequence (seed 0)' crp/log.txt || fail "no seed in log.txt"
for step in Reading Control Models Discovery Significance Refinement Decoy Redundancy Ranking Names; do
  grep -q "^  $step: .* s)$" crp/log.txt || fail "log.txt lacks the time of the step $step"
done
# Every search left its report and page under runs/, linked from the page.
[ "$(ls crp/runs/*.out | wc -l)" -eq 28 ] ||
  fail "expected 28 reports under runs/ (6 engine and 8 word searches of the primary set, as many of the decoy)"
for f in crp/runs/l8_m2.out crp/runs/l16_m8.html crp/runs/decoy1_l16_m4.out crp/runs/words10.out \
  crp/runs/decoy1_words8.html crp/runs/words8_gap6.out; do [ -s "$f" ] || fail "$f missing"; done
grep -q 'href="runs/l16_m8.html"' crp/index.html || fail "the page does not link the search pages"
[ "$(grep -c '<section class="motif" id="ZELKOVA-' crp/index.html)" -eq "$motifs" ] || fail "not $motifs motif sections"
grep -q 'beats the decoy' crp/index.html || fail "the page does not say that the best motif beats the decoy"
ls crp/runs | grep -q initcluster && fail "side files written without --keep-side-files"
[ ! -e initcore.txt ] || fail "side files written into the working directory"
# On standard error, one line per step when it is not a terminal.
[ "$(grep -c '^Discovery: 28 searches' crp.err)" -eq 1 ] || fail "no progress line for the searches: $(cat crp.err)"

# --- identical results: again, with 1 thread, from gzip -------------------------
discover again crp0.fa -p 2
[ "$status" -eq 0 ] || fail "the second run failed"
same_contents crp again "a second run"
discover one crp0.fa -p 1
same_contents crp one "-p 1 against the default"
mkdir -p packed && gzip -c crp0.fa >packed/crp0.fa
(cd packed && "$bin_dir/zelkova-discover" crp0.fa -o ../crp_gz 2>/dev/null) || fail "the gzip run failed"
same_contents crp crp_gz "gzip against plain input"

# --- --trim and --mask-lowercase: coordinates on the sequences as given ---------
awk '/^>/ { print; next } { print tolower(substr($0, 1, 20)) substr($0, 21) }' crp0.fa >soft.fa
discover trimmed soft.fa --trim 60 --mask-lowercase --lengths 8,16 --decoy no
[ "$status" -eq 0 ] || fail "--trim --mask-lowercase failed: $(cat trimmed.err)"
site_word_errors soft.fa trimmed/sites.tsv >words.txt
[ ! -s words.txt ] || fail "trimmed sites are not on the sequences as given: $(head -3 words.txt)"
awk -F'\t' 'NR > 1 && ($3 < 23 || $4 > 82) { print }' trimmed/sites.tsv >outside.txt
[ ! -s outside.txt ] || fail "sites outside the central 60 letters (23..82 of 105): $(head -2 outside.txt)"
grep -q '^trim: central 60 letters' trimmed/log.txt || fail "the log does not give the trim"
[ "$(summary_field trimmed 1 beats_decoy)" = NA ] || fail "beats_decoy is not NA without a decoy"
grep -q 'No decoy was run' trimmed/index.html || fail "the page does not say that no decoy ran"
[ "$(ls trimmed/runs/*.out | wc -l)" -eq 12 ] || fail "--lengths 8,16 --decoy no ran other than 12 searches (4 engine, 8 word)"

# --- central enrichment, log10_p and one site per place ------------------------------
# Windows of one length are tested (the 105 letters of every record, the 60
# of --trim); records of several lengths are not, with NA in the columns.
awk -F'\t' 'NR > 1 && !($20 ~ /^-?[0-9]+\.[0-9][0-9][0-9]$/ && $21 ~ /^[0-9]+$/) { print }' crp/summary.tsv >central.txt
[ ! -s central.txt ] || fail "central columns of windows of one length: $(head -2 central.txt)"
grep -q '^central enrichment: the best site of each of 18 primary sequences of 105 letters;' crp/log.txt ||
  fail "the log does not describe central enrichment: $(grep '^central' crp/log.txt)"
grep -q '^central enrichment: the best site of each of 18 primary sequences of 60 letters;' trimmed/log.txt ||
  fail "--trim: central enrichment is not on the trimmed windows: $(grep '^central' trimmed/log.txt)"
[ "$(grep -c '<svg xmlns="http://www.w3.org/2000/svg" class="central-histogram"' crp/index.html)" -ge "$motifs" ] ||
  fail "the page lacks a histogram of site positions per motif"
awk -F'\t' 'NR > 1 && !($12 ~ /^-[0-9]+\.[0-9][0-9][0-9]$/) { print }' crp/sites.tsv >log10p.txt
[ ! -s log10p.txt ] || fail "log10_p is not a log10 p-value: $(head -2 log10p.txt)"
overlapping_sites crp/sites.tsv >overlaps.txt
[ ! -s overlaps.txt ] || fail "overlapping sites of one motif listed: $(head -2 overlaps.txt)"
awk '/^>/ { if (s != "") print (n % 2 ? substr(s, 1, 90) : s); print; n++; s = ""; next } { s = s $0 }
  END { print (n % 2 ? substr(s, 1, 90) : s) }' crp0.fa >uneven.fa
discover uneven uneven.fa --lengths 16 --decoy no --no-known
[ "$status" -eq 0 ] || fail "records of two lengths failed: $(cat uneven.err)"
awk -F'\t' 'NR > 1 && ($20 != "NA" || $21 != "NA") { print }' uneven/summary.tsv >central.txt
[ ! -s central.txt ] || fail "central columns for records of two lengths: $(head -2 central.txt)"
grep -q '^central enrichment: not tested: the primary sequences are of 2 lengths (90 to 105 letters)' uneven/log.txt ||
  fail "the log does not say why central enrichment was not tested: $(grep '^central' uneven/log.txt)"
grep -q '<p class="empty">Central enrichment was not tested: the primary sequences are of 2 lengths' uneven/index.html ||
  fail "the page does not say why central enrichment was not tested"

# --- genome coordinates: sites.bed ----------------------------------------------
awk '/^>/ { n++; printf(">chr%d:%d-%d\n", n % 3 + 1, 1000 * n, 1000 * n + 105); next } { print }' crp0.fa >regions.fa
discover bed regions.fa --lengths 16 --decoy no --trim 80
[ -s bed/sites.bed ] || fail "no sites.bed for chrom:start-end headers"
paste bed/sites.bed <(tail -n +2 bed/sites.tsv) | awk -F'\t' '{
    split($8, r, /[:-]/)
    if ($1 != r[1] || $2 != r[2] + $9 - 1 || $3 != r[2] + $10 || $4 != $7 || $6 != $11 || $5 - $12 * 1000 > 1 || $12 * 1000 - $5 > 1)
      print "line " NR ": " $0 }' >bed_rules.txt
[ ! -s bed_rules.txt ] || fail "sites.bed does not match sites.tsv: $(head -2 bed_rules.txt)"
# The genome columns of sites.tsv are the sites of sites.bed, 1-based and inclusive; NA without regions.
paste bed/sites.bed <(tail -n +2 bed/sites.tsv) | awk -F'\t' '$1 != $14 || $2 + 1 != $15 || $3 != $16 || $6 != $17' >genome_columns.txt
[ ! -s genome_columns.txt ] || fail "the genome columns of sites.tsv are not sites.bed: $(head -2 genome_columns.txt)"
awk -F'\t' 'NR > 1 && ($8 != "NA" || $9 != "NA" || $10 != "NA" || $11 != "NA")' crp/sites.tsv >na_columns.txt
[ ! -s na_columns.txt ] || fail "genome columns without genome regions: $(head -2 na_columns.txt)"
[ "$(wc -l <bed/sites.bed)" -eq "$(($(wc -l <bed/sites.tsv) - 1))" ] || fail "sites.bed and sites.tsv differ in length"

grep -q '^sites.bed: written, in the genome coordinates the headers name' bed/log.txt || fail "the log does not say sites.bed was written"
grep -q '^sites.bed: not written: record 1 (ce1cg 17 61) names no genome region chrom:start-end' crp/log.txt ||
  fail "the log does not say why sites.bed was not written: $(grep '^sites.bed' crp/log.txt)"
grep -q '<th>sites.bed</th><td>not written: record 1 (ce1cg 17 61)' crp/index.html || fail "the page does not say why there is no sites.bed"

# The three header styles of bedtools getfasta (plain, -s, -name) cut from a
# generated genome: every BED line reads the site's word off the genome.
"$bin_dir/zelkova-gen-planted" 3 6000 4 | awk '/^>/ { n++; next } { g[n] = g[n] $0 } END { for (i = 1; i <= n; i++) print "chr" i "\t" g[i] }' >genome.tsv
awk -F'\t' '
  function revcomp(s,   r, i, c) {
    r = ""
    for (i = length(s); i > 0; i--) { c = substr(s, i, 1); r = r (c == "A" ? "T" : c == "C" ? "G" : c == "G" ? "C" : "A") }
    return r
  }
  { g[$1] = $2 }
  END {
    for (i = 0; i < 60; i++) {
      chrom = "chr" (i % 3 + 1); start = 97 * i + 13; end = start + 120; letters = substr(g[chrom], start + 1, 120)
      style = i % 4
      if (style == 0) print ">" chrom ":" start "-" end "\n" letters
      if (style == 1) print ">peak" i "::" chrom ":" start "-" end "\n" letters
      if (style == 2) print ">" chrom ":" start "-" end "(+)\n" letters
      if (style == 3) print ">" chrom ":" start "-" end "(-)\n" revcomp(letters)
    } }' genome.tsv >styles.fa
discover styles styles.fa --lengths 8 --decoy no
[ -s styles/sites.bed ] || fail "no sites.bed for the headers of bedtools getfasta -s and -name: $(grep '^sites.bed' styles/log.txt)"
paste styles/sites.bed <(tail -n +2 styles/sites.tsv) | awk -F'\t' '
  function revcomp(s,   r, i, c) {
    r = ""
    for (i = length(s); i > 0; i--) { c = substr(s, i, 1); r = r (c == "A" ? "T" : c == "C" ? "G" : c == "G" ? "C" : "A") }
    return r
  }
  FNR == NR { g[$1] = $2; next }
  { word = substr(g[$1], $2 + 1, $3 - $2); if ($6 == "-") word = revcomp(word)
    if (word != $13 || $4 != $7) print "line " FNR ": " $0 " (the genome reads " word ")"
    if ($8 ~ /\(-\)$/) reverse++ }
  END { if (!reverse) print "no site on a reverse record" }' genome.tsv - >styles_rules.txt
[ ! -s styles_rules.txt ] || fail "sites.bed does not read the sites off the genome: $(head -3 styles_rules.txt)"

# --- records worth a warning, each kind once --------------------------------------
long_name=$(printf 'x%.0s' $(seq 350))
awk -v long="$long_name" '/^>/ { n++; if (n == 3 || n == 5) { print ">" long; next } if (n == 7) { print ">ce1cg 17 61"; next } } { print }
  END { print ">gap one"; print "NNNNNNNNNN"; print ">gap two"; print "nnnnNNNN" }' crp0.fa >odd.fa
discover odd odd.fa --lengths 8 --decoy no
[ "$status" -eq 0 ] || fail "the run with odd records failed: $(cat odd.err)"
for warning in "Warning: odd.fa: 2 records repeat the name of an earlier one (first: \"${long_name:0:299}\", records 3 and 5)" \
  "Warning: odd.fa: 2 record names reach 299 characters, the longest kept; longer names were cut there (first: record 3)." \
  "Warning: odd.fa: 2 records hold no A, C, G or T (first: record 19 (gap one)) and are left out: not searched, not tested, not in any total."; do
  [ "$(grep -cF -- "${warning:0:60}" odd.err)" -eq 1 ] || fail "not once on standard error: ${warning:0:80}"
  grep -qF -- "$warning" odd.err || fail "warning not as expected: ${warning:0:80}... in $(grep Warning odd.err)"
  grep -qF -- "  $warning" odd/log.txt || fail "the log lacks: ${warning:0:80}"
done
grep -q '<tr class="warning"><th>Warning</th>' odd/index.html || fail "the page shows no warning"
grep -q '^primary: odd.fa, 18 sequences, 1890 letters' odd/log.txt || fail "the records without bases are counted: $(grep '^primary' odd/log.txt)"
[ "$(summary_field odd 1 primary_total)" = 18 ] || fail "primary_total counts the records without bases"
[ "$(tail -1 odd.err)" = "Wrote odd/index.html" ] || fail "the last line does not name the page: $(tail -1 odd.err)"

# --- records longer than zelkova's 4999 letters ----------------------------------
"$bin_dir/zelkova-gen-planted" 4 6000 9 >long.fa
discover long long.fa --lengths 8 --decoy no
[ "$status" -eq 0 ] || fail "records of 6000 letters were refused: $(cat long.err)"
grep -q '^primary: long.fa, 4 sequences, 24000 letters' long/log.txt || fail "the long records were not read whole"

# --- a given control, a holdout, side files, --force ----------------------------
"$bin_dir/zelkova-gen-planted" 40 120 5 >control.fa
discover given crp0.fa --control control.fa --lengths 12 --decoy yes --holdout 0.25 --keep-side-files
[ "$status" -eq 0 ] || fail "--control --holdout failed: $(cat given.err)"
[ "$(summary_field given 1 primary_total)" = 5 ] && [ "$(summary_field given 1 control_total)" = 10 ] ||
  fail "a holdout of 0.25 tests on $(summary_field given 1 primary_total) and $(summary_field given 1 control_total) sequences, not 5 and 10"
grep -q 'held out of the searches (5 primary, 10 control)' given/index.html || fail "the page does not describe the holdout"
grep -q '^control: control.fa, 40 sequences' given/log.txt || fail "the log does not name the control"
for f in l12_m3.initcore.txt l12_m6.initcluster.txt decoy1_l12_m3.initcore.txt; do
  [ -s "given/runs/$f" ] || fail "--keep-side-files: runs/$f missing"
done
# --force into it: what this run does not write again is removed.
touch given/notes.txt
discover given crp0.fa --lengths 8 --decoy no --force
[ "$status" -eq 0 ] || fail "--force failed: $(cat given.err)"
[ ! -e given/runs/l12_m3.out ] && [ ! -e given/runs/l12_m3.initcore.txt ] || fail "--force left reports of the earlier run"
[ -e given/notes.txt ] || fail "--force removed a file the program did not write"
[ -s given/runs/l8_m2.out ] || fail "--force did not write the new reports"

finish_checks "zelkova-discover end to end: outputs, coordinates, control, holdout, identical runs"
