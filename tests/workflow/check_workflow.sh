#!/usr/bin/env bash
# The Snakemake workflow with the real programs, always outside the source
# tree (its config copied, snakemake --directory): the bundled configuration
# dry-run and linted, then run for real (every output, the per-sample option,
# the aggregate summary equal to the samples' own lines), a second run that
# does nothing, a sheet with a gzip file, a control and paths with blanks,
# the memory estimate, samples of peaks on a generated genome (its index
# built once, outside the genome's own directory; motifs named after the
# samples), and the refused sample sheets.
#
# usage: check_workflow.sh BIN_DIR SOURCE_DIR
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
source "$source_dir/tests/checks.sh"
snakefile="$source_dir/workflow/Snakefile"
cd "$work"

# smk DIR ARGS...: snakemake in DIR, finding the programs of the build on
# PATH (the default, as for an installed ZELKOVA), its output in DIR.log
# (beside DIR) and its status in $status.
smk() {
  local dir=$1
  shift
  status=0
  PATH="$bin_dir:$PATH" snakemake -s "$snakefile" --directory "$dir" "$@" >"$dir.log" 2>&1 || status=$?
}

# The bundled configuration, laid out as in the repository.
bundled=$work/bundled
mkdir -p "$bundled/examples"
cp -r "$source_dir/config" "$bundled/"
cp "$source_dir/examples/crp0.fa" "$bundled/examples/"
samples=$(awk -F'\t' 'NR > 1 && $1 !~ /^#/ { print $1 }' "$bundled/config/samples.tsv")
[ "$(echo "$samples" | wc -l)" -ge 2 ] || fail "the bundled sheet holds fewer than 2 samples: $samples"

# --- dry run and lint ------------------------------------------------------------
smk "$bundled" -n --cores 2
[ "$status" -eq 0 ] || fail "dry run: status $status: $(tail -5 "$bundled.log")"
grep -Eq "^discover +$(echo "$samples" | wc -l) " "$bundled.log" || fail "dry run: not one discover job per sample"
grep -Eq '^aggregate +1 ' "$bundled.log" || fail "dry run: no aggregate job"
[ ! -e "$bundled/results" ] || fail "the dry run wrote results"

# Every rule runs programs of this project, which no conda channel or
# container holds: that is the only remark the linter may make.
smk "$bundled" --lint
grep -E '^    \* ' "$bundled.log" | grep -v 'Specify a conda environment or container for each rule' >lint.txt || true
[ ! -s lint.txt ] || fail "lint: $(cat lint.txt)"
grep -q 'Lints for' "$bundled.log" || [ "$status" -eq 0 ] || fail "lint: status $status: $(tail -5 "$bundled.log")"

# --- the real run, with the programs taken from bin_dir --------------------------------
smk "$bundled" --cores 2 -p --config bin_dir="$bin_dir"
[ "$status" -eq 0 ] || fail "run: status $status: $(tail -20 "$bundled.log")"
grep -q "^$bin_dir/zelkova-discover " "$bundled.log" || fail "zelkova-discover not taken from bin_dir"
grep -q "^$bin_dir/zelkova-aggregate " "$bundled.log" || fail "zelkova-aggregate not taken from bin_dir"
results=$bundled/results
for sample in $samples; do
  for f in index.html summary.tsv sites.tsv motifs.meme motifs.jaspar log.txt; do
    [ -s "$results/samples/$sample/$f" ] || fail "$sample: $f is missing or empty"
  done
  ls "$results/samples/$sample/runs/"*.out >/dev/null 2>&1 || fail "$sample: no search reports under runs/"
  grep -q '^Ranking: ' "$results/logs/discover/$sample.log" || fail "$sample: its log holds no progress of zelkova-discover"
  # The aggregate lines of a sample are its own best three, prefixed and
  # followed as the header says.
  tail -n +2 "$results/samples/$sample/summary.tsv" | head -3 |
    awk -v s="$sample" '{ print s "\t" $0 "\t1.0" }' >"expected_$sample.tsv"
  awk -F'\t' -v s="$sample" '$1 == s' "$results/summary.tsv" >"actual_$sample.tsv"
  [ -s "actual_$sample.tsv" ] || fail "summary.tsv has no line of $sample"
  cmp -s "expected_$sample.tsv" "actual_$sample.tsv" ||
    fail "summary.tsv lines of $sample differ from its own summary: $(diff "expected_$sample.tsv" "actual_$sample.tsv" | head -4)"
  grep -qF "<a href=\"samples/$sample/index.html\">$sample</a>" "$results/index.html" ||
    fail "index.html does not link the page of $sample"
