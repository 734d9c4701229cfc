#!/usr/bin/env bash
# zelkova-discover --peaks --genome with the real binary, on a generated
# genome (zelkova-gen-genome: 3 chromosomes of 1 Mb with runs of N, IUPAC
# letters and soft-masked stretches, 300 narrowPeak peaks with the CTCF site
# planted at their summits), written plain and bgzip-compressed:
#   - the windows are the genome's letters around the summits (peaks.fa);
#   - the planted motif ranks first, and every site of sites.tsv and
#     sites.bed reads its word off the genome at its coordinates, most of
#     them on the planted sites; its sites are central (central_log10_p,
#     the histogram on the page, the verdict), as CTCF's among the known
#     motifs; every site's log10_p is zelkova-scan's p-value of the window
#     in peaks.fa, and no two sites of one motif overlap;
#   - both compressions, and 1 and 2 threads, give the same outputs (whole
#     directories compared, dates and paths masked);
#   - peaks.fa with background.fa through the FASTA path gives the same
#     motifs and sites;
#   - no background window touches a peak (with its margin) or an --exclude
#     region, and its GC histogram matches the peaks' (chi-square bound);
#   - --prefix, --control-peaks, --size given, --index-genome, a genome in a
#     directory that cannot be written to (the index in memory);
#   - refused inputs (chromosome naming, a peak past a chromosome's end, an
#     empty peak file, a genome that is not FASTA, standard input named as
#     two peak files) name file and line, and leave no output directory.
#
# usage: genome.sh BIN_DIR SOURCE_DIR
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
source "$(dirname "$0")/common.sh"
"$source_dir/scripts/install-deps.sh" >/dev/null   # bgzip
cd "$work"
site=CCACTAGGGGGCGC

"$bin_dir/zelkova-gen-genome" g 3000000 3 300 5 "$site"
mkdir -p plain packed
mv g.fa plain/genome.fa
bgzip -c plain/genome.fa >packed/genome.fa
mv g.narrowPeak peaks.narrowPeak
# One line per chromosome, "NAME<TAB>LETTERS", for the checks below.
awk '/^>/ { if (name) print name "\t" seq; name = substr($0, 2); seq = ""; next } { seq = seq $0 }
  END { print name "\t" seq }' plain/genome.fa >genome.tsv

# run DIR GENOME_DIR ARGS...: zelkova-discover on the peaks from inside
# GENOME_DIR (so that the genome is named genome.fa either way), the output
# DIR in the working directory.
run() {
  local dir=$1 genome_dir=$2
  shift 2
  status=0
  (cd "$genome_dir" && "$bin_dir/zelkova-discover" --peaks ../peaks.narrowPeak --genome genome.fa -o "../$dir" \
    --lengths 14 "$@") 2>"$dir.err" || status=$?
}

# genome_masked A B WHAT: the outputs of two runs match once dates, times,
# threads and what names the genome's compression and index are masked.
genome_masked() {
  masked_copy "$1" "$1.masked"
  masked_copy "$2" "$2.masked"
  for dir in "$1.masked" "$2.masked"; do
    sed -i -e 's/^genome: .*/genome:/' -e 's/^  Genome: .*/  Genome:/' "$dir/log.txt"
    sed -i -e 's|<tr><th>Genome</th>.*</tr>||' "$dir/index.html"
  done
  diff -r "$1.masked" "$2.masked" >diff.txt || fail "$3: $(head -c 600 diff.txt)"
}

# --- the default run ------------------------------------------------------------
run plain_run plain -p 2
[ "$status" -eq 0 ] || fail "the run on the plain genome failed: $(cat plain_run.err)"
for f in index.html summary.tsv sites.tsv sites.bed motifs.meme motifs.jaspar log.txt known.tsv peaks.fa \
  background.fa background.bed; do
  [ -s "plain_run/$f" ] || fail "plain_run/$f is missing or empty"
