#!/usr/bin/env python3
"""Planted-motif sets for bench/planted.sh, and the scores of what
zelkova-discover and its single searches report on them.

  planted.py make OUT_PREFIX BACKGROUND SEQUENCES LENGTH SEED MOTIF OCCUPANCY [UPSTREAM.fa.gz]
      OUT_PREFIX.fa     SEQUENCES sequences of LENGTH letters; BACKGROUND is
                        iid (every letter A, C, G, T evenly), markov (each
                        sequence at its own GC content, 35 to 60 %, a G after a
                        C four times rarer, as in bench/genome_maker.h) or real
                        (windows of distinct fly upstream regions of
                        UPSTREAM.fa.gz, named chrom:start-end(+|-) as
                        bedtools getfasta -s names them; LENGTH at most 2000)
      OUT_PREFIX.sites  one line per planted site: sequence, 1-based start,
                        width, strand, motif
      MOTIF is a JASPAR identifier of data/jaspar/ (ID), ID+F for the matrix
      inside F columns of even letters on each side (the site recorded is the
      matrix's own letters), or none. A random share OCCUPANCY of the sequences
      (rounded) gets one site each, its letters drawn from the matrix's columns
      (counts + 0.25), on a random strand at a random place.

  planted.py score RESULT_DIR SITES
      one tab-separated line on the run of zelkova-discover in RESULT_DIR
      (columns: see RUN_COLUMNS)

  planted.py search ENRICHMENT.tsv ENRICHMENT_SITES.tsv SITES
      one tab-separated line on the motifs of one search as zelkova-enrich
      tested them (its table and --sites) (columns: see SEARCH_COLUMNS)

  planted.py repair REPORT OUT
      REPORT with each count matrix written again from its site lines, the
      counts apart (a count of 10000 or more fills its 4-letter field, and
      runs into the next one, which zelkova-enrich then refuses)

  planted.py markdown TABLE.tsv
      the table of bench/planted.sh's runs as a markdown table

  planted.py plans SEARCHES.tsv
      for candidate plans (subsets of the searches), per set: is the best
      motif of the plan's searches the planted one, and at what cost
      (a markdown table)

Rules. A reported site recovers a planted site when it covers at least half
of its letters (width // 2), on either strand. A motif is right when its
sites recover at least 30 % of the planted sites. A motif is a duplicate
when most of its sites lie inside (cover half their own letters of) sites
of better-ranked motifs. A consensus is of low complexity (the independent
check) when a word of 1 to 3 letters repeated along it matches at least 75 %
of its letters.
"""
import math
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from real_background import COMPLEMENT, read_fasta, read_table, is_simple_repeat, window_of  # noqa: E402

RIGHT_SHARE = 0.3
REPEAT_SHARE = 0.75


# ---------------------------------------------------------------- matrices

def read_matrices(directory):
    """{id: columns of frequencies (counts + 0.25)} of every JASPAR file of
    data/jaspar/, plain four-row or bracketed."""
    rows_of = {}
    for name in sorted(os.listdir(directory)):
        if not (name.endswith(".pfm") or name.endswith(".jaspar")):
            continue
        current = None
        for line in open(os.path.join(directory, name)):
            line = line.strip()
            if line.startswith(">"):
                current = line[1:].split()[0]
                rows_of[current] = []
            elif line and current:
                fields = line.replace("[", " ").replace("]", " ").split()
                if fields[0] in "ACGT":
                    fields = fields[1:]
                rows_of[current].append([float(x) for x in fields])
    matrices = {}
    for motif_id, rows in rows_of.items():
        columns = []
        for k in range(len(rows[0])):
            counts = [rows[b][k] + 0.25 for b in range(4)]
            total = sum(counts)
            columns.append([c / total for c in counts])
        matrices[motif_id] = columns
    return matrices


def motif_of(spec, directory):
    """(columns, first informative column, informative width) of a MOTIF spec."""
    motif_id, _, flank = spec.partition("+")
    core = read_matrices(directory)[motif_id]
    f = int(flank) if flank else 0
    even = [[0.25] * 4 for _ in range(f)]
    return even + core + even, f, len(core)


# ---------------------------------------------------------------- sequences

def iid_sequence(length, rng):
    return "".join(rng.choices("ACGT", k=length))