done
[ -e "$results/logs/aggregate.log" ] || fail "no log of the aggregate job"
[ "$(head -1 "$results/summary.tsv" | cut -f1,2,23)" = $'sample\trank\tdiscover_version' ] ||
  fail "summary.tsv header: $(head -1 "$results/summary.tsv")"
# The sample with its own --lengths searched those lengths only (a refined
# motif may be shorter than its search, never longer).
grep -q -- '--lengths 12,16' "$results/samples/crp0_long/log.txt" || fail "crp0_long ran without its --lengths"
{ grep '^  l[0-9]*_m[0-9]*: ' "$results/samples/crp0_long/log.txt" | grep -v '^  l1[26]_m' || true; } >lengths.txt
awk -F'\t' 'NR > 1 && $3 > 16 { print }' "$results/samples/crp0_long/summary.tsv" >>lengths.txt
[ ! -s lengths.txt ] || fail "crp0_long has motifs of other lengths: $(head -2 lengths.txt)"

# --- a second run does nothing -------------------------------------------------------
find "$results" -printf '%p %T@\n' | sort >before.txt
smk "$bundled" --cores 2 --config bin_dir="$bin_dir"
[ "$status" -eq 0 ] || fail "second run: status $status"
grep -q 'Nothing to be done' "$bundled.log" || fail "the second run did something: $(grep -E '^(rule|localrule) ' "$bundled.log" | head -3)"
find "$results" -printf '%p %T@\n' | sort >after.txt
cmp -s before.txt after.txt || fail "the second run changed files: $(diff before.txt after.txt | head -4)"

# --- gzip, a control, blanks in paths, quoted options, the memory estimate --------------
other=$work/other
mkdir -p "$other/my data"
cp -r "$source_dir/config" "$other/"
gzip -c "$source_dir/examples/crp0.fa" >"$other/my data/peaks one.fa.gz"
# The control: each sequence of the example read backwards.
awk '/^>/ { print; next } { r = ""; for (i = length($0); i > 0; i--) r = r substr($0, i, 1); print r }' \
  "$source_dir/examples/crp0.fa" >"$other/my data/control.fa"
cp "$source_dir/data/jaspar/jaspar_insecta.jaspar" "$other/my data/known motifs.jaspar"
printf 'sample\tprimary\tcontrol\toptions\n# a comment line\ngz\tmy data/peaks one.fa.gz\tmy data/control.fa\t--top 2 --seed "3"\nplain\t%s\t\t--db '\''my data/known motifs.jaspar'\''\n' \
  "$source_dir/examples/crp0.fa" >"$other/sheet.tsv"
printf 'memory:\n  base_mb: 100\n  per_input_mb: 1000\n  gzip_expansion: 4\n' >"$other/memory.yaml"
smk "$other" -n --cores 2 --configfile "$other/memory.yaml" --config samples=sheet.tsv lengths=[10] top=1 output=out
[ "$status" -eq 0 ] || fail "other sheet, dry run: status $status: $(tail -5 "$other.log")"
gz_bytes=$(stat -c %s "$other/my data/peaks one.fa.gz")
control_bytes=$(stat -c %s "$other/my data/control.fa")
expected_mb=$(awk -v g="$gz_bytes" -v c="$control_bytes" 'BEGIN { m = 100 + 1000 * (g / 1e6 * 4 + c / 1e6);
  print (m == int(m)) ? m : int(m) + 1 }')
grep -A8 'wildcards: sample=gz' "$other.log" | grep -q "mem_mb=$expected_mb," ||
  fail "memory of gz: expected mem_mb=$expected_mb: $(grep -A8 'wildcards: sample=gz' "$other.log" | grep resources)"
smk "$other" --cores 2 --config samples=sheet.tsv lengths=[10] top=1 output=out
[ "$status" -eq 0 ] || fail "other sheet: status $status: $(tail -20 "$other.log")"
gz_log=$other/out/samples/gz/log.txt
grep -q '^control: my data/control.fa, ' "$gz_log" || fail "gz: not run with its control: $(grep '^control' "$gz_log")"
grep -q -- '--lengths 10' "$gz_log" || fail "gz: the configured lengths were not passed"
grep -q -- '--seed 3' "$gz_log" || fail "gz: its options were not passed"
[ "$(tail -n +2 "$other/out/samples/gz/summary.tsv" | wc -l)" -le 2 ] || fail "gz: --top 2 not passed"
grep -q -- "--db my data/known motifs.jaspar" "$other/out/samples/plain/log.txt" ||
  fail "plain: its --db was not passed: $(grep '^command line' "$other/out/samples/plain/log.txt")"
