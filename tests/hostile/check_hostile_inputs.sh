#!/usr/bin/env bash
# The companion programs on hostile and huge inputs, with the real binaries:
# a decompression bomb refused by name within seconds and a memory cap (and
# counted in bounded memory by zelkova-markov, which streams), a peak file
# that expands to a gigabyte and one endless line refused by name, zstd, bzip2 and
# binary inputs named without raw bytes, IUPAC codes read as N and counted,
# protein refused, "-" as standard input and output, and standard output that
# is an input refused with the input left as it was.
#
# usage: check_hostile_inputs.sh BIN_DIR TEST_DATA_DIR
# Needs gzip, zstd and bzip2 (scripts/install-deps.sh installs them).
set -uo pipefail
bin=$(cd "$1" && pwd)
data=$(cd "$2" && pwd)
source "$(dirname "$0")/../checks.sh"
cd "$work"

for tool in gzip zstd bzip2; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/install-deps.sh"; exit 1; }
done

# A sanitizer build reserves terabytes of address space, so a memory cap
# (ulimit -v) only applies to the normal build.
sanitized=0
grep -q __asan_init "$bin/zelkova-markov" && sanitized=1

# run NAME ARGS...: runs a program of $bin; status in $status, standard output
# in out.txt, standard error in err.txt, wall seconds in $seconds.
run() {
  local program=$1
  shift
  local start=$SECONDS
  "$bin/$program" "$@" >out.txt 2>err.txt
  status=$?
  seconds=$((SECONDS - start))
}
# run_capped KB PROGRAM ARGS...: the same under a memory cap of KB kilobytes.
run_capped() {
  local cap=$1 program=$2
  shift 2
  local start=$SECONDS
  (
    [ "$sanitized" -eq 1 ] || ulimit -v "$cap"
    exec "$bin/$program" "$@"
  ) >out.txt 2>err.txt
  status=$?
  seconds=$((SECONDS - start))
}
# refused WHAT MESSAGE: the last run ended with status 1 and MESSAGE as the
# last line on standard error (zelkova-discover reports its steps before),
# printable text only.
refused() {
  [ "$status" -eq 1 ] || fail "$1: status $status, expected 1"
  [ "$(tail -n 1 err.txt)" = "$2" ] || fail "$1: standard error was [$(head -c 400 err.txt | cat -v)], expected [$2]"
  ! LC_ALL=C grep -q '[^[:print:][:space:]]' err.txt || fail "$1: raw bytes on standard error"
}
accepted() {  # WHAT
  [ "$status" -eq 0 ] || fail "$1: status $status: $(head -c 400 err.txt | cat -v)"
}

report=$data/enrich/tiny.out
primary=$data/enrich/primary.fa
control=$data/enrich/control.fa
cp "$primary" peaks.fa

# --- a decompression bomb --------------------------------------------------------
# gzip members of a million letters each, joined: 2.2 MB that expand to one
# record of 2.2 billion letters; and 150 records of a million letters.
printf '>bomb\n' | gzip >bomb.fa.gz
head -c 1000000 /dev/zero | tr '\0' A | gzip -9 >million.gz
for _ in $(seq 2200); do cat million.gz; done >>bomb.fa.gz
{ printf '>r\n' | gzip; cat million.gz; } >record.gz
for _ in $(seq 150); do cat record.gz; done >many.fa.gz
[ "$(stat -c %s bomb.fa.gz)" -lt 3000000 ] || fail "the bomb is larger than expected"

