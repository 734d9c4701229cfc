#!/usr/bin/env bash
# Reads every matrix export of a real report with Biopython's Bio.motifs, the
# reference reader of the field: each file must parse, hold every motif of the
# report under its identifier and give back the report's count matrices.
# Debian's python3-biopython goes with Debian's own Python, so that one is run.
#
# usage: check_biopython.sh BIN_DIR REPORT
set -euo pipefail
bin_dir=$(cd "$1" && pwd)
report=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
python=/usr/bin/python3
"$python" -c 'import Bio.motifs' 2>/dev/null || {
  echo "FAIL: Bio.motifs is missing (scripts/install-deps.sh installs python3-biopython)"
  exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for format in meme jaspar transfac; do
  "$bin_dir/zelkova-export" -f "$format" -o "$work/out.$format" "$report"
done
"$python" - "$report" "$work" <<'PY'
import sys
from Bio import motifs

report, work = sys.argv[1], sys.argv[2]

def report_counts(path):
    counts, rank = {}, None
    for line in open(path):
        if line.startswith("Motif rank #"):
            rank = "ZELKOVA-" + line[len("Motif rank #"):].strip()
            counts[rank] = {}
        elif rank and len(line) > 2 and line[0] in "ACGT" and line[1] == "\t":
            counts[rank][line[0]] = [int(x) for x in line[2:].split()]
    return counts

expected = report_counts(report)
failures = 0
for fmt, name, ident in [("minimal", "out.meme", lambda m: m.name),
                         ("jaspar", "out.jaspar", lambda m: m.matrix_id),
                         ("transfac", "out.transfac", lambda m: m["AC"])]:
    with open(f"{work}/{name}") as handle:
        parsed = motifs.parse(handle, fmt)
    got = {ident(m): {b: [round(float(x)) for x in m.counts[b]] for b in "ACGT"} for m in parsed}
    if got != expected:
        failures += 1
        print(f"FAIL: {name} read by Bio.motifs ({fmt}) differs from the report")
        for key in sorted(set(got) | set(expected)):
            if got.get(key) != expected.get(key):
                print(f"  {key}: got {got.get(key)}, expected {expected.get(key)}")
                break
if failures:
    sys.exit(1)
print(f"Bio.motifs reads {len(expected)} motifs from each of the MEME, JASPAR and TRANSFAC exports")
PY