[ "$(awk -F'\t' 'NR > 1 { n[$1]++ } END { print n["gz"] "," n["plain"] }' "$other/out/summary.tsv")" = "1,1" ] ||
  fail "top=1: expected one line of each sample: $(cat "$other/out/summary.tsv")"

# --- peaks on a genome: one index for two samples, motifs named after the samples -----------
peaks=$work/peaks
mkdir -p "$peaks/ref"
cp -r "$source_dir/config" "$peaks/"
"$bin_dir/zelkova-gen-genome" "$peaks/ref/genome" 1000000 2 120 5
awk 'NR % 4 != 0' "$peaks/ref/genome.narrowPeak" >"$peaks/ref/rep2.narrowPeak"
cp "$source_dir/examples/crp0.fa" "$peaks/"
printf 'sample\tprimary\tpeaks\tgenome\toptions\nrep1\t\tref/genome.narrowPeak\tref/genome.fa\t--decoy no\nrep2\t\tref/rep2.narrowPeak\tref/genome.fa\t--decoy no\ncrp\tcrp0.fa\t\t\t\n' \
  >"$peaks/sheet.tsv"
smk "$peaks" -n --cores 2 --config samples=sheet.tsv lengths=[14] output=out
[ "$status" -eq 0 ] || fail "peaks sheet, dry run: status $status: $(tail -5 "$peaks.log")"
grep -Eq '^genome_index +1 ' "$peaks.log" || fail "peaks sheet: not one index job for the genome: $(grep -E '^(genome_index|discover) ' "$peaks.log")"
grep -Eq '^discover +3 ' "$peaks.log" || fail "peaks sheet: not one discover job per sample"
chmod 555 "$peaks/ref"
smk "$peaks" --cores 2 -p --config samples=sheet.tsv lengths=[14] output=out bin_dir="$bin_dir"
chmod 755 "$peaks/ref"
[ "$status" -eq 0 ] || fail "peaks sheet: status $status: $(tail -20 "$peaks.log")"
[ "$(grep -c -- '--index-genome' "$peaks.log")" -eq 1 ] || fail "peaks sheet: the genome was not indexed exactly once"
[ -s "$peaks/out/genomes/genome/genome.fa.fai" ] || fail "peaks sheet: no index under out/genomes/genome/"
[ ! -e "$peaks/ref/genome.fa.fai" ] || fail "peaks sheet: an index was written beside the user's genome"
for sample in rep1 rep2; do
  log=$peaks/out/samples/$sample/log.txt
  grep -q '^genome: out/genomes/genome/genome.fa, 2 chromosomes, 1000000 letters; index found beside it$' "$log" ||
    fail "$sample: not run on the indexed genome: $(grep '^genome' "$log")"
  [ "$(awk -F'\t' 'NR == 2 { print $2 }' "$peaks/out/samples/$sample/summary.tsv")" = "$sample-1" ] ||
    fail "$sample: its motifs are not named after it: $(head -2 "$peaks/out/samples/$sample/summary.tsv")"
  grep -q "^MOTIF $sample-1 " "$peaks/out/samples/$sample/motifs.meme" || fail "$sample: motifs.meme does not name $sample-1"
  [ -s "$peaks/out/samples/$sample/sites.bed" ] && [ -s "$peaks/out/samples/$sample/background.bed" ] ||
    fail "$sample: no sites.bed or background.bed"
done
grep -q '^peaks: ref/rep2.narrowPeak (narrowPeak), 90 peaks, ' "$peaks/out/samples/rep2/log.txt" ||
  fail "rep2: not run on its own peaks: $(grep '^peaks' "$peaks/out/samples/rep2/log.txt")"
for sample in rep1 rep2 crp; do
  awk -F'\t' -v s="$sample" '$1 == s && $2 == 1 && $3 == s "-1" { found = 1 } END { exit !found }' "$peaks/out/summary.tsv" ||
    fail "the aggregate summary does not hold motif $sample-1 of $sample: $(cut -f1-3 "$peaks/out/summary.tsv")"