def markov_sequence(length, rng):
    gc = rng.uniform(0.35, 0.60)
    after_c = [(1 - gc) / 2, gc / 2, gc / 8, (1 - gc) / 2]
    otherwise = [(1 - gc) / 2, gc / 2, gc / 2, (1 - gc) / 2]
    letters, previous = [], "A"
    for _ in range(length):
        previous = rng.choices("ACGT", weights=after_c if previous == "C" else otherwise)[0]
        letters.append(previous)
    return "".join(letters)


def real_windows(upstream, count, length, rng):
    records = list(read_fasta(upstream))
    rng.shuffle(records)
    chosen = []
    for header, letters in records:
        if len(chosen) == count:
            break
        picked = window_of(header, letters, length, rng)
        if picked is not None:
            chosen.append(picked)
    if len(chosen) < count:
        sys.exit("only %d upstream regions hold %d letters" % (len(chosen), length))
    return chosen


def make(prefix, background, count, length, seed, spec, occupancy, upstream=None):
    rng = random.Random(seed)
    if background == "real":
        records = real_windows(upstream, count, length, rng)
    elif background in ("iid", "markov"):
        draw = iid_sequence if background == "iid" else markov_sequence
        records = [("seq%d" % (i + 1), draw(length, rng)) for i in range(count)]
    else:
        sys.exit("unknown background " + background)
    planted = []
    if spec != "none":
        columns, first, width = motif_of(spec, os.path.join(os.path.dirname(__file__), "..", "data", "jaspar"))
        chosen = set(rng.sample(range(count), round(occupancy * count)))
        for i, (name, letters) in enumerate(records):
            if i not in chosen:
                continue
            site = "".join(rng.choices("ACGT", weights=col)[0] for col in columns)
            forward = rng.random() < 0.5
            at = rng.randint(0, length - len(site))
            written = site if forward else site[::-1].translate(COMPLEMENT)
            records[i] = (name, letters[:at] + written + letters[at + len(site):])
            # the informative letters' place on the forward strand
            core = at + (first if forward else len(site) - first - width)
            planted.append((name, core + 1, width, "+" if forward else "-", spec.partition("+")[0]))
    with open(prefix + ".fa", "w") as f:
        for name, letters in records:
            f.write(">%s\n" % name)
            for k in range(0, len(letters), 60):
                f.write(letters[k:k + 60] + "\n")
    with open(prefix + ".sites", "w") as f:
        for row in planted:
            f.write("%s\t%d\t%d\t%s\t%s\n" % row)


# ---------------------------------------------------------------- scoring

def read_planted(path):
    planted = {}
    for line in open(path):
        name, start, width, _strand, _motif = line.rstrip("\n").split("\t")
        planted.setdefault(name, []).append((int(start), int(start) + int(width) - 1))
    return planted


def covers(start, end, ps, pe, least):
    return min(end, pe) - max(start, ps) + 1 >= least


