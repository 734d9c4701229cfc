#!/usr/bin/env bash
# Every motif format through every program, with the real binaries: a
# zelkova report, a JASPAR collection and a HOMER file as HOMER writes it are
# written by zelkova-export as MEME, JASPAR, TRANSFAC and HOMER; each file is
# read back by zelkova-export (the same identifiers, and the same counts where
# the format keeps them), zelkova-compare (each motif's best match in its
# source is itself) and zelkova-enrich (the same table as from the source:
# thresholds, counts, p- and E-values). A MEME file exported from a report
# gives exactly the report's E-values.
#
# usage: round_trip.sh BIN_DIR PROJECT_DIR
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
project=$(cd "$2" && pwd)

source "$(dirname "$0")/../checks.sh"
cd "$work"

cp "$project/tests/data/export/crp0.out" report.out
cp "$project/data/jaspar/jaspar_insecta.jaspar" insects.jaspar
cp "$project/tests/data/motifs/homer.motif" homer.motif
cp "$project/examples/crp0.fa" peaks.fa

ids() { awk '/^>/ { sub(/^>/, ""); split($0, f, "\t"); print f[1] }' "$1"; }        # of a JASPAR file
counts() { awk '!/^>/ && NF { print }' "$1"; }                                        # its matrix rows
table_without_consensus() { cut -f1,2,4- "$1"; }                                    # of an enrichment table

for source in report.out insects.jaspar homer.motif; do
  "$bin_dir/zelkova-export" -f jaspar -o "$source.direct.jaspar" "$source"
  ids "$source.direct.jaspar" >"$source.ids"
  n=$(wc -l <"$source.ids")
  [ "$n" -gt 0 ] || fail "$source: no motif read"
  "$bin_dir/zelkova-enrich" -o "$source.enrich.tsv" "$source" peaks.fa
  for format in meme jaspar transfac homer; do
    out="$source.$format"
    "$bin_dir/zelkova-export" -f "$format" -o "$out" "$source" 2>err.txt || { fail "$out: export: $(cat err.txt)"; continue; }
    # zelkova-export reads it back.
    "$bin_dir/zelkova-export" -f jaspar -o "$out.back.jaspar" "$out" 2>err.txt || { fail "$out: read back: $(cat err.txt)"; continue; }
    ids "$out.back.jaspar" | diff -q "$source.ids" - >/dev/null || fail "$out: the identifiers differ"
    # Counts survive where the format keeps them: always in JASPAR and
    # TRANSFAC, in MEME for matrices with one number of sites (a report's).
    if [ "$format" = jaspar ] || [ "$format" = transfac ] || { [ "$format" = meme ] && [ "$source" = report.out ]; }; then
      counts "$out.back.jaspar" | diff -q <(counts "$source.direct.jaspar") - >/dev/null ||
        fail "$out: the counts differ: $(diff <(counts "$source.direct.jaspar") <(counts "$out.back.jaspar") | head -4)"
    fi
    # zelkova-compare: every motif's best match in its source is itself (or
    # a matrix the collection holds twice, which matches as well).
    "$bin_dir/zelkova-compare" --db "$source" --top 3 -o "$out.matches.tsv" "$out" 2>err.txt ||
      { fail "$out: compare: $(cat err.txt)"; continue; }
    awk -F'\t' 'NR > 1 { if (!($1 in best)) best[$1] = $8; if ($1 == $3 && $8 == best[$1]) self[$1] = 1 }
      END { for (q in best) if (!(q in self)) print "query " q " does not match itself best" }' "$out.matches.tsv" >mismatched.txt
    [ ! -s mismatched.txt ] || fail "$out: compare: $(head -3 mismatched.txt)"
    [ "$(cut -f1 "$out.matches.tsv" | sed 1d | sort -u | wc -l)" -eq "$n" ] || fail "$out: compare: not every motif matched"
    # zelkova-enrich: the same table, but for the consensus, which a report
    # gives and other files leave to the matrix; HOMER's thousandths may move
    # a threshold, so only its identifiers are compared.
    "$bin_dir/zelkova-enrich" -o "$out.enrich.tsv" "$out" peaks.fa 2>err.txt || { fail "$out: enrich: $(cat err.txt)"; continue; }
    if [ "$format" = homer ] || { [ "$format" = meme ] && [ "$source" != report.out ]; }; then
      diff -q <(cut -f2 "$source.enrich.tsv") <(cut -f2 "$out.enrich.tsv") >/dev/null || fail "$out: enrich: other motifs"
    else
      diff -q <(table_without_consensus "$source.enrich.tsv") <(table_without_consensus "$out.enrich.tsv") >/dev/null ||
        fail "$out: enrich: the table differs: $(diff <(table_without_consensus "$source.enrich.tsv") <(table_without_consensus "$out.enrich.tsv") | head -4)"
    fi
  done