limit="100000000 letters (limit set by --max-letters)"
run_capped 1500000 zelkova-enrich "$report" bomb.fa.gz
refused "enrich, bomb" "Error: bomb.fa.gz: record bomb exceeds $limit"
[ "$seconds" -le 60 ] || fail "enrich took $seconds s to refuse the bomb"
run_capped 1500000 zelkova-enrich "$report" peaks.fa bomb.fa.gz
refused "enrich, bomb as control" "Error: bomb.fa.gz: record bomb exceeds $limit"
run_capped 1500000 zelkova-enrich "$report" many.fa.gz
refused "enrich, many records" "Error: many.fa.gz: record r takes the input past $limit"
# Millions of empty records: bounded by the room each takes.
yes '>r' | head -c 1000000 | gzip -9 >empty_records.gz
for _ in $(seq 10); do cat empty_records.gz; done >empty.fa.gz
run_capped 1500000 zelkova-enrich "$report" empty.fa.gz
refused "enrich, empty records" "Error: empty.fa.gz: record r brings the headers past 100000000 letters \
(each record counts 64 and its header; limit set by --max-letters)"
run_capped 1500000 zelkova-enrich --max-letters 999999 "$report" many.fa.gz
refused "enrich --max-letters" "Error: many.fa.gz: record r exceeds 999999 letters (limit set by --max-letters)"
# The shuffled copies are held too: many copies of a set are bounded alike.
run zelkova-enrich --copies 30 --max-letters 2000 "$report" peaks.fa
refused "enrich, copies past the limit" "Error: the shuffled control would hold 30 copies of the 67 letters of peaks.fa, \
more than 2000 letters (limit set by --max-letters); give fewer --copies or a CONTROL.fa."
run_capped 1500000 zelkova-discover bomb.fa.gz -o bomb_out
refused "discover, bomb" "Error: bomb.fa.gz: record bomb exceeds $limit"
[ "$seconds" -le 60 ] || fail "discover took $seconds s to refuse the bomb"
[ ! -e bomb_out ] || fail "discover left a directory after refusing the bomb"
run_capped 1500000 zelkova-discover peaks.fa --control bomb.fa.gz -o bomb_out
refused "discover, bomb as control" "Error: bomb.fa.gz: record bomb exceeds $limit"
# zelkova-scan holds one record at a time: each record is bounded, and the
# room of the records themselves.
run_capped 1500000 zelkova-scan "$report" bomb.fa.gz
refused "scan, bomb" "Error: bomb.fa.gz: record bomb exceeds $limit"
[ "$seconds" -le 60 ] || fail "scan took $seconds s to refuse the bomb"
run_capped 1500000 zelkova-scan "$report" empty.fa.gz
refused "scan, empty records" "Error: empty.fa.gz: record r brings the headers past 100000000 letters \
(each record counts 64 and its header; limit set by --max-letters)"
run_capped 1500000 zelkova-scan --max-letters 999999 "$report" many.fa.gz
refused "scan --max-letters" "Error: many.fa.gz: record r exceeds 999999 letters (limit set by --max-letters)"
# Peak files are read a line at a time and hold only their peaks: 2 MB of
# gzip that expand to a gigabyte of peak lines are refused at the line where
# the peaks would take more than 500 MB, and a line without end at 1 MB, by
# zelkova-discover --peaks (before any output) and zelkova-scan --regions.
{ printf '>chr1\n'; head -c 1000 /dev/zero | tr '\0' A; printf '\n'; } >tiny_genome.fa
yes $'chr1\t100\t200' | head -n 80000 | gzip -9 >peak_chunk.gz
for _ in $(seq 1000); do cat peak_chunk.gz; done >peaks_bomb.bed.gz
[ "$(stat -c %s peaks_bomb.bed.gz)" -lt 3000000 ] || fail "the peak bomb is larger than expected"
head -c 3000000 /dev/zero | tr '\0' x | gzip >endless.bed.gz
# Each peak counts 160 bytes and its 4 letters of chromosome: 500000000 / 164 peaks fit.
peaks_said="peaks_bomb.bed.gz:3048781: the peaks up to this line take more than 500000000 bytes of memory \
(160 for each and the letters of its chromosome and name), the most a peak file may take; is this a peak file?"
run_capped 1500000 zelkova-discover --peaks peaks_bomb.bed.gz --genome tiny_genome.fa -o bomb_out
refused "discover, peak bomb" "Error: $peaks_said"
[ "$seconds" -le 60 ] || fail "discover took $seconds s to refuse the peak bomb"
[ ! -e bomb_out ] || fail "discover left a directory after refusing the peak bomb"
run_capped 1500000 zelkova-scan --regions peaks_bomb.bed.gz --genome tiny_genome.fa "$report"
refused "scan, peak bomb as regions" "Error: $peaks_said"
run_capped 1500000 zelkova-discover --peaks endless.bed.gz --genome tiny_genome.fa -o bomb_out
refused "discover, endless peak line" "Error: endless.bed.gz:1: the line is longer than 1000000 bytes; is this a peak file?"
run_capped 1500000 zelkova-scan --regions endless.bed.gz --genome tiny_genome.fa "$report"
refused "scan, endless region line" "Error: endless.bed.gz:1: the line is longer than 1000000 bytes; is this a peak file?"

# zelkova-markov only counts, so it streams: 30 million letters in a few
# megabytes of memory (the counts of order 7 take 2 MB).
{ printf '>stream\n' | gzip; for _ in $(seq 30); do cat million.gz; done; } >stream.fa.gz
run_capped 150000 zelkova-markov stream.fa.gz
accepted "markov, 30 million letters"
[ "$(head -n 1 out.txt | cut -d ' ' -f 1,2,4)" = "0 A 30000000" ] || fail "markov counted [$(head -n 1 out.txt)]"

