#!/usr/bin/env bash
# End-to-end checks of how every program writes its outputs: failed writes on
# a full device (a private copy of it, made with mknod inside the temporary
# directory, so /dev is never touched), consoles on that device, outputs that
# name an input under another name, symbolic links, FIFOs with a reader, and
# failed runs that must leave an existing output as it was.
#
# usage: check_outputs.sh BIN_DIR FASTA
# Needs root (mknod).
set -uo pipefail
bin=$(cd "$1" && pwd)
fasta=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")

source "$(dirname "$0")/../checks.sh"
cd "$work"

# run_to STDOUT DIR PROGRAM ARG...: runs in DIR (made if needed) with standard
# output to STDOUT, keeping the status in $status and standard error in
# $work/stderr.
run_to() {
  local out=$1 dir=$2 program=$3
  shift 3
  mkdir -p "$work/$dir"
  (cd "$work/$dir" && "$bin/$program" "$@" >"$out" 2>"$work/stderr")
  status=$?
}
# Standard output kept in $work/stdout, or sent to the full device.
run() { run_to "$work/stdout" "$@"; }
run_console_full() { run_to "$work/full" "$@"; }

expect_status() {  # NAME STATUS
  [ "$status" = "$2" ] || fail "$1: exit status $status, expected $2"
}
expect_text() {  # NAME FILE EXPECTED_TEXT
  [ "$(cat "$2")" = "$3" ] || fail "$1: $(basename "$2") was [$(cat "$2")], expected [$3]"
}
expect_same() {  # NAME ACTUAL EXPECTED
  cmp -s "$2" "$3" || fail "$1: $2 differs from $3"
}
expect_type() {  # NAME PATH TEST_FLAG WHAT
  test "$3" "$2" || fail "$1: $2 is no longer $4"
}
expect_entries() {  # NAME DIR ENTRY...: the directory holds exactly these names
  local name=$1 dir=$2
  shift 2
  local have want
  have=$(ls -A "$work/$dir" | sort | tr '\n' ' ')
  want=$([ $# -eq 0 ] || printf '%s\n' "$@" | sort | tr '\n' ' ')
  [ "$have" = "$want" ] || fail "$name: $dir holds [$have], expected [$want]"
}
# read_fifo FIFO OUT: a reader in the background, its pid in $reader.
read_fifo() {
  cat "$1" >"$2" &
  reader=$!
}
# Waits for the reader; a writer opened and closed here first releases a
# reader still waiting because the program never opened the FIFO (the check
# then fails instead of hanging). "<>" neither blocks nor truncates.
end_fifo() {  # FIFO
  : 1<>"$1"
  wait "$reader"
}
expect_full_device() {  # NAME
  expect_type "$1" "$work/full" -c "a character device"
}
# The report without its date line, which changes from run to run, and the
# command line, which names the report.
undated() { grep -v -e '^Current local time and date: ' -e '^Command line options: ' "$1"; }
expect_same_report() {  # NAME ACTUAL EXPECTED
  cmp -s <(undated "$2") <(undated "$3") || fail "$1: report $2 differs from $3"
}

mknod "$work/full" c 1 7 || { echo "cannot make a character device (mknod needs root)"; exit 1; }
space="No space left on device"

# --- Inputs and reference outputs ------------------------------------------
mkdir in
cp "$fasta" in/in.fa
"$bin/zelkova-markov" -o in/fg.txt in/in.fa && "$bin/zelkova-markov" -m 3 -o in/bg.txt in/in.fa || exit 1
for f in in.fa fg.txt bg.txt; do cp "in/$f" "in/$f.orig"; done
zargs=(-f ../in/in.fa -l 8 -m 1 -v 10 -p 1 -b ../in/bg.txt -z ../in/fg.txt)
run ref zelkova "${zargs[@]}" -o ref.out
expect_status "reference run" 0
cp "$work/stdout" ref/console.txt
"$bin/zelkova-markov" in/in.fa >model.ref || exit 1
"$bin/zelkova-export" -f meme ref/ref.out >ref.meme || exit 1

expect_inputs_unchanged() {  # NAME
  for f in in.fa fg.txt bg.txt; do expect_same "$1" "in/$f" "in/$f.orig"; done
}

# --- zelkova ------------------------------------------------------------------
run z_full zelkova "${zargs[@]}" -o ../full
expect_status "zelkova -o full" 1
expect_text "zelkova -o full" <(tail -n 1 "$work/stdout") "Error: cannot write ../full: $space."
expect_text "zelkova -o full" "$work/stderr" ""
expect_full_device "zelkova -o full"

run_console_full z_console zelkova "${zargs[@]}" -o z.out
expect_status "zelkova console on full" 1
expect_text "zelkova console on full" "$work/stderr" "Error: cannot write standard output: $space."
expect_same_report "zelkova console on full" z_console/z.out ref/ref.out
expect_full_device "zelkova console on full"

run_console_full z_both zelkova "${zargs[@]}" -o ../full
expect_status "zelkova report and console on full" 1
expect_text "zelkova report and console on full" "$work/stderr" "Error: cannot write ../full: $space.
Error: cannot write standard output: $space."

n=0
for output in ../in/in.fa ../in/./in.fa hard_bg.txt soft_fg.txt; do
  n=$((n + 1))
  mkdir -p "z_refuse$n"
  ln -f in/bg.txt "z_refuse$n/hard_bg.txt"
  ln -s ../in/fg.txt "z_refuse$n/soft_fg.txt"
  run "z_refuse$n" zelkova "${zargs[@]}" -o "$output"
  expect_status "zelkova -o $output" 1
  expect_text "zelkova -o $output" "$work/stdout" "ZELKOVA VERSION 1.0, by the ZELKOVA developers
Error: the report file $output is also an input file."
  expect_entries "zelkova -o $output" "z_refuse$n" hard_bg.txt soft_fg.txt
  expect_inputs_unchanged "zelkova -o $output"
done
mkdir -p z_refuse_default && cp in/in.fa z_refuse_default/in.out
run z_refuse_default zelkova -f in.out -l 8 -b ../in/bg.txt -z ../in/fg.txt
expect_status "zelkova report named after the input is the input" 1
expect_text "zelkova report named after the input is the input" <(tail -n 1 "$work/stdout") \
  "Error: the report file in.out is also an input file."
mkdir -p z_side && cp in/in.fa z_side/initcore.txt
run z_side zelkova -f initcore.txt -l 8 -b ../in/bg.txt -z ../in/fg.txt
expect_status "zelkova input named like a side file" 1
expect_text "zelkova input named like a side file" <(tail -n 1 "$work/stdout") \
  "Error: the side file initcore.txt is also an input file."
expect_same "zelkova input named like a side file" z_side/initcore.txt in/in.fa

mkdir -p z_link/reports && echo "old report" >z_link/reports/r.out
ln -s reports/r.out z_link/r.out
run z_link zelkova "${zargs[@]}" -o r.out
expect_status "zelkova -o LINK" 0
expect_type "zelkova -o LINK" z_link/r.out -L "a symbolic link"
expect_same_report "zelkova -o LINK" z_link/reports/r.out ref/ref.out
expect_entries "zelkova -o LINK" z_link reports r.out initcore.txt initcluster.txt

mkdir -p z_fifo && mkfifo z_fifo/report.fifo
read_fifo z_fifo/report.fifo z_fifo_received.out
run z_fifo zelkova "${zargs[@]}" -o report.fifo
end_fifo z_fifo/report.fifo
expect_status "zelkova -o FIFO" 0
expect_type "zelkova -o FIFO" z_fifo/report.fifo -p "a FIFO"
expect_same_report "zelkova -o FIFO" z_fifo_received.out ref/ref.out

# -o /dev/stdout with the console in a file: the report is written in the
# console where it stands, exactly as when the report falls back to the
# console because it cannot be opened (-o .).
run z_stdout zelkova "${zargs[@]}" -o /dev/stdout
expect_status "zelkova -o /dev/stdout" 0
cp "$work/stdout" z_stdout/console.txt
run z_stdout zelkova "${zargs[@]}" -o .
grep -v '^Error! unable to open output file \.$' "$work/stdout" >z_stdout/fallback.txt
untimed() { grep -v -e '^Warning: cannot write initcore.txt\.$' -e '^Time taken: ' "$1"; }
expect_same "zelkova -o /dev/stdout" <(undated z_stdout/console.txt | untimed /dev/stdin) \
  <(undated z_stdout/fallback.txt | untimed /dev/stdin)

# A side file that fails part-way: a warning, once, and the run goes on.
mkdir -p z_side_full && ln -s ../full z_side_full/initcore.txt
run z_side_full zelkova "${zargs[@]}" -o s.out
expect_status "zelkova side file on full" 0
[ "$(grep -c '^Warning: cannot write initcore.txt\.$' "$work/stdout")" = 1 ] ||
  fail "zelkova side file on full: expected one warning, console: $(cat "$work/stdout")"
expect_same "zelkova side file on full" <(untimed "$work/stdout") <(untimed ref/console.txt)
expect_same_report "zelkova side file on full" z_side_full/s.out ref/ref.out
expect_type "zelkova side file on full" z_side_full/initcore.txt -L "a symbolic link"
expect_full_device "zelkova side file on full"

# --- zelkova-markov -------------------------------------------------------------
run m_full zelkova-markov -o ../full ../in/in.fa
expect_status "zelkova-markov -o full" 1
expect_text "zelkova-markov -o full" "$work/stderr" "Error: cannot write ../full: $space."
expect_full_device "zelkova-markov -o full"

for args in "../in/in.fa" "--help" "--version"; do
  run_console_full m_console zelkova-markov $args
  expect_status "zelkova-markov $args, console on full" 1
  expect_text "zelkova-markov $args, console on full" "$work/stderr" "Error: cannot write standard output: $space."
done

n=0
for output in ../in/in.fa ./../in/in.fa hard.fa soft.fa; do
  n=$((n + 1))
  mkdir -p "m_refuse$n"
  ln -f in/in.fa "m_refuse$n/hard.fa"
  ln -s ../in/in.fa "m_refuse$n/soft.fa"
  run "m_refuse$n" zelkova-markov -o "$output" ../in/in.fa.orig ../in/in.fa
  expect_status "zelkova-markov -o $output" 1
  expect_text "zelkova-markov -o $output" "$work/stderr" "Error: the output file $output is also an input file."
  expect_entries "zelkova-markov -o $output" "m_refuse$n" hard.fa soft.fa
  expect_inputs_unchanged "zelkova-markov -o $output"
done

mkdir -p m_link/models && echo "old model" >m_link/models/bg.txt
ln -s models/bg.txt m_link/bg.txt
run m_link zelkova-markov -o bg.txt ../in/in.fa
expect_status "zelkova-markov -o LINK" 0
expect_type "zelkova-markov -o LINK" m_link/bg.txt -L "a symbolic link"
expect_same "zelkova-markov -o LINK" m_link/models/bg.txt model.ref
expect_entries "zelkova-markov -o LINK" m_link bg.txt models
expect_entries "zelkova-markov -o LINK" m_link/models bg.txt

mkdir -p m_fifo && mkfifo m_fifo/model.fifo
read_fifo m_fifo/model.fifo m_fifo_received.txt
run m_fifo zelkova-markov -o model.fifo ../in/in.fa
end_fifo m_fifo/model.fifo
expect_status "zelkova-markov -o FIFO" 0
expect_same "zelkova-markov -o FIFO" m_fifo_received.txt model.ref
expect_type "zelkova-markov -o FIFO" m_fifo/model.fifo -p "a FIFO"

# -o /dev/stdout, the console being a pipe or a file.
run m_stdout zelkova-markov -o /dev/stdout ../in/in.fa
expect_status "zelkova-markov -o /dev/stdout to a file" 0
expect_same "zelkova-markov -o /dev/stdout to a file" "$work/stdout" model.ref
(cd m_stdout && "$bin/zelkova-markov" -o /dev/stdout ../in/in.fa | cat >"$work/stdout")
expect_same "zelkova-markov -o /dev/stdout to a pipe" "$work/stdout" model.ref
expect_entries "zelkova-markov -o /dev/stdout" m_stdout

# --- zelkova-export ---------------------------------------------------------------
run e_full zelkova-export -f html -o ../full ../ref/ref.out
expect_status "zelkova-export -o full" 1
expect_text "zelkova-export -o full" "$work/stderr" "Error: cannot write ../full: $space."
expect_full_device "zelkova-export -o full"

run_console_full e_console zelkova-export -f meme ../ref/ref.out
expect_status "zelkova-export console on full" 1
expect_text "zelkova-export console on full" "$work/stderr" "Error: cannot write standard output: $space."

n=0
for output in ../ref/ref.out ../ref/../ref/ref.out hard.out soft.out; do
  n=$((n + 1))
  mkdir -p "e_refuse$n"
  ln -f ref/ref.out "e_refuse$n/hard.out"
  ln -s ../ref/ref.out "e_refuse$n/soft.out"
  cp ref/ref.out ref.out.orig
  run "e_refuse$n" zelkova-export -f meme -o "$output" ../ref/ref.out
  expect_status "zelkova-export -o $output" 1
  expect_text "zelkova-export -o $output" "$work/stderr" "Error: the output file $output is also an input file."
  expect_same "zelkova-export -o $output" ref/ref.out ref.out.orig
done

# A failed export leaves an existing output as it was, with nothing beside it.
mkdir -p e_keep
head -n 20 ref/ref.out >e_keep/damaged.out
echo "old export" >e_keep/motifs.meme
run e_keep zelkova-export -f meme -o motifs.meme damaged.out
expect_status "failed export" 1
expect_text "failed export" e_keep/motifs.meme "old export"
expect_entries "failed export" e_keep damaged.out motifs.meme

mkdir -p e_link/exports && echo "old export" >e_link/exports/m.meme
ln -s exports/m.meme e_link/m.meme
run e_link zelkova-export -f meme -o m.meme ../ref/ref.out
expect_status "zelkova-export -o LINK" 0
expect_type "zelkova-export -o LINK" e_link/m.meme -L "a symbolic link"
expect_same "zelkova-export -o LINK" e_link/exports/m.meme ref.meme

mkdir -p e_fifo && mkfifo e_fifo/m.fifo
read_fifo e_fifo/m.fifo e_fifo_received.meme
run e_fifo zelkova-export -f meme -o m.fifo ../ref/ref.out
end_fifo e_fifo/m.fifo
expect_status "zelkova-export -o FIFO" 0
expect_same "zelkova-export -o FIFO" e_fifo_received.meme ref.meme

# --- zelkova-scan ----------------------------------------------------------------
sargs=(--bg uniform --pvalue 1e-3 ../ref/ref.out ../in/in.fa)
"$bin/zelkova-scan" --bg uniform --pvalue 1e-3 ref/ref.out in/in.fa >scan.ref || exit 1
[ "$(wc -l <scan.ref)" -gt 1 ] || fail "zelkova-scan: the reference scan found no site"
run s_full zelkova-scan -o ../full "${sargs[@]}"
expect_status "zelkova-scan -o full" 1
expect_text "zelkova-scan -o full" "$work/stderr" "Error: cannot write ../full: $space."
expect_full_device "zelkova-scan -o full"

run_console_full s_console zelkova-scan "${sargs[@]}"
expect_status "zelkova-scan console on full" 1
expect_text "zelkova-scan console on full" "$work/stderr" "Error: cannot write standard output: $space."

n=0
for output in ../in/in.fa ../in/../in/in.fa hard.fa soft.fa; do
  n=$((n + 1))
  mkdir -p "s_refuse$n"
  ln -f in/in.fa "s_refuse$n/hard.fa"
  ln -s ../in/in.fa "s_refuse$n/soft.fa"
  run "s_refuse$n" zelkova-scan -o "$output" "${sargs[@]}"
  expect_status "zelkova-scan -o $output" 1
  expect_text "zelkova-scan -o $output" "$work/stderr" "Error: the output file $output is also an input file."
  expect_entries "zelkova-scan -o $output" "s_refuse$n" hard.fa soft.fa
  expect_inputs_unchanged "zelkova-scan -o $output"
done

# A failed scan leaves an existing output as it was, with nothing beside it.
mkdir -p s_keep
printf '>cut\nACGTAC\n>bad\nACGTJ\n' >s_keep/damaged.fa
echo "old sites" >s_keep/sites.tsv
run s_keep zelkova-scan -o sites.tsv --bg uniform ../ref/ref.out damaged.fa
expect_status "failed scan" 1
expect_text "failed scan" s_keep/sites.tsv "old sites"
expect_entries "failed scan" s_keep damaged.fa sites.tsv

mkdir -p s_link/scans && echo "old sites" >s_link/scans/sites.tsv
ln -s scans/sites.tsv s_link/sites.tsv
run s_link zelkova-scan -o sites.tsv "${sargs[@]}"
expect_status "zelkova-scan -o LINK" 0
expect_type "zelkova-scan -o LINK" s_link/sites.tsv -L "a symbolic link"
expect_same "zelkova-scan -o LINK" s_link/scans/sites.tsv scan.ref

mkdir -p s_fifo && mkfifo s_fifo/sites.fifo
read_fifo s_fifo/sites.fifo s_fifo_received.tsv
run s_fifo zelkova-scan -o sites.fifo "${sargs[@]}"
end_fifo s_fifo/sites.fifo
expect_status "zelkova-scan -o FIFO" 0
expect_same "zelkova-scan -o FIFO" s_fifo_received.tsv scan.ref

expect_full_device "at the end"
finish_checks "all output checks passed"