done

# Pages of motif files: one section with two logos per motif, and with the
# enrichment table zelkova-enrich wrote for the same file.
for source in insects.jaspar homer.motif report.out.meme; do
  n=$(grep -c '^>\|^MOTIF' "$source")
  [ -f "$source.enrich.tsv" ] || "$bin_dir/zelkova-enrich" -o "$source.enrich.tsv" "$source" peaks.fa
  "$bin_dir/zelkova-export" -f html -e "$source.enrich.tsv" -o "$source.html" "$source" 2>err.txt ||
    { fail "$source: html: $(cat err.txt)"; continue; }
  [ "$(grep -c '<section class="motif"' "$source.html")" -eq "$n" ] || fail "$source: html: not one section per motif"
  [ "$(grep -o '<svg' "$source.html" | wc -l)" -eq $((2 * n)) ] || fail "$source: html: not two logos per motif"
  [ "$(grep -c '<h3>Enrichment</h3>' "$source.html")" -eq "$n" ] || fail "$source: html: enrichment missing"
done
# A table made for another file is refused at its line.
status=0
"$bin_dir/zelkova-export" -f html -e homer.motif.enrich.tsv -o wrong.html insects.jaspar 2>err.txt || status=$?
[ "$status" -eq 1 ] && grep -q '^Error: homer.motif.enrich.tsv:2: motif .* is not in the motif file' err.txt ||
  fail "html with another file's table: status $status, $(cat err.txt)"

# The E-values of a report and of its MEME export are the same numbers.
diff <(cut -f2,12 report.out.enrich.tsv) <(cut -f2,12 report.out.meme.enrich.tsv) ||
  fail "E-values of the MEME export differ from the report's"

# HOMER thresholds: the log-odds score random DNA reaches with probability
# 1e-4, between 0 and the best score of the motif.
awk -F'\t' '/^>/ { if ($3 + 0 <= 0) print "threshold " $3 " of " $2 }' report.out.homer >bad.txt
[ ! -s bad.txt ] || fail "homer: $(head -2 bad.txt)"

# Several files as one set; an identifier twice is refused, naming both places.
"$bin_dir/zelkova-export" -f meme -o both.meme insects.jaspar homer.motif
[ "$(grep -c '^MOTIF' both.meme)" -eq "$(($(wc -l <insects.jaspar.ids) + $(wc -l <homer.motif.ids)))" ] ||
  fail "two files: not every motif written"
status=0
"$bin_dir/zelkova-export" -f meme -o twice.meme insects.jaspar insects.jaspar.meme 2>err.txt || status=$?
[ "$status" -eq 1 ] && grep -q "^Error: insects.jaspar.meme:[0-9]*: motif MA0010.1 is already in insects.jaspar:1;" err.txt ||
  fail "the same identifiers twice: status $status, $(cat err.txt)"
[ ! -e twice.meme ] || fail "the same identifiers twice: a file was written"

finish_checks "motif files: 3 sources x 4 formats read back by zelkova-export, zelkova-compare and zelkova-enrich"