# --- compressed and binary files other than gzip ----------------------------------
zstd -q -c peaks.fa >peaks.fa.zst
bzip2 -c peaks.fa >peaks.fa.bz2
zstd_said="peaks.fa.zst: compressed with zstd, which is not read here; decompress it first (zstd -d) or compress it with gzip."
bzip2_said="peaks.fa.bz2: compressed with bzip2, which is not read here; decompress it first (bunzip2) or compress it with gzip."
run zelkova-markov peaks.fa.zst
refused "markov, zstd" "Error: $zstd_said"
run zelkova-markov peaks.fa.bz2
refused "markov, bzip2" "Error: $bzip2_said"
run zelkova-enrich "$report" peaks.fa.zst
refused "enrich, zstd" "Error: $zstd_said"
run zelkova-enrich "$report" peaks.fa peaks.fa.bz2
refused "enrich, bzip2 control" "Error: $bzip2_said"
run zelkova-discover peaks.fa.bz2 -o out
refused "discover, bzip2" "Error: $bzip2_said"
run zelkova-discover peaks.fa --control peaks.fa.zst -o out
refused "discover, zstd control" "Error: $zstd_said"
run zelkova-scan "$report" peaks.fa.zst
refused "scan, zstd" "Error: $zstd_said"
[ ! -e out ] || fail "discover left a directory after a refused control"
# Binary bytes behind a '>': the first one is named escaped, as is the header.
{ printf '>bin\001ary\nAC'; LC_ALL=C awk 'BEGIN { srand(7); for (i = 0; i < 3000; i++) printf "%c", int(rand() * 256) }'; } >binary.fa
run zelkova-markov binary.fa
[ "$status" -eq 1 ] && LC_ALL=C grep -q "^Error: binary.fa:2: record bin\\\\x01ary: '" err.txt ||
  fail "markov, binary: $(cat -v err.txt)"
! LC_ALL=C grep -q '[^[:print:][:space:]]' err.txt || fail "markov, binary: raw bytes on standard error"
gzip -c peaks.fa | head -c 100 >cut.fa.gz
run zelkova-enrich "$report" cut.fa.gz
[ "$status" -eq 1 ] && grep -q "^Error: cannot read cut.fa.gz: damaged gzip data" err.txt ||
  fail "enrich, cut gzip: $(cat -v err.txt)"

# --- letters: IUPAC codes as N, protein refused ----------------------------------------
awk '/^>/ { print; next } NR == 2 { print "RY" $0 "kmbdhv"; next } { print }' "$primary" >iupac.fa
note="iupac.fa: 8 IUPAC letters read as N"
run zelkova-markov -o iupac.model iupac.fa
accepted "markov, IUPAC"
[ "$(cat err.txt)" = "$note" ] || fail "markov, IUPAC: [$(cat err.txt)]"
run zelkova-enrich -o iupac.tsv "$report" iupac.fa
accepted "enrich, IUPAC"
[ "$(cat err.txt)" = "$note" ] || fail "enrich, IUPAC: [$(cat err.txt)]"
run zelkova-enrich -o iupac.tsv "$report" peaks.fa iupac.fa
[ "$(cat err.txt)" = "$note" ] || fail "enrich, IUPAC control: [$(cat err.txt)]"
printf '>p1\nACGT\n>sp|P69905|HBA_HUMAN hemoglobin\nMVLSPADKTNVKAAW\n' >protein.fa
protein_said="protein.fa:4: record sp|P69905|HBA_HUMAN hemoglobin: 'L' is not a DNA letter; is this a protein file?"
run zelkova-markov protein.fa
refused "markov, protein" "Error: $protein_said"
run zelkova-enrich "$report" protein.fa
refused "enrich, protein" "Error: $protein_said"
run zelkova-enrich "$report" peaks.fa protein.fa
refused "enrich, protein control" "Error: $protein_said"
run zelkova-discover protein.fa -o out
refused "discover, protein" "Error: $protein_said"
run zelkova-discover peaks.fa --control protein.fa -o out
refused "discover, protein control" "Error: $protein_said"
run zelkova-scan "$report" protein.fa
refused "scan, protein" "Error: $protein_said"
[ ! -e out ] || fail "discover left a directory after refusing protein"
# A discovery that reads IUPAC codes says so on standard error and in its log.
awk 'BEGIN { srand(11); for (r = 1; r <= 40; r++) { s = ""; for (i = 0; i < 120; i++) s = s substr("ACGT", int(rand() * 4) + 1, 1)
  if (r % 4 == 0) s = "W" s "s"; print ">chr1:" r * 1000 "-" r * 1000 + 120; print s } }' >iupac_peaks.fa