done
[ -e plain/genome.fa.fai ] || fail "the index was not built beside the genome"
grep -q '^genome: genome.fa, 3 chromosomes, 3000000 letters; index built beside it$' plain_run/log.txt ||
  fail "the log does not say where the index came from: $(grep '^genome' plain_run/log.txt)"
grep -q '^peaks: ../peaks.narrowPeak (narrowPeak), 300 peaks, 300 windows$' plain_run/log.txt ||
  fail "the log does not count the windows: $(grep '^peaks' plain_run/log.txt)"
grep -q '^background: 600 background windows of 600 wanted' plain_run/log.txt ||
  fail "the log does not describe the background: $(grep '^background' plain_run/log.txt)"
grep -q '^sites.bed: written, in the coordinates of the genome' plain_run/log.txt || fail "the log does not name sites.bed"
grep -q '<section id="background">' plain_run/index.html || fail "the page has no section on the background"
grep -q '<figure class="gc"><svg' plain_run/index.html || fail "the page has no GC histogram"
grep -q 'href="https://genome.ucsc.edu/cgi-bin/hgTracks?position=chr[0-9]%3A[0-9]*-[0-9]*"' plain_run/index.html ||
  fail "the site tables do not link genome positions"
[ "$(grep -c '^>' plain_run/peaks.fa)" -eq 300 ] || fail "peaks.fa does not hold 300 windows"
[ "$(wc -l <plain_run/background.bed)" -eq 600 ] || fail "background.bed does not hold 600 windows"

# The windows: 200 letters centred on each summit, read off the genome (IUPAC codes as N).
awk -F'\t' 'FILENAME == ARGV[1] { g[$1] = $2; next }
  FILENAME == ARGV[2] { s = $2 + $10 - 100; want[++n] = $1 ":" s "-" s + 200; next }
  /^>/ { name = substr($0, 2); k++; if (name != want[k]) print "window " k ": " name ", expected " want[k]; next }
  { split(name, p, /[:-]/); w = toupper(substr(g[p[1]], p[2] + 1, 200)); gsub(/[^ACGTN]/, "N", w)
    if ($0 != w) print "window " k " (" name "): its letters are not the genome'"'"'s" }' \
  genome.tsv peaks.narrowPeak plain_run/peaks.fa >windows.txt
[ ! -s windows.txt ] || fail "peak windows: $(head -3 windows.txt)"

# The planted motif is rank 1; its sites read their words off the genome, and
# most lie on the planted sites (the site centred on each summit).
consensus=$(summary_field plain_run 1 consensus)
planted_words="$site $(echo "$site" | rev | tr ACGT TGCA)"
shares=no
for offset in 0 1 2 3 4; do [[ $planted_words == *"${consensus:$offset:10}"* ]] && shares=yes; done
[ "$shares" = yes ] || fail "rank 1 is $consensus, not the planted $site"
awk -F'\t' 'function revcomp(s,   r, i, c) {
      r = ""; for (i = length(s); i > 0; i--) { c = substr(s, i, 1); r = r (c == "A" ? "T" : c == "C" ? "G" : c == "G" ? "C" : c == "T" ? "A" : c) }
      return r }
  FILENAME == ARGV[1] { g[$1] = $2; next }
  FNR == 1 { next }
  { w = toupper(substr(g[$8], $9, $10 - $9 + 1)); if ($11 == "-") w = revcomp(w)
    if (w != $7) print FNR ": " $0 " (the genome reads " w ")" }' genome.tsv plain_run/sites.tsv >site_words.txt
[ ! -s site_words.txt ] || fail "sites.tsv genome columns: $(head -3 site_words.txt)"
paste plain_run/sites.bed <(tail -n +2 plain_run/sites.tsv) | awk -F'\t' '
  $1 != $14 || $2 + 1 != $15 || $3 != $16 || $6 != $17 || $4 != $7 { print NR ": " $0 }' >bed_rules.txt
