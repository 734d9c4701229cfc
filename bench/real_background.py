#!/usr/bin/env python3
"""Sets of real fly upstream DNA for bench/real_background.sh, and the scores
of a zelkova-discover result on them.

  real_background.py make UPSTREAM.fa.gz MATRICES OUT_PREFIX WINDOWS SEED [ID:FRACTION ...]
      OUT_PREFIX.fa         windows of 200 to 500 letters of distinct upstream
                            regions, named after their genome region as
                            bedtools getfasta -s names them (chrom:start-end(+|-)),
                            with sites sampled from the JASPAR matrices ID planted
                            in the fraction FRACTION of them (each motif on its own)
      OUT_PREFIX.planted    one line per planted site: window, 1-based start,
                            width, motif ID
      OUT_PREFIX.control.fa as many windows of other upstream regions, nothing planted

  real_background.py score RESULT_DIR PLANTED
      one line of tab-separated numbers for the table of docs/benchmarks.md:
      rank of each planted motif (the first motif whose sites overlap at least
      a third of its planted sites by half their width; "-" when none does:
      unrelated motifs overlap a few in a hundred), motifs with E < 0.05, simple
      repeats among them, and duplicates in the top 10 (motifs ranked 2 and
      below with most of their sites inside the sites of a better one).

The simple-repeat rule is the one of zelkova-discover's low_complexity column
(stats/simple_repeat.h), so that builds without the column are scored alike.
"""
import gzip
import math
import random
import sys

COMPLEMENT = str.maketrans("ACGT", "TGCA")


def read_fasta(path):
    opener = gzip.open if path.endswith(".gz") else open
    name, letters = None, []
    with opener(path, "rt") as f:
        for line in f:
            line = line.strip()
            if line.startswith(">"):
                if name is not None:
                    yield name, "".join(letters)
                name, letters = line[1:], []
            elif line:
                letters.append(line.upper())
    if name is not None:
        yield name, "".join(letters)


def read_jaspar(path):
    """Bracketed JASPAR: {id: columns of letter frequencies}."""
    motifs, current, rows = {}, None, {}
    for line in open(path):
        line = line.strip()
        if line.startswith(">"):
            current, rows = line[1:].split()[0], {}
            motifs[current] = rows
        elif line and current:
            letter, rest = line.split(None, 1)
            rows[letter] = [float(x) for x in rest.strip("[] ").split()]
    columns = {}
    for motif_id, r in motifs.items():
        width = len(r["A"])
        cols = []
        for k in range(width):
            counts = [r[b][k] + 0.25 for b in "ACGT"]  # a small pseudo-count: no letter impossible
            total = sum(counts)
            cols.append([c / total for c in counts])
        columns[motif_id] = cols
    return columns


def region_of(header, offset, length, letters):
    """chrom:start-end(+|-) of `length` letters from `offset` of a region of
    the Biostrings file, whose header ends "chrom:first-last" (1-based) and
    whose name ends _f or _r."""
    name, where = header.split()
    chrom, span = where.split(":")
    first, last = (int(x) for x in span.split("-"))
    if last - first + 1 != letters:
        return None
    if name.endswith("_f"):
        start = first - 1 + offset
        return "%s:%d-%d(+)" % (chrom, start, start + length)
    end = last - offset
    return "%s:%d-%d(-)" % (chrom, end - length, end)


def window_of(header, letters, length, rng):
    """A window of LENGTH letters at a random place of the record, named by
    its genome region, or None when the record is too short, its header names
    no region, or more than a tenth of the window is N."""
    if len(letters) < length:
        return None
    offset = rng.randint(0, len(letters) - length)
    window = letters[offset:offset + length]
    name = region_of(header, offset, length, len(letters))
    if name is None or window.count("N") > length // 10:
        return None
    return name, window


def windows(records, count, rng):
    chosen = []
    for header, letters in records:
        if len(chosen) == count:
            break
        picked = window_of(header, letters, rng.randint(200, 500), rng)
        if picked is not None:
            chosen.append(list(picked))
    return chosen


