#!/usr/bin/env bash
# zelkova-discover refuses what it cannot run with a clear message on
# standard error and status 1, and leaves nothing half-written: no new
# directory for a refused input, an existing directory as it was, and no
# page or summary table when a result cannot be written.
#
# usage: bad_input.sh BIN_DIR EXAMPLE.fa
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
source "$(dirname "$0")/common.sh"
copy_example "$2"
: >empty.fa
printf '>a\nNNNNNNNNNN\n>b\nnnnn\n' >no_letters.fa
printf '>only\nACGTACGTACGTAAGG\n' >one.fa
printf '>a\nACGTACGTACGTAAGG\n>b\nTTGACCATGACCAAGG\n' >two.fa
printf '>a\nACGTACGTACGTAAGG\n>b\nACGTNNNNACGTAAG\n>c\nNNNN\n' >one_usable.fa

# refused MESSAGE ARGS...: status 1, MESSAGE on standard error, no directory out.
refused() {
  local message=$1
  shift
  rm -rf out
  local status=0
  "$bin_dir/zelkova-discover" "$@" >stdout.txt 2>stderr.txt || status=$?
  [ "$status" -eq 1 ] || fail "$*: status $status, expected 1"
  grep -qF -- "$message" stderr.txt || fail "$*: no message '$message' in: $(cat stderr.txt)"
  [ ! -s stdout.txt ] || fail "$*: wrote to standard output: $(head -2 stdout.txt)"
  [ ! -e out ] || fail "$*: left a directory out"
}

refused "Error: cannot read missing.fa: No such file or directory." missing.fa -o out
refused "Error: empty.fa holds no FASTA record" empty.fa -o out
refused "Error: no_letters.fa holds no A, C, G or T." no_letters.fa -o out
refused "Error: no_letters.fa holds no A, C, G or T." crp0.fa --control no_letters.fa -o out
tr 'ACGT' 'acgt' <crp0.fa >soft.fa
refused "Error: soft.fa holds no A, C, G or T in upper case." soft.fa --mask-lowercase -o out
refused 'Error: --lengths "5": the length "5" is not a whole number from 6 to 20.' crp0.fa --lengths 5 -o out
refused 'Error: --lengths "8,21": the length "21" is not a whole number from 6 to 20.' crp0.fa --lengths 8,21 -o out
refused 'Error: --lengths "8,,10": the length "" is not a whole number from 6 to 20.' crp0.fa --lengths 8,,10 -o out
refused 'Error: --lengths "ten": the length "ten" is not a whole number from 6 to 20.' crp0.fa --lengths ten -o out
refused 'Error: --lengths "8,": the length "" is not a whole number' crp0.fa --lengths 8, -o out
refused "Error: --lengths names the length 8 twice." crp0.fa --lengths 8,10,8 -o out
refused "Error: option --lengths needs a value." crp0.fa -o out --lengths ""
refused 'Error: --holdout "0.6" is not a number from 0 to 0.5.' crp0.fa --holdout 0.6 -o out
refused 'Error: --holdout "-0.1" is not a number from 0 to 0.5.' crp0.fa --holdout -0.1 -o out
refused 'Error: --decoy "maybe" is not one of auto, yes and no.' crp0.fa --decoy maybe -o out
refused "Error: no output directory given (-o DIR)." crp0.fa
refused "Error: no PRIMARY.fa given (nor --peaks PEAKS --genome GENOME.fa)." -o out
refused "Error: a holdout of 0.2 leaves no sequence of the primary set to test on (it has 2)" two.fa --holdout 0.2 -o out
# One sequence (or one with room for a motif) is no set to discover motifs in.
one_message="holds 1 sequence with 8 or more letters of A, C, G and T in a row (the shortest motif searched). Motif discovery needs several sequences"
refused "Error: one.fa $one_message" one.fa -o out
refused "Error: one_usable.fa $one_message" one_usable.fa -o out
refused "Error: one.fa holds 1 sequence with 16 or more letters" one.fa --lengths 16 -o out
grep -q "zelkova-enrich tests the motifs of a report on it and zelkova-compare names a motif after known ones." stderr.txt ||
  fail "the one-sequence refusal does not point to zelkova-enrich and zelkova-compare: $(cat stderr.txt)"
refused "Error: missing.meme: cannot open the file" crp0.fa --db missing.meme -o out
grep -q 'Run zelkova-discover --help for the options.' <("$bin_dir/zelkova-discover" --lengths 5 crp0.fa -o out 2>&1) ||
  fail "a mistake on the command line does not point to --help"

# An existing directory is refused, and stays as it was.
mkdir -p kept && echo note >kept/notes.txt
status=0
"$bin_dir/zelkova-discover" crp0.fa -o kept 2>stderr.txt || status=$?
[ "$status" -eq 1 ] && grep -q "^Error: the output directory kept exists; choose a new one, or pass --force" stderr.txt ||
  fail "an existing directory: status $status, $(cat stderr.txt)"
[ "$(ls kept)" = notes.txt ] || fail "the refused directory changed: $(ls kept)"
touch plain_file
status=0
"$bin_dir/zelkova-discover" crp0.fa -o plain_file --force 2>stderr.txt || status=$?
[ "$status" -eq 1 ] && grep -q "^Error: the output plain_file exists and is not a directory." stderr.txt ||
  fail "a file as the directory: status $status, $(cat stderr.txt)"

# An input inside the directory under an output's name is refused before anything is written.
mkdir -p clash && cp crp0.fa clash/sites.tsv
status=0
"$bin_dir/zelkova-discover" clash/sites.tsv -o clash --force 2>stderr.txt || status=$?
[ "$status" -eq 1 ] && grep -q "is also an input file" stderr.txt || fail "an input named like an output: $(cat stderr.txt)"
cmp -s crp0.fa clash/sites.tsv || fail "the input named like an output was overwritten"
[ ! -e clash/runs ] || fail "the refused run wrote into the directory"

# A result that cannot be written: nothing of the results is put in place.
mkdir -p broken/index.html
status=0
"$bin_dir/zelkova-discover" crp0.fa -o broken --force --lengths 8 --decoy no 2>stderr.txt || status=$?
[ "$status" -eq 1 ] && grep -q "^Error: cannot write broken/index.html" stderr.txt ||
  fail "an unwritable page: status $status, $(cat stderr.txt)"
for f in summary.tsv sites.tsv motifs.meme log.txt; do [ ! -e "broken/$f" ] || fail "broken/$f written though the page failed"; done
[ -z "$(find broken -name '*.??????')" ] || fail "temporary files left: $(find broken -name '*.??????')"

finish_checks "zelkova-discover refuses bad inputs cleanly"