[ ! -s bed_rules.txt ] || fail "sites.bed is not sites.tsv in BED coordinates: $(head -2 bed_rules.txt)"
on_planted=$(awk -F'\t' 'FILENAME == ARGV[1] { c = $2 + $10; planted[$1 ":" c] = 1; next }
  $4 == "ZELKOVA-1" { centre = int(($2 + $3) / 2); for (d = -4; d <= 4; d++) if (planted[$1 ":" centre + d]) { n++; break } }
  END { print n + 0 }' peaks.narrowPeak plain_run/sites.bed)
[ "$on_planted" -ge 270 ] || fail "only $on_planted of 300 planted sites found by ZELKOVA-1 in sites.bed"

# The planted sites sit at the summits: central enrichment of rank 1 (and of
# CTCF among the known motifs), with its histogram on the page and a sentence
# in the verdict.
awk -v p="$(summary_field plain_run 1 central_log10_p)" 'BEGIN { exit !(p < -10) }' ||
  fail "rank 1 is not central: central_log10_p $(summary_field plain_run 1 central_log10_p)"
[[ $(summary_field plain_run 1 central_width) =~ ^[0-9]+$ ]] || fail "central_width $(summary_field plain_run 1 central_width)"
awk -F'\t' '$2 == "MA0139.1" && !($14 < -10 && $15 ~ /^[0-9]+$/) { print }
  NR > 1 && $12 + 0 >= 0.05 && ($14 != "NA" || $15 != "NA") { print }' plain_run/known.tsv >known_central.txt
[ ! -s known_central.txt ] || fail "known.tsv central columns: $(head -2 known_central.txt)"
grep -q 'MA0139.1' <(awk -F'\t' '$14 != "NA"' plain_run/known.tsv) || fail "known.tsv: CTCF has no central result"
[ "$(grep -c '<svg xmlns="http://www.w3.org/2000/svg" class="central-histogram"' plain_run/index.html)" -ge 2 ] ||
  fail "the page draws fewer than two histograms of site positions"
grep -q '<p class="verdict">.*The sites of the best motif gather at the centres of the sequences: ' plain_run/index.html ||
  fail "the verdict does not say the sites are central"
grep -q '^  ZELKOVA-1: central, ' plain_run/log.txt || fail "the log does not call rank 1 central"

# log10_p is zelkova-scan's p-value of the same window, for the motif of
# motifs.meme on peaks.fa with its default background (the letters scanned);
# the scan prints two significant digits.
awk '/^MOTIF / { motifs++ } motifs < 2 { print }' plain_run/motifs.meme >first.meme
bound=$(awk -F'\t' 'BEGIN { top = -1000 } $1 == "ZELKOVA-1" && $12 + 0 > top { top = $12 + 0 }
  END { printf "%.3g", 1.1 * 10 ^ top }' plain_run/sites.tsv)
"$bin_dir/zelkova-scan" --pvalue "$bound" --max-sites 10000000 first.meme plain_run/peaks.fa >scanned.tsv 2>scan.err ||
  fail "zelkova-scan on peaks.fa: $(cat scan.err)"
awk -F'\t' 'FILENAME == ARGV[1] { if (FNR > 1) p[$3 "\t" $4 "\t" $5 "\t" $6] = $8; next }
  FNR > 1 && $1 == "ZELKOVA-1" { n++; key = $2 "\t" $3 "\t" $4 "\t" $5
    if (!(key in p)) { print "not scanned: " $0; next }
    d = log(p[key]) / log(10) - $12; if (d * d > 0.03 * 0.03) print "p " p[key] " against log10_p " $12 ": " $0 }
  END { if (n < 270) print "only " n " sites of ZELKOVA-1" }' scanned.tsv plain_run/sites.tsv >pvalues.txt
[ ! -s pvalues.txt ] || fail "sites.tsv log10_p against zelkova-scan: $(head -3 pvalues.txt)"
overlapping_sites plain_run/sites.tsv >overlaps.txt
[ ! -s overlaps.txt ] || fail "overlapping sites of one motif listed: $(head -2 overlaps.txt)"

# --- the same outputs: bgzip, 1 thread ------------------------------------------------
run packed_run packed -p 1
[ "$status" -eq 0 ] || fail "the run on the bgzip genome failed: $(cat packed_run.err)"
[ -e packed/genome.fa.gzi ] || fail "no .gzi index beside the bgzip genome"
grep -q '^genome: genome.fa (bgzip), ' packed_run/log.txt || fail "the log does not say the genome is bgzip-compressed"
genome_masked plain_run packed_run "bgzip and 1 thread against plain and 2 threads"
run again plain
grep -q 'index found beside it' again/log.txt || fail "the second run did not use the index beside the genome"
genome_masked plain_run again "a second run"

# --- peaks.fa and background.fa through the FASTA path --------------------------------
discover fasta_path plain_run/peaks.fa --control plain_run/background.fa --lengths 14
[ "$status" -eq 0 ] || fail "the FASTA path failed: $(cat fasta_path.err)"
for f in summary.tsv sites.tsv sites.bed motifs.meme motifs.jaspar known.tsv; do
  cmp -s "plain_run/$f" "fasta_path/$f" || fail "$f differs through the FASTA path: $(diff "plain_run/$f" "fasta_path/$f" | head -3)"
done

# --- --exclude and --prefix: nothing near a peak or in an excluded region -----------------
awk -F'\t' 'NR % 5 == 0 { s = $2 + $10; print $1 "\t" s - 150 "\t" s + 150 } NR % 7 == 0 { print $1 "\t" $3 + 2000 "\t" $3 + 9000 }' \
  peaks.narrowPeak >exclude.bed
left_out=$(awk -F'\t' 'FILENAME == ARGV[1] { zc[++n] = $1; zs[n] = $2; ze[n] = $3; next }
  { s = $2 + $10 - 100; for (i = 1; i <= n; i++) if (zc[i] == $1 && zs[i] < s + 200 && s < ze[i]) { k++; break } }
  END { print k + 0 }' exclude.bed peaks.narrowPeak)
[ "$left_out" -ge 60 ] || fail "the exclusion test leaves out only $left_out windows"
run excluded plain --exclude ../exclude.bed --prefix CTCF_rep1 --background-ratio 3
[ "$status" -eq 0 ] || fail "--exclude --prefix failed: $(cat excluded.err)"
grep -q "^peaks: .*, 300 peaks, $((300 - left_out)) windows; left out: $left_out in an excluded region\$" excluded/log.txt ||
  fail "the excluded peaks are not counted ($left_out): $(grep '^peaks' excluded/log.txt)"
[ "$(wc -l <excluded/background.bed)" -eq $((3 * (300 - left_out))) ] || fail "--background-ratio 3 did not draw 3 windows per peak window"
awk -F'\t' 'FILENAME == ARGV[1] { s = $2 + $10 - 100; lo = ($2 < s ? $2 : s) - 200; hi = ($3 > s + 200 ? $3 : s + 200) + 200
    zc[++z] = $1; zs[z] = lo; ze[z] = hi; next }
  FILENAME == ARGV[2] { zc[++z] = $1; zs[z] = $2; ze[z] = $3; next }
  { for (i = 1; i <= z; i++) if (zc[i] == $1 && zs[i] < $3 && $2 < ze[i]) { print FNR ": " $0 " touches " zc[i] ":" zs[i] "-" ze[i]; break } }' \
  peaks.narrowPeak exclude.bed excluded/background.bed >touching.txt
[ ! -s touching.txt ] || fail "background windows near a peak or in an excluded region: $(head -3 touching.txt)"
awk -F'\t' 'FILENAME == ARGV[1] { zc[++n] = $1; zs[n] = $2; ze[n] = $3; next }
  /^>/ { split(substr($0, 2), p, /[:-]/); for (i = 1; i <= n; i++) if (zc[i] == p[1] && zs[i] < p[3] + 0 && p[2] + 0 < ze[i]) print $0 }' \
  exclude.bed excluded/peaks.fa >excluded_windows.txt
[ ! -s excluded_windows.txt ] || fail "peak windows in an excluded region: $(head -3 excluded_windows.txt)"
awk '/^>/ { next } { n = gsub(/N/, "N"); if (n > 10) print NR ": " n " N" }' excluded/background.fa >many_n.txt
[ ! -s many_n.txt ] || fail "background windows with more than 5 % N: $(head -3 many_n.txt)"
# The GC histogram of the background matches the peaks' (bins 5 % wide).
awk -F'\t' 'FILENAME == ARGV[1] { if (/^>/) next; acgt = gsub(/[ACGT]/, "&"); gc = gsub(/[GC]/, "&")
    if (acgt) peaks[int(100 * gc / acgt / 5)]++; np++; next }
  { bg[int($5 / 50)]++; nb++ }
  END { for (b = 0; b <= 20; b++) { e = (peaks[b] + bg[b]) * nb / (np + nb); f = (peaks[b] + bg[b]) * np / (np + nb)
          if (e > 0) chi += (bg[b] - e) ^ 2 / e + (peaks[b] - f) ^ 2 / f }
        printf "%.1f\n", chi }' excluded/peaks.fa excluded/background.bed >chi.txt
awk '{ exit !($1 < 15) }' chi.txt || fail "the background GC histogram does not match the peaks' (chi-square $(cat chi.txt))"
[ "$(summary_field excluded 1 id)" = CTCF_rep1-1 ] || fail "--prefix: rank 1 is $(summary_field excluded 1 id)"
grep -q '^MOTIF CTCF_rep1-1 ' excluded/motifs.meme && grep -q $'^>CTCF_rep1-1\t' excluded/motifs.jaspar ||
  fail "--prefix: the motif files do not name CTCF_rep1-1"
cut -f4 excluded/sites.bed | sort -u | grep -v '^CTCF_rep1-[0-9]*$' >ids.txt || true
[ ! -s ids.txt ] || fail "--prefix: sites.bed names $(head -2 ids.txt)"
grep -q 'CTCF_rep1-1' excluded/known.tsv || fail "--prefix: known.tsv does not name CTCF_rep1-1"

# --- another peak set as the control, the peaks' own intervals --------------------------
"$bin_dir/zelkova-gen-genome" other 3000000 3 200 9 >/dev/null
cut -f1-3 other.narrowPeak >control_peaks.bed
run control_peaks plain --control-peaks ../control_peaks.bed --size given
[ "$status" -eq 0 ] || fail "--control-peaks failed: $(cat control_peaks.err)"
grep -q '^control peaks: ../control_peaks.bed, 200 peaks, 200 windows; [0-9]* windows overlapping a peak window left out$' \
  control_peaks/log.txt || fail "the log does not describe the control peaks: $(grep '^control peaks' control_peaks/log.txt)"
grep -q '^windows: the peaks'"'"' own intervals' control_peaks/log.txt || fail "--size given: $(grep '^windows' control_peaks/log.txt)"
awk -F'\t' 'FILENAME == ARGV[1] { want[++n] = $1 ":" $2 "-" $3; next } /^>/ { k++; if (substr($0, 2) != want[k]) print }' \
  peaks.narrowPeak control_peaks/peaks.fa >given.txt
[ ! -s given.txt ] || fail "--size given did not keep the peaks' intervals: $(head -2 given.txt)"
[ "$(summary_field control_peaks 1 id)" = ZELKOVA-1 ] || fail "--control-peaks found no motif"

# --- the index: built once by --index-genome, in memory when the directory is read-only ----
mkdir -p indexed && cp plain/genome.fa indexed/
"$bin_dir/zelkova-discover" --index-genome --genome indexed/genome.fa >index.txt 2>&1 || fail "--index-genome failed: $(cat index.txt)"
[ "$(cat index.txt)" = "Built the index of indexed/genome.fa beside it." ] || fail "--index-genome said: $(cat index.txt)"
"$bin_dir/zelkova-discover" --index-genome --genome indexed/genome.fa >index.txt 2>&1
[ "$(cat index.txt)" = "The index of indexed/genome.fa is there and up to date." ] || fail "--index-genome again said: $(cat index.txt)"
# Root writes anywhere: the read-only run is made as the user nobody.
mkdir -p readonly results && cp plain/genome.fa peaks.narrowPeak readonly/
chmod 755 "$work" && chmod 555 readonly && chmod 777 results
as_reader=()
[ "$(id -u)" -ne 0 ] || as_reader=(setpriv --reuid=65534 --regid=65534 --clear-groups)
status=0
(cd readonly && "${as_reader[@]}" "$bin_dir/zelkova-discover" --peaks peaks.narrowPeak --genome genome.fa \
  -o ../results/readonly --lengths 14 --decoy no --no-known) 2>readonly.err || status=$?
[ "$status" -eq 0 ] || fail "the run on a read-only genome failed: $(cat readonly.err)"
[ ! -e readonly/genome.fa.fai ] || fail "an index was written into the read-only directory"
grep -q '^genome: genome.fa, .*; index built in memory (the directory of genome.fa cannot be written to: Permission denied' \
  results/readonly/log.txt || fail "the log does not say the index is in memory: $(grep '^genome' results/readonly/log.txt)"
[ "$(summary_field results/readonly 1 consensus)" = "$consensus" ] || fail "the read-only run found another motif"
chmod 755 readonly

# --- refused inputs: file and line named, no directory left ----------------------------------
# refused MESSAGE ARGS...: status 1, MESSAGE on standard error, no directory out.
refused() {
  local message=$1
  shift
  rm -rf out
  local status=0
  "$bin_dir/zelkova-discover" "$@" -o out --lengths 14 >stdout.txt 2>stderr.txt || status=$?
  [ "$status" -eq 1 ] || fail "$*: status $status, expected 1"
  grep -qF -- "$message" stderr.txt || fail "$*: no message '$message' in: $(cat stderr.txt)"
  [ ! -e out ] || fail "$*: left a directory out"
}
sed 's/^chr//' peaks.narrowPeak >numbered.narrowPeak
refused "Error: numbered.narrowPeak:1: chromosome 1 is not in the genome plain/genome.fa, which names it chr1" \
  --peaks numbered.narrowPeak --genome plain/genome.fa
printf 'track name=peaks\nchr1\t100\t300\nchr2\t999000\t1000100\n' >beyond.bed
refused "Error: beyond.bed:3: the peak chr2:999000-1000100 ends past the end of chr2 (1000000 bases) in plain/genome.fa" \
  --peaks beyond.bed --genome plain/genome.fa
printf '# no peaks here\n' >empty.bed
refused "Error: empty.bed: the file holds no peak" --peaks empty.bed --genome plain/genome.fa
refused "Error: peaks.narrowPeak:1: not a FASTA file" --peaks peaks.narrowPeak --genome peaks.narrowPeak
refused "Error: numbered.narrowPeak:1: chromosome 1 is not in the genome" --peaks peaks.narrowPeak \
  --genome plain/genome.fa --exclude numbered.narrowPeak
refused "Error: numbered.narrowPeak:1: chromosome 1 is not in the genome" --peaks peaks.narrowPeak \
  --genome plain/genome.fa --control-peaks numbered.narrowPeak
refused "Error: --peaks needs --genome GENOME.fa" --peaks peaks.narrowPeak
refused "Error: standard input (-) is named as more than one input; it can be read only once." --peaks - \
  --genome plain/genome.fa --control-peaks - <peaks.narrowPeak
refused "Error: standard input (-) is named as more than one input; it can be read only once." --peaks - \
  --genome plain/genome.fa --exclude - <peaks.narrowPeak
refused "Error: PRIMARY.fa and --peaks both name the primary sequences" plain_run/peaks.fa --peaks peaks.narrowPeak \
  --genome plain/genome.fa
refused "Error: --background-ratio sizes the genomic background" --peaks peaks.narrowPeak --genome plain/genome.fa \
  --shuffled-control --background-ratio 3

finish_checks "zelkova-discover on peaks and a genome: windows, planted motif, coordinates, compressions, FASTA path, background, refusals"
