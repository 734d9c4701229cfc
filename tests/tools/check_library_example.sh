#!/usr/bin/env bash
# Runs the library example on the bundled CRP example in an empty directory:
# it must print the CRP site (TGTGA-N6-TCACA) first and write no file.
set -euo pipefail
example=$1
fasta=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && "$example" "$fasta" >"$work/.out")
first=$(head -n 1 "$work/.out")
if ! [[ $first =~ ^1$'\t'TGTGA......TCACA$'\t' ]]; then
  echo "the first motif is not the CRP site: $first"; exit 1
fi
[ "$(wc -l <"$work/.out")" -eq 10 ] || { echo "expected 10 motifs:"; cat "$work/.out"; exit 1; }
left=$(cd "$work" && ls -A | grep -v '^\.out$' || true)
[ -z "$left" ] || { echo "the example wrote files: $left"; exit 1; }
echo "ok: $first"