def draw_site(columns, rng):
    site = "".join(rng.choices("ACGT", weights=col)[0] for col in columns)
    return site if rng.random() < 0.5 else site[::-1].translate(COMPLEMENT)


def make(upstream, matrices, prefix, count, seed, plants):
    rng = random.Random(seed)
    records = list(read_fasta(upstream))
    rng.shuffle(records)
    primary = windows(records, count, rng)
    control = windows(records[len(primary) * 2:], count, rng)
    motifs = read_jaspar(matrices)
    planted = []
    for spec in plants:
        motif_id, fraction = spec.split(":")
        columns = motifs[motif_id]
        for w in primary:
            if rng.random() >= float(fraction):
                continue
            site = draw_site(columns, rng)
            at = rng.randint(0, len(w[1]) - len(site))
            w[1] = w[1][:at] + site + w[1][at + len(site):]
            planted.append((w[0], at + 1, len(site), motif_id))
    for path, items in ((prefix + ".fa", primary), (prefix + ".control.fa", control)):
        with open(path, "w") as f:
            for name, letters in items:
                f.write(">%s\n%s\n" % (name, letters))
    with open(prefix + ".planted", "w") as f:
        for row in planted:
            f.write("%s\t%d\t%d\t%s\n" % row)


def is_simple_repeat(consensus):
    width = len(consensus)
    for period in (1, 2, 3):
        if width < 2 * period + 2:
            continue
        misses = width // 7
        explained = sum(max(consensus[phase::period].count(b) for b in "ACGT") for phase in range(period))
        if explained + misses >= width:
            return True
    return False


def read_table(path):
    lines = open(path).read().splitlines()
    header = lines[0].split("\t")
    return [dict(zip(header, line.split("\t"))) for line in lines[1:] if line]


def overlaps(a_start, a_end, b_start, b_end, least):
    return min(a_end, b_end) - max(a_start, b_start) + 1 >= least


def score(result, planted_path):
    summary = read_table(result + "/summary.tsv")
    sites = {}
    for s in read_table(result + "/sites.tsv"):
        sites.setdefault(s["motif_id"], []).append((s["sequence"], int(s["start"]), int(s["end"])))
    by_window = {}
    for motif_id, found in sites.items():
        for window, start, end in found:
            by_window.setdefault((motif_id, window), []).append((start, end))
    planted = {}
    for line in open(planted_path):
        window, start, width, motif_id = line.split("\t")
        planted.setdefault(motif_id.strip(), []).append((window, int(start), int(start) + int(width) - 1))
    ranks = []
    for motif_id in sorted(planted):
        rank = "-"
        for row in summary:
            hit = sum(any(overlaps(s, e, ps, pe, (pe - ps + 1) // 2) for s, e in by_window.get((row["id"], w), []))
                      for w, ps, pe in planted[motif_id])
            if 3 * hit >= len(planted[motif_id]):
                rank = row["rank"]
                break
        ranks.append(rank)
    significant = [r for r in summary if float(r["log10_E"]) < math.log10(0.05)]
    repeats = sum(is_simple_repeat(r["consensus"]) for r in significant)
    duplicates = 0
    better = {}  # window: sites of the motifs ranked before the current one
    for k, row in enumerate(summary[:10]):
        own = sites.get(row["id"], [])
        inside = sum(any(overlaps(start, end, s, e, (end - start + 1) // 2) for s, e in better.get(window, []))
                     for window, start, end in own)
        if k > 0 and own and inside * 2 > len(own):
            duplicates += 1
        for window, start, end in own:
            better.setdefault(window, []).append((start, end))
    print("\t".join([",".join(ranks) if ranks else "-", str(len(significant)), str(repeats), str(duplicates)]))


def main(argv):
    if len(argv) >= 6 and argv[0] == "make":
        make(argv[1], argv[2], argv[3], int(argv[4]), int(argv[5]), argv[6:])
    elif len(argv) == 3 and argv[0] == "score":
        score(argv[1], argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
