#!/usr/bin/env bash
# End-to-end test of zelkova-export with the real binaries: builds both models
# for a FASTA file, runs zelkova, exports the report in every format and reads
# each export back with its own small reader here, independent of the C++ one;
# the motif identifiers, consensus words and count matrices must agree with
# the report. Then damaged reports, an empty report and bad command lines.
#
# usage: end_to_end.sh BIN_DIR FASTA
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
fasta=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")

source "$(dirname "$0")/../checks.sh"
cd "$work"
cp "$fasta" input.fa

"$bin_dir/zelkova-markov" -o fg.txt input.fa
"$bin_dir/zelkova-markov" -m 3 -o bg.txt input.fa
"$bin_dir/zelkova" -f input.fa -l 16 -b bg.txt -z fg.txt >console.txt
motifs=$(grep -c '^Motif rank #' input.out || true)
[ "$motifs" -gt 0 ] || fail "zelkova reported no motif; nothing to compare"

# --- one reader per format, each printing "ID BASE c1 c2 ... cK" lines -----
report_counts() {
  awk '/^Motif rank #/ { id = "ZELKOVA-" substr($0, 13) }
    /^[ACGT]\t/ { $1 = $1; print id, $0 }' "$1"
}
jaspar_counts() {
  awk '/^>/ { split(substr($0, 2), f, "\t"); id = f[1] }
    /^[ACGT]  \[.*\]$/ { gsub(/[][]/, ""); $1 = $1; print id, $0 }' "$1"
}
transfac_counts() {
  awk '/^AC  / { id = $2; n = 0 }
    /^(XX|\/\/)/ && inm { for (b = 1; b <= 4; b++) { line = substr("ACGT", b, 1)
        for (i = 1; i <= n; i++) line = line " " c[i, b]; print id, line }; inm = 0 }
    inm { n++; if ($1 + 0 != n) print "position " $1 " out of order"; for (b = 1; b <= 4; b++) c[n, b] = $(b + 1) }
    /^P0 / { inm = 1 }' "$1"
}
meme_counts() {
  awk 'function flush() { for (b = 1; b <= 4; b++) { line = substr("ACGT", b, 1)
        for (i = 1; i <= n; i++) line = line " " int(p[i, b] * sites + 0.5); print id, line }; n = 0 }
    /^MOTIF / { id = $2 }
    /^letter-probability matrix:/ { for (i = 1; i <= NF; i++) { if ($i == "w=") w = $(i + 1); if ($i == "nsites=") sites = $(i + 1) }
        n = 0; inm = 1; next }
    inm && NF == 4 { n++; sum = 0; for (b = 1; b <= 4; b++) { p[n, b] = $b; sum += $b }
        if (sum < 0.99999 || sum > 1.00001) print "row sum " sum " in " id
        if (n == w) { flush(); inm = 0 } }' "$1"
}
html_counts() {
  awk '/<section class="motif" id="/ { match($0, /id="[^"]+"/); id = substr($0, RSTART + 4, RLENGTH - 5) }
    /^<tr><th class="[ACGT]">/ { gsub(/<[^>]*>/, " "); $1 = $1; print id, $0 }' "$1"
}
report_names() { awk '/^Motif rank #/ { id = "ZELKOVA-" substr($0, 13) } /^Con : / { print id, $3 }' "$1"; }
meme_names() { awk '/^MOTIF / { print $2, $3 }' "$1"; }
jaspar_names() { awk -F'\t' '/^>/ { print substr($1, 2), $2 }' "$1"; }

report_counts input.out >expected_counts.txt
report_names input.out >expected_names.txt
[ "$(wc -l <expected_counts.txt)" -eq $((4 * motifs)) ] || fail "could not read the report's own matrices"