done

# --- refused sample sheets: the sheet and the line are named ------------------------------
# refused_sheet MESSAGE SHEET_TEXT: a dry run of that sheet fails with MESSAGE.
refused_sheet() {
  local dir=$work/refused
  rm -rf "$dir"
  mkdir -p "$dir"
  cp -r "$source_dir/config" "$dir/"
  printf "$2" >"$dir/bad.tsv"
  smk "$dir" -n --cores 1 --config samples=bad.tsv
  [ "$status" -ne 0 ] || fail "sheet $(printf "$2" | tail -1): accepted"
  grep -qF -- "$1" "$dir.log" || fail "sheet: no message '$1' in: $(grep -v '^ *$' "$dir.log" | head -3)"
}
refused_sheet "bad.tsv, line 3: the sample 'a' is already named on line 2" \
  "sample\tprimary\na\t$source_dir/examples/crp0.fa\na\ty.fa\n"
refused_sheet "bad.tsv, line 2: the sample name 'a b' must be letters" 'sample\tprimary\na b\tx.fa\n'
refused_sheet "bad.tsv, line 2: the sample name 'a/b' must be letters" 'sample\tprimary\na/b\tx.fa\n'
long_name=$(printf 'a%.0s' $(seq 101))  # one more than the longest --prefix
refused_sheet "bad.tsv, line 2: the sample name '$long_name' must be letters, digits, '.', '_' and '-' only, at most 100" \
  "sample\tprimary\n$long_name\tx.fa\n"
refused_sheet "bad.tsv, line 2: the sample 'a' has neither a primary FASTA file nor peaks" 'sample\tprimary\tcontrol\na\t\tc.fa\n'
refused_sheet "bad.tsv, line 2: the sample 'a' has both a primary FASTA file and peaks; give one of them" \
  'sample\tprimary\tpeaks\tgenome\na\tx.fa\tp.bed\tg.fa\n'
refused_sheet "bad.tsv, line 3: the sample 'b' has peaks but no genome to cut their windows from" \
  "sample\tprimary\tpeaks\tgenome\na\t$source_dir/examples/crp0.fa\t\t\nb\t\tp.bed\t\n"
refused_sheet "bad.tsv, line 2: the sample 'a' has a genome but no peaks" 'sample\tprimary\tgenome\na\tx.fa\tg.fa\n'
refused_sheet "bad.tsv, line 2: the genome file 'no.fa' of 'a' does not exist" \
  "sample\tpeaks\tgenome\na\t$source_dir/examples/crp0.fa\tno.fa\n"
refused_sheet "bad.tsv, line 2: the peaks file 'no.bed' of 'a' does not exist" \
  "sample\tpeaks\tgenome\na\tno.bed\t$source_dir/examples/crp0.fa\n"
refused_sheet "bad.tsv, line 2: the option --prefix is not allowed here" 'sample\tprimary\toptions\na\tx.fa\t--prefix b\n'
refused_sheet "bad.tsv, line 1: unknown column 'contrl'" 'sample\tprimary\tcontrl\na\tx.fa\tc.fa\n'
refused_sheet "bad.tsv, line 1: the header line has no column 'primary' (nor 'peaks')" 'sample\tcontrol\na\tx.fa\n'
refused_sheet "bad.tsv, line 2: the primary file 'x.fa' of 'a' does not exist" 'sample\tprimary\na\tx.fa\n'
refused_sheet "bad.tsv, line 3: the control file 'no.fa' of 'b' does not exist" \
  "sample\tprimary\tcontrol\na\t$source_dir/examples/crp0.fa\nb\t$source_dir/examples/crp0.fa\tno.fa\n"
refused_sheet "bad.tsv, line 2: the option -o is not allowed here" 'sample\tprimary\toptions\na\tx.fa\t-o elsewhere\n'
refused_sheet "bad.tsv, line 2: the option --threads is not allowed here" 'sample\tprimary\toptions\na\tx.fa\t--threads=4\n'
refused_sheet "bad.tsv, line 2: the options" 'sample\tprimary\toptions\na\tx.fa\t--db "unclosed\n'
refused_sheet "bad.tsv, line 2: 3 fields, but the header names 2 columns" 'sample\tprimary\na\tx.fa\textra\n'
refused_sheet "bad.tsv: no sample below the header line" 'sample\tprimary\n'

finish_checks "workflow: all checks passed"