run zelkova-discover -p 2 --lengths 8 iupac_peaks.fa -o iupac_out
accepted "discover, IUPAC"
grep -qx "iupac_peaks.fa: 20 IUPAC letters read as N" err.txt || fail "discover, IUPAC: no note in [$(cat err.txt)]"
grep -qx "note: iupac_peaks.fa: 20 IUPAC letters read as N" iupac_out/log.txt || fail "discover, IUPAC: no note in the log"

# --- "-" and standard output -------------------------------------------------------
"$bin/zelkova-markov" -o model.txt peaks.fa
run zelkova-markov - <peaks.fa
accepted "markov -"
cmp -s out.txt model.txt || fail "markov - gives another model than the file"
run zelkova-markov -o - peaks.fa
cmp -s out.txt model.txt || fail "markov -o - gives another model"
[ ! -e ./- ] || fail "markov -o - wrote a file named -"
run zelkova-markov - - <peaks.fa
refused "markov - -" "Error: standard input (-) is named as more than one input; it can be read only once."
run zelkova-enrich --sites - "$report" peaks.fa
refused "enrich, both outputs on standard output" \
  "Error: the output and the sites both go to standard output; name a file for one of them."
run zelkova-enrich -o table.tsv --sites - "$report" - <peaks.fa
accepted "enrich, sites on standard output"
head -n 1 out.txt | grep -q '^motif' || fail "enrich --sites -: standard output holds no site table"
run zelkova-discover peaks.fa -o -
[ "$status" -eq 1 ] && grep -q "standard output (-) cannot hold" err.txt || fail "discover -o -: $(cat err.txt)"
cp -r "$data/aggregate/samples" samples
run zelkova-aggregate -s - samples/crp0
accepted "aggregate -s -"
[ ! -e ./- ] || fail "aggregate -s - wrote a file named -"
head -n 1 out.txt | grep -q '^sample' || fail "aggregate -s -: no table on standard output"
run zelkova-aggregate -s - --html - samples/crp0
refused "aggregate, both on standard output" \
  "Error: the summary and the page both go to standard output; name a file for one of them."
run zelkova-compare - <"$data/export/crp0.out"
accepted "compare -"
"$bin/zelkova-scan" --bg uniform -o scanned.tsv "$report" peaks.fa
run zelkova-scan --bg uniform -o - "$report" - <peaks.fa
accepted "scan - -o -"
cmp -s out.txt scanned.tsv || fail "scan - -o - gives other sites than the files"
[ ! -e ./- ] || fail "scan -o - wrote a file named -"
run zelkova-scan "$report" - <peaks.fa
[ "$status" -eq 1 ] && [ "$(head -n 1 err.txt)" = "Error: standard input (-) can be read only once, and --bg sequences \
reads the sequences twice; give --bg uniform or a background file, or name the FASTA file." ] ||
  fail "scan -, background of the sequences: status $status: $(cat err.txt)"
run zelkova-scan "$report" --genome - <peaks.fa
refused "scan --genome -" "Error: a genome cannot come from standard input (-): it is read at chosen places through \
its index; give its file."

# Standard output appended to an input: refused, the input as it was.
stdout_is_input() {  # WHAT FILE PROGRAM ARGS...
  local what=$1 file=$2
  shift 2
  cp "$file" before
  local program=$1
  shift
  "$bin/$program" "$@" >>"$file" 2>err.txt
  status=$?
  refused "$what" "Error: the $kind goes to standard output, which is the same file as the input $file."
  cmp -s "$file" before || fail "$what: $file changed"
}
kind=output
stdout_is_input "markov >> input" peaks.fa zelkova-markov peaks.fa
stdout_is_input "enrich >> primary" peaks.fa zelkova-enrich "$report" peaks.fa
cp "$data/export/crp0.out" crp0.out
stdout_is_input "compare >> motifs" crp0.out zelkova-compare crp0.out
stdout_is_input "export >> report" crp0.out zelkova-export -f meme crp0.out
stdout_is_input "scan >> sequences" peaks.fa zelkova-scan "$report" peaks.fa
stdout_is_input "scan >> motifs" crp0.out zelkova-scan crp0.out peaks.fa
kind=summary
stdout_is_input "aggregate >> summary" samples/crp0/summary.tsv zelkova-aggregate -s - samples/crp0
cp peaks.fa in.fa
"$bin/zelkova-markov" - <in.fa >>in.fa 2>err.txt
status=$?
refused "markov - >> the same file" "Error: the output goes to standard output, which is the same file as standard input."

finish_checks "hostile inputs: every companion held"