for format in meme jaspar transfac html; do
  if ! "$bin_dir/zelkova-export" --format "$format" -o "out.$format" input.out 2>err.txt; then
    fail "$format: export failed: $(cat err.txt)"
    continue
  fi
  if [ -s err.txt ]; then fail "$format: unexpected messages: $(cat err.txt)"; fi
  "$bin_dir/zelkova-export" -f "$format" input.out >"stdout.$format"
  cmp -s "out.$format" "stdout.$format" || fail "$format: standard output differs from the -o file"
  "${format}_counts" "out.$format" >"counts.$format"
  diff -u expected_counts.txt "counts.$format" >/dev/null || fail "$format: counts or identifiers differ:
$(diff -u expected_counts.txt "counts.$format" | head -20)"
done
for format in meme jaspar; do
  "${format}_names" "out.$format" | diff -u expected_names.txt - >/dev/null || fail "$format: names differ from the consensus"
done
grep -qx 'strands: + -' out.meme || fail "meme: a run on both strands must say 'strands: + -'"
[ "$(grep -c '^MOTIF ZELKOVA-' out.meme)" -eq "$motifs" ] || fail "meme: wrong number of motifs"
[ "$(grep -c '<section class="motif"' out.html)" -eq "$motifs" ] || fail "html: wrong number of motif sections"
[ "$(grep -o '<svg' out.html | wc -l)" -eq $((2 * motifs)) ] || fail "html: expected two logos per motif"

# A forward-only run says so in the MEME file.
"$bin_dir/zelkova" -f input.fa -l 16 -b bg.txt -z fg.txt -r -o forward.out >/dev/null
"$bin_dir/zelkova-export" -f meme -o forward.meme forward.out
grep -qx 'strands: +' forward.meme || fail "meme: a forward-only run must say 'strands: +'"

# Damaged reports: status 1 and a message naming the file and line.
expect_refusal() {  # FILE LINE
  local status=0
  "$bin_dir/zelkova-export" -f jaspar -o refused.txt "$1" >/dev/null 2>err.txt || status=$?
  [ "$status" -eq 1 ] || fail "$1: status $status, expected 1"
  grep -q "^Error: $1:$2: " err.txt || fail "$1: message does not name line $2: $(cat err.txt)"
  [ ! -e refused.txt ] || fail "$1: an output file was written"
}
matrix_line=$(grep -n -m1 $'^C\t' input.out | cut -d: -f1)
head -n "$matrix_line" input.out >truncated.out
expect_refusal truncated.out "$matrix_line"
sed "${matrix_line}s/[0-9][0-9]*\$/x7/" input.out >badrow.out
expect_refusal badrow.out "$matrix_line"
status=0
"$bin_dir/zelkova-export" -f meme missing.out >/dev/null 2>err.txt || status=$?
[ "$status" -eq 1 ] && grep -q "^Error: missing.out: cannot open" err.txt || fail "missing report: $(cat err.txt)"

# A report with the header only: valid files without motifs.
header_end=$(grep -n -m2 '^#####################$' input.out | tail -1 | cut -d: -f1)
head -n $((header_end + 1)) input.out >empty.out
for format in meme jaspar transfac html; do
  "$bin_dir/zelkova-export" -f "$format" -o "empty.$format" empty.out || fail "empty report: $format refused"
done
grep -q '^MEME version 4$' empty.meme && ! grep -q '^MOTIF' empty.meme || fail "empty report: bad MEME file"
[ ! -s empty.jaspar ] && [ ! -s empty.transfac ] || fail "empty report: JASPAR or TRANSFAC not empty"
grep -q 'The report holds no motifs.' empty.html || fail "empty report: the page does not say it is empty"

# Command lines.
"$bin_dir/zelkova-export" --help >help.txt || fail "--help: status $?"
grep -q '^Usage: zelkova-export' help.txt || fail "--help prints no usage"
for args in "input.out" "-f svg input.out" "-f meme" "-f meme input.out other.out" "-x -f meme input.out"; do
  status=0
  "$bin_dir/zelkova-export" $args >/dev/null 2>err.txt || status=$?
  [ "$status" -eq 1 ] && grep -q '^Error: ' err.txt || fail "'$args' gave status $status: $(cat err.txt)"
done

finish_checks "zelkova-export end to end: $motifs motifs, every format agrees with the report"