def recovery(sites, planted):
    """(share of the planted sites recovered, share of the sites on a planted
    one) for sites [(sequence, start, end)]."""
    total = sum(len(v) for v in planted.values())
    by_sequence = {}
    for name, start, end in sites:
        by_sequence.setdefault(name, []).append((start, end))
    hit = sum(any(covers(s, e, ps, pe, (pe - ps + 1) // 2) for s, e in by_sequence.get(name, []))
              for name, spans in planted.items() for ps, pe in spans)
    on = sum(any(covers(start, end, ps, pe, (pe - ps + 1) // 2) for ps, pe in planted.get(name, []))
             for name, start, end in sites)
    return (hit / total if total else 0.0), (on / len(sites) if sites else 0.0)


def low_complexity(consensus):
    """A word of 1 to 3 letters, repeated, matches most of the consensus."""
    width = len(consensus)
    for period in (1, 2, 3):
        explained = sum(max(consensus[phase::period].count(b) for b in "ACGT") for phase in range(period))
        if explained >= REPEAT_SHARE * width:
            return True
    return False


def duplicates(order, sites_of):
    """The motifs of `order` most of whose sites lie inside sites of the ones before."""
    found, better = set(), {}
    for k, motif in enumerate(order):
        own = sites_of.get(motif, [])
        inside = sum(any(covers(s, e, bs, be, (e - s + 1) // 2) for bs, be in better.get(name, []))
                     for name, s, e in own)
        if k > 0 and own and 2 * inside > len(own):
            found.add(motif)
        for name, s, e in own:
            better.setdefault(name, []).append((s, e))
    return found


RUN_COLUMNS = ["right_rank", "rank1_right", "lc_above", "lc_above_check", "dup_above", "rank1_consensus",
               "rank1_search", "rank1_log10_E", "rank1_beats_decoy", "right_width", "right_recall",
               "right_precision", "significant"]


def score(result, planted_path):
    summary = read_table(result + "/summary.tsv")
    sites_of = {}
    for s in read_table(result + "/sites.tsv"):
        sites_of.setdefault(s["motif_id"], []).append((s["sequence"], int(s["start"]), int(s["end"])))
    planted = read_planted(planted_path)
    right = None
    for k, row in enumerate(summary):
        recall, precision = recovery(sites_of.get(row["id"], []), planted)
        if planted and recall >= RIGHT_SHARE:
            right = (k, recall, precision)
            break
    above = summary[:right[0]] if right else summary
    dups = duplicates([r["id"] for r in summary], sites_of)
    top = summary[0] if summary else None
    values = {
        "right_rank": str(right[0] + 1) if right else ("NA" if not planted else "-"),
        "rank1_right": ("yes" if right and right[0] == 0 else "no") if planted else "NA",
        "lc_above": str(sum(r["low_complexity"] == "yes" for r in above)),
        "lc_above_check": str(sum(low_complexity(r["consensus"]) or is_simple_repeat(r["consensus"]) for r in above)),
        "dup_above": str(sum(r["id"] in dups for r in above)),
        "rank1_consensus": top["consensus"] if top else "NA",
        "rank1_search": "l%s_m%s" % (top["length"], top["mismatches"]) if top else "NA",
        "rank1_log10_E": top["log10_E"] if top else "NA",
        "rank1_beats_decoy": top["beats_decoy"] if top else "NA",
        "right_width": summary[right[0]]["length"] if right else "NA",
        "right_recall": "%.2f" % right[1] if right else "NA",
        "right_precision": "%.2f" % right[2] if right else "NA",
        "significant": str(sum(float(r["log10_E"]) < math.log10(0.05) for r in summary)),
    }
    print("\t".join(values[c] for c in RUN_COLUMNS))


SEARCH_COLUMNS = ["right_rank_E", "right_rank_engine", "best_right", "best_log10_p_adj", "right_log10_p_adj",
                  "right_recall"]


def score_search(enrichment_path, sites_path, planted_path):
    """The search's motifs ranked by p' (simple repeats by the program's rule
    left out, as zelkova-discover sets them apart): the rank of the first
    right motif by p' and in the engine's own order, whether the best is right,
    the best p' and the right motif's."""
    table = [r for r in read_table(enrichment_path) if not is_simple_repeat(r["consensus"])]
    sites_of = {}
    for s in read_table(sites_path):
        if s["set"] == "primary":
            width = len(s["word"])
            sites_of.setdefault(s["motif"], []).append((s["sequence"], int(s["position"]),
                                                        int(s["position"]) + width - 1))
    planted = read_planted(planted_path)
    right = {}
    for r in table:
        recall, _ = recovery(sites_of.get(r["id"], []), planted)
        if planted and recall >= RIGHT_SHARE:
            right[r["id"]] = recall
    by_p = sorted(table, key=lambda r: (float(r["log10_p_adj"]), int(r["rank"])))
    rank_e = next((k + 1 for k, r in enumerate(by_p) if r["id"] in right), None)
    rank_engine = next((k + 1 for k, r in enumerate(table) if r["id"] in right), None)
    first_right = by_p[rank_e - 1] if rank_e else None
    values = {
        "right_rank_E": str(rank_e) if rank_e else ("NA" if not planted else "-"),
        "right_rank_engine": str(rank_engine) if rank_engine else ("NA" if not planted else "-"),
        "best_right": ("yes" if rank_e == 1 else "no") if planted else "NA",
        "best_log10_p_adj": by_p[0]["log10_p_adj"] if by_p else "NA",
        "right_log10_p_adj": first_right["log10_p_adj"] if first_right else "NA",
        "right_recall": "%.2f" % right[first_right["id"]] if first_right else "NA",
    }
    print("\t".join(values[c] for c in SEARCH_COLUMNS))


def repair(report, out):
    lines = open(report).read().split("\n")
    k = 0
    while k < len(lines):
        if not lines[k].startswith("Position Count Matrix"):
            k += 1
            continue
        j, words = k + 6, []
        while j < len(lines) and lines[j].startswith(">"):
            words.append(lines[j].split("\t")[1])
            j += 1
        if words:
            for row, base in zip(range(k + 2, k + 6), "ACGT"):
                counts = [sum(w[p] == base for w in words) for p in range(len(words[0]))]
                lines[row] = base + "\t" + " ".join("%4d" % c for c in counts)
        k = j
    with open(out, "w") as f:
        f.write("\n".join(lines))


# ---------------------------------------------------------------- plans

def search_name(length, allowance):
    return "l%d_m%d" % (length, allowance)


def candidate_plans():
    """(name, [(length, allowance)]) of plans worth comparing."""
    lengths = [8, 10, 12, 14, 16]
    plans = [
        ("today: 8-16, L/4 and L/2", [(n, a) for n in lengths for a in (n // 4, n // 2)]),
        ("8-16, L/4 only", [(n, n // 4) for n in lengths]),
        ("8-16, L/2 only", [(n, n // 2) for n in lengths]),
        ("8-16, L/4; L/2 at 8, 10", [(n, n // 4) for n in lengths] + [(8, 4), (10, 5)]),
        ("8-16, L/4; L/2 at 8", [(n, n // 4) for n in lengths] + [(8, 4)]),
        ("8-16, L/4; L/2 at 10", [(n, n // 4) for n in lengths] + [(10, 5)]),
        ("8-16, L/3 (L/4 at 8)", [(n, max(n // 4, n // 3)) for n in lengths]),
        ("8-16, L/4 and L/3", [(n, n // 4) for n in lengths] + [(n, n // 3) for n in lengths if n // 3 != n // 4]),
        ("8-16, L/4; L/3 at 10, 12", [(n, n // 4) for n in lengths] + [(10, 3), (12, 4)]),
        ("8, 10, 12, L/4", [(n, n // 4) for n in (8, 10, 12)]),
        ("8, 12, 16, L/4", [(n, n // 4) for n in (8, 12, 16)]),
    ]
    return plans


def number(text, missing=math.inf):
    try:
        return float(text)
    except ValueError:
        return missing


def is_found(row, within):
    return row["right_rank_E"] not in ("-", "NA") and int(row["right_rank_E"]) <= within


def plans(path):
    """Three tables: each search on each set, each search over the sets, and
    candidate plans. A search zelkova-discover skipped for its cost is absent
    from its set and from every plan on it (the budget would skip it again)."""
    rows = read_table(path)
    by_set, searches = {}, []
    for r in rows:
        by_set.setdefault(r["set"], {})[r["search"]] = r
        if r["search"] not in searches:
            searches.append(r["search"])
    searches.sort(key=lambda n: (int(n[1:].split("_m")[0]), int(n.split("_m")[1])))
    planted_sets = [s for s, found in by_set.items() if next(iter(found.values()))["best_right"] != "NA"]
    null_sets = [s for s in by_set if s not in planted_sets]

    print("Each search on each set: the rank by p' of the first of its motifs that recovers 30 % of the planted")
    print("sites (`-`: none of its 10; on sets with nothing planted, its best log10 p'), and its processor time")
    print("in seconds (the search alone, one thread). Blank: skipped for its cost by zelkova-discover.")
    print()
    print("| set | " + " | ".join(searches) + " |")
    print("|---|" + "---|" * len(searches))
    for s in planted_sets + null_sets:
        cells = []
        for n in searches:
            r = by_set[s].get(n)
            if r is None:
                cells.append("")
                continue
            what = r["right_rank_E"] if s in planted_sets else r["best_log10_p_adj"]
            cells.append("%s · %.1f" % ("**1**" if what == "1" else what, float(r["cpu_s"])))
        print("| %s | %s |" % (s, " | ".join(cells)))
    print()
    print("Each search over the %d planted sets: on how many its best motif is the planted one, on how many the"
          % len(planted_sets))
    print("planted one is in its top 3, its processor time over all %d sets, and the best log10 p' it reached on"
          % len(by_set))
    print("the sets with nothing planted (%s)." % ", ".join(null_sets))
    print()
    print("| search | best is planted | planted in top 3 | CPU, all sets | chance best log10 p' |")
    print("|---|---|---|---|---|")
    for n in searches:
        ran = [by_set[s][n] for s in by_set if n in by_set[s]]
        planted_ran = [by_set[s][n] for s in planted_sets if n in by_set[s]]
        chance = ["%.1f" % number(by_set[s][n]["best_log10_p_adj"]) for s in null_sets if n in by_set[s]]
        print("| %s | %d of %d | %d | %.1f s | %s |" % (
            n, sum(r["best_right"] == "yes" for r in planted_ran), len(planted_ran),
            sum(is_found(r, 3) for r in planted_ran), sum(float(r["cpu_s"]) for r in ran), ", ".join(chance)))
    print()
    print("Candidate plans: on how many planted sets the best motif (smallest p') of the plan's searches is the")
    print("planted one (rank 1 right, before merging and conditional tests), on how many some search of the plan")
    print("has it in its top 3, the plan's processor time over all sets and on the costliest set, and the best")
    print("log10 p' chance reached with it on each set with nothing planted (what a decoy of that plan would see).")
    print()
    print("| plan | searches | rank 1 right | planted in a top 3 | CPU, all sets | CPU, costliest set | chance best "
          "log10 p' (%s) |" % ", ".join(null_sets))
    print("|---|---|---|---|---|---|---|")
    for name, plan in candidate_plans():
        names = [search_name(n, a) for n, a in plan]
        right = found = 0
        costs = []
        for s in by_set:
            chosen = [by_set[s][n] for n in names if n in by_set[s]]
            costs.append(sum(float(r["cpu_s"]) for r in chosen))
            if s in planted_sets and chosen:
                best = min(chosen, key=lambda r: number(r["best_log10_p_adj"]))
                right += best["best_right"] == "yes"
                found += any(is_found(r, 3) for r in chosen)
        chance = []
        for s in null_sets:
            values = [number(by_set[s][n]["best_log10_p_adj"]) for n in names if n in by_set[s]]
            chance.append("%.1f" % min(values) if values else "NA")
        print("| %s | %d | %d of %d | %d | %.0f s | %.1f s | %s |" % (
            name, len(plan), right, len(planted_sets), found, sum(costs), max(costs), ", ".join(chance)))


MARKDOWN_COLUMNS = [("set", "set"), ("sequences", "sequences"), ("letters", "letters"), ("motif", "motif"),
                    ("occupancy", "occupancy"), ("right_rank", "rank of planted"), ("lc_above", "low-compl. above"),
                    ("lc_above_check", "(check)"), ("dup_above", "duplicates above"),
                    ("rank1_consensus", "rank 1"), ("rank1_search", "found by"), ("rank1_log10_E", "log10 E"),
                    ("right_width", "planted: width"), ("right_recall", "recall"),
                    ("right_precision", "precision"), ("cpu_s", "CPU s"), ("wall_s", "wall s"),
                    ("peak_MB", "peak MB")]


def markdown(path):
    rows = read_table(path)
    print("| " + " | ".join(title for _, title in MARKDOWN_COLUMNS) + " |")
    print("|" + "---|" * len(MARKDOWN_COLUMNS))
    for r in rows:
        cells = [("`%s`" % r[c] if c == "rank1_consensus" else r[c]) for c, _ in MARKDOWN_COLUMNS]
        print("| " + " | ".join(cells) + " |")
    planted = [r for r in rows if r["rank1_right"] != "NA"]
    if planted:
        print()
        print("Rank 1 right: %d of %d planted sets; planted motif in the top 10: %d; low-complexity motifs above "
              "it: %d sets; duplicates above it: %d sets; processor time, all sets: %.0f s." % (
                  sum(r["rank1_right"] == "yes" for r in planted), len(planted),
                  sum(r["right_rank"] not in ("-", "NA") for r in planted),
                  sum(int(r["lc_above"]) + int(r["lc_above_check"]) > 0 for r in planted),
                  sum(int(r["dup_above"]) > 0 for r in planted), sum(float(r["cpu_s"]) for r in rows)))


def main(argv):
    if len(argv) in (8, 9) and argv[0] == "make":
        make(argv[1], argv[2], int(argv[3]), int(argv[4]), int(argv[5]), argv[6], float(argv[7]),
             argv[8] if len(argv) == 9 else None)
    elif len(argv) == 3 and argv[0] == "score":
        score(argv[1], argv[2])
    elif len(argv) == 4 and argv[0] == "search":
        score_search(argv[1], argv[2], argv[3])
    elif len(argv) == 3 and argv[0] == "repair":
        repair(argv[1], argv[2])
    elif len(argv) == 2 and argv[0] == "markdown":
        markdown(argv[1])
    elif len(argv) == 2 and argv[0] == "plans":
        plans(argv[1])
    elif len(argv) == 2 and argv[0] == "columns":
        print("\t".join(RUN_COLUMNS if argv[1] == "run" else SEARCH_COLUMNS))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
