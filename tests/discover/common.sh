# Sourced by the zelkova-discover checks: the shared working directory and
# failure counting, and helpers to run the program and compare its outputs.
# Expects $bin_dir.
source "$(dirname "${BASH_SOURCE[0]}")/../checks.sh"

summary_header=$'rank\tid\tlength\tmismatches\tconsensus\tthreshold\tlog10_E\tbeats_decoy\tprimary_hits\tprimary_total\tcontrol_hits\tcontrol_total\tbest_match_id\tbest_match_name\tbest_match_E\tweak_match_id\tweak_match_E\tconditional_log10_E\tlow_complexity\tcentral_log10_p\tcentral_width'
sites_header=$'motif_id\tsequence\tstart\tend\tstrand\tscore\tword\tchrom\tgenome_start\tgenome_end\tgenome_strand\tlog10_p'

# copy_example FASTA: the working directory becomes the current one, with
# FASTA in it as crp0.fa.
copy_example() {
  cp "$1" "$work/crp0.fa"
  cd "$work"
}

# discover DIR ARGS...: runs zelkova-discover with -o DIR, keeping its
# standard error in DIR.err (beside DIR) and its status in $status.
discover() {
  local dir=$1
  shift
  status=0
  "$bin_dir/zelkova-discover" "$@" -o "$dir" 2>"$dir.err" || status=$?
}

# summary_field DIR RANK COLUMN: one field of summary.tsv.
summary_field() {
  awk -F'\t' -v rank="$2" -v col="$3" 'NR == 1 { for (i = 1; i <= NF; i++) if ($i == col) c = i }
    NR > 1 && $1 == rank { print $c }' "$1/summary.tsv"
}

# masked_copy DIR COPY: DIR with the dates, times, thread counts and command
# lines blanked out, for comparing runs.
masked_copy() {
  rm -rf "$2"
  cp -r "$1" "$2"
  sed -i -e 's/^started: .*/started:/' -e 's/([0-9.]* s)$/()/' -e 's/^total: .*/total:/' \
    -e 's/^threads: .*/threads:/' -e 's/^command line: .*/command line:/' "$2/log.txt"
  sed -i -e 's|<tr><th>Started</th><td>[^<]*</td></tr>||' -e 's|<tr><th>Time</th><td>.*</td></tr>||' \
    -e 's|<td class="num seconds">[^<]*</td>||g' -e 's|<tr><th>Command line</th>.*</tr>||' "$2/index.html"
  for f in "$2"/runs/*.out; do sed -i -e 's/^Current local time and date: .*//' "$f"; done
  for f in "$2"/runs/*.html; do sed -i -e 's|<tr><th>Run started</th><td>[^<]*</td></tr>||' "$f"; done
}

# same_contents A B WHAT: the masked copies of two result directories match.
same_contents() {
  masked_copy "$1" "$1.masked"
  masked_copy "$2" "$2.masked"
  diff -r "$1.masked" "$2.masked" >"$work/diff.txt" || fail "$3: $(head -c 600 "$work/diff.txt")"
}

# site_word_errors FASTA SITES_TSV: the lines of SITES_TSV whose word is not
# the letters from start to end of its sequence in FASTA (as given, in upper
# case), read on its strand.
site_word_errors() {
  awk -F'\t' '
    function revcomp(s,   r, i, c) {
      r = ""
      for (i = length(s); i > 0; i--) {
        c = substr(s, i, 1)
        r = r (c == "A" ? "T" : c == "C" ? "G" : c == "G" ? "C" : c == "T" ? "A" : c)
      }
      return r
    }
    FNR == NR { if (/^>/) { name = substr($0, 2) } else { seq[name] = seq[name] toupper($0) }; next }
    FNR > 1 {
      w = substr(seq[$2], $3, $4 - $3 + 1)
      if ($5 == "-") w = revcomp(w)
      if (w != $7) print FNR ": " $0 " (the sequence reads " w ")"
    }' "$1" "$2"
}

# overlapping_sites SITES_TSV: lines of one motif in one sequence whose
# windows share a letter with the line before them by start (the tables list
# one of them, the best); once sorted by start, any overlap shows between
# neighbours.
overlapping_sites() {
  tail -n +2 "$1" | LC_ALL=C sort -t $'\t' -k1,1 -k2,2 -k3,3n | awk -F'\t' '
    $1 == motif && $2 == sequence && $3 <= end { print previous " / " $0 }
    { motif = $1; sequence = $2; end = $4; previous = $0 }'
}
