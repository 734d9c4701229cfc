#!/usr/bin/env python3
"""Writes the parts of README.md and docs/ that come from runs of the programs.

Every number, table, output and picture of the documentation that a run
produces sits between two marker lines,

    <!-- generated: NAME -->
    ...
    <!-- end: NAME -->

and this script makes them again with the programs of a build: the bundled
CRP example as the README describes it (and again with --lengths 12,16, the
second sample of the bundled workflow), the two gathered by
zelkova-aggregate, the programs one by one as docs/zelkova.md runs them, the
library example, and the Python walkthrough of docs/python.md, cell by cell
in one session. With --check it writes nothing and fails, naming each region
that differs, when the committed text is not what the build produces now
(the test docs.current); without, it rewrites those regions.

Step times and dates change from run to run: they are compared masked, and a
region whose only change is a time keeps its committed text. A picture is
compared by what it was made from, as PNG files made by a browser differ in
their bytes from one version of it to the next: its region opens with a
comment holding the SHA-256 of the page it shows (its HTML, dates and times
masked) and of the PNG file. The check fails when the page has changed since
or the PNG file is not the one recorded; rewriting a picture takes headless
Chromium.

usage: scripts/update-docs.py [--check] [BUILD_DIR]   (BUILD_DIR: build by default)
"""
import argparse
import csv
import difflib
import hashlib
import io
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
from dataclasses import dataclass
from pathlib import Path

TOP = Path(__file__).resolve().parent.parent
REGION = re.compile(r"^<!-- generated: (\S+) -->\n(.*?)^<!-- end: \1 -->\n", re.M | re.S)
PYTHON_CELL = re.compile(r"^```python\n(.*?)^```\n", re.M | re.S)
PICTURE_SIGNATURE = re.compile(r"<!-- page sha256 ([0-9a-f]{64}), picture sha256 ([0-9a-f]{64}) -->\n")
# 2026-12-10 14:05:17, and Thu Dec 10 14:05:17 2026 as the reports write it.
DATE_TIME = re.compile(r"(\d{4}-\d\d-\d\d[ T]|[A-Z][a-z]{2} [A-Z][a-z]{2} [ \d]\d )\d\d:\d\d:\d\d( \d{4})?")
DURATION = re.compile(r"\d+\.\d+ s\b")
SECONDS_CELL = re.compile(r'(<td class="num seconds">)\d+\.\d+')


class Stale(Exception):
    """A result the prose around a region no longer fits: a person must rewrite it."""


def masked(text):
    """text with its dates, times of day and durations, which every run changes, masked."""
    text = DATE_TIME.sub("####-##-## ##:##:##", text)
    return SECONDS_CELL.sub(r"\1#.#", DURATION.sub("#.# s", text))


def sha256(data):
    return hashlib.sha256(data.encode() if isinstance(data, str) else data).hexdigest()


# ---- the runs --------------------------------------------------------------


def run(command, cwd, stdin=None, env=None):
    """Runs a program; returns what it printed on standard output and error."""
    done = subprocess.run([str(word) for word in command], cwd=cwd, input=stdin, env=env,
                          capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"update-docs: {' '.join(map(str, command))} failed ({done.returncode}):\n{done.stderr}")
    return done.stdout, done.stderr


def read_tsv(text):
    return list(csv.DictReader(io.StringIO(text), delimiter="\t"))


@dataclass
class Runs:
    progress: str        # what zelkova-discover prints on the example, not on a terminal
    summary: list        # its summary.tsv, a dict per line
    known: list          # its known.tsv
    page: str            # its index.html
    samples: str         # zelkova-aggregate --summary of the two samples, top 1
    library_example: str  # what build/library_example prints on the example
    python: list         # the output of each group of cells of docs/python.md
    work: Path           # the folder of the runs, which holds the pages the pictures show


def discovery_runs(programs, work):
    """The CRP example as README.md and the page check run it, and the bundled
    workflow's two samples gathered by zelkova-aggregate."""
    shutil.copy(TOP / "examples/crp0.fa", work)
    _, progress = run(["zelkova-discover", "crp0.fa", "-o", "crp"], work, env=programs)
    run(["zelkova-discover", "crp0.fa", "-o", "crp_long", "--lengths", "12,16"], work, env=programs)
    samples, _ = run(["zelkova-aggregate", "--name", "crp0", "--name", "crp0_long", "--top", "1",
                      "--summary", "-", "--html", "samples.html", "crp", "crp_long"], work, env=programs)
    return progress, samples


# docs/zelkova.md's example up to the page of the report.
ONE_BY_ONE = (["zelkova-markov", "-o", "fg.txt", "crp0.fa"],
              ["zelkova-markov", "-m", "3", "-o", "bg.txt", "crp0.fa"],
              ["zelkova", "-f", "crp0.fa", "-l", "16", "-b", "bg.txt", "-z", "fg.txt"],
              ["zelkova-export", "--format", "html", "-o", "crp0.html", "crp0.out"])


def programs_one_by_one(programs, work):
    """The report page of the programs run one by one."""
    shutil.copy(TOP / "examples/crp0.fa", work)
    for command in ONE_BY_ONE:
        run(command, work, env=programs)


def python_cells(markdown):
    """The cells of the walkthrough, grouped by the output region that follows them."""
    groups, start = [], 0
    for region in REGION.finditer(markdown):
        if region.group(1) == "python-output":
            groups.append(PYTHON_CELL.findall(markdown, start, region.start()))
            start = region.end()
    return groups


def python_walkthrough(build, work, groups):
    """The output of each group of cells, run from a folder that holds the
    repository's examples, as from the top of a clone."""
    os.symlink(TOP / "examples", work / "examples")
    env = dict(os.environ, PYTHONPATH=str(build / "python"), PYTHONDONTWRITEBYTECODE="1")
    cells = ["".join(group) for group in groups]
    printed, _ = run([sys.executable, TOP / "scripts/run-python-cells.py"], work, json.dumps(cells), env)
    return json.loads(printed)


def all_runs(build, work):
    """Every run the regions are made from, in folders of work. The programs
    are found on the PATH, as a user runs them and the pages show them."""
    programs = dict(os.environ, PATH=f"{build}{os.pathsep}{os.environ.get('PATH', '')}")
    for folder in ("discover", "programs", "python"):
        (work / folder).mkdir()
    progress, samples = discovery_runs(programs, work / "discover")
    programs_one_by_one(programs, work / "programs")
    library, _ = run([build / "library_example", TOP / "examples/crp0.fa"], work)
    groups = python_cells((TOP / "docs/python.md").read_text())
    crp = work / "discover/crp"
    return Runs(progress=progress, summary=read_tsv((crp / "summary.tsv").read_text()),
                known=read_tsv((crp / "known.tsv").read_text()), page=(crp / "index.html").read_text(),
                samples=samples, library_example=library,
                python=python_walkthrough(build, work / "python", groups), work=work)


# ---- the regions' text -------------------------------------------------------


def fenced(text, language=""):
    """text as a code block, without the blanks at its lines' ends that tables are padded with."""
    lines = "".join(line.rstrip() + "\n" for line in text.rstrip().splitlines())
    return f"```{language}\n{lines}```\n"


def aligned(rows):
    """Rows of fields in columns two spaces apart, as the docs show tables."""
    widths = [max(len(row[i]) for row in rows) for i in range(len(rows[0]))]
    return "".join("  ".join(field.ljust(width) for field, width in zip(row, widths)).rstrip() + "\n"
                   for row in rows)


VERDICT = re.compile(r'<p class="verdict">The best motif \(E = ([^)]+)\) beats the decoy: shuffled DNA '
                     r'searched the same way reaches E = (\S+) at best')


def crp_demo(runs):
    """README's sentences on what the demo finds."""
    verdict = VERDICT.search(runs.page)
    if not verdict:
        raise Stale("the best motif of the CRP example no longer beats the decoy, as README.md says it does")
    best = runs.summary[0]
    primary = f"all {best['primary_total']}" if best["primary_hits"] == best["primary_total"] \
        else f"{best['primary_hits']} of the {best['primary_total']}"
    return (f"The best motif, `{best['consensus']}`, is the CRP site: it is found in\n"
            f"{primary} promoters and in {best['control_hits']} of {best['control_total']} shuffled copies "
            f"(E = {verdict.group(1)}),\nwell beyond what shuffled DNA searched the same way reaches (the "
            f"decoy,\nE = {verdict.group(2)}).\n")


def crp_known_match(runs):
    """README's sentence on the known motif the CRP site resembles."""
    best = runs.summary[0]
    if best["best_match_id"] != "NA":
        raise Stale("the CRP site now has a convincing match in the bundled collection; "
                    "README.md says it has none")
    name = next(motif["name"] for motif in runs.known if motif["id"] == best["weak_match_id"])
    return ("(The bundled collection of known motifs holds no bacterial matrices, so the\n"
            "page finds no convincing match for the CRP site: the closest,\n"
            f"{best['weak_match_id']} {name}, has E = {best['weak_match_E']}. "
            "Pass a current JASPAR download with\n`--db` for a real name.)\n")


def summary_example(runs):
    """The header of summary.tsv and its first line."""
    columns = list(runs.summary[0])
    return fenced(aligned([columns, [runs.summary[0][column] for column in columns]]))


AGGREGATE_SHOWN = (["sample", "rank", "id", "length", "mismatches", "consensus", "threshold", "log10_E",
                    "beats_decoy"], ["low_complexity", "discover_version"])


def aggregate_example(runs):
    """The aggregate table of the two samples, its middle columns left out."""
    first, last = AGGREGATE_SHOWN
    rows = [first + ["..."] + last]
    rows += [[line[c] for c in first] + ["..."] + [line[c] for c in last] for line in read_tsv(runs.samples)]
    return fenced(aligned(rows))


def progress_example(runs):
    return fenced(runs.progress)


def library_example(runs):
    first = runs.library_example.splitlines()[0].replace("\t", "  ")
    return fenced(f"build/library_example examples/crp0.fa    # first line: {first}", "sh")


# A picture's region: the PNG file (from the top), the page it shows (in the
# folder of the runs) and the browser window's size, as the page checks take
# their screenshots.
PICTURES = {"discover-page": ("docs/zelkova-discover-page.png", "discover/crp/index.html", (1200, 1600)),
            "aggregate-page": ("docs/zelkova-aggregate-page.png", "discover/samples.html", (1200, 700)),
            "export-report": ("docs/zelkova-export-report.png", "programs/crp0.html", (1200, 1600))}


def picture(name, runs, old_body, check):
    """A picture's region: its signature, then the committed lines that show it.
    Unless checking, the picture is taken again when its page has changed."""
    png, page, size = PICTURES[name]
    recorded = PICTURE_SIGNATURE.match(old_body)
    shown = old_body[recorded.end():] if recorded else old_body
    page_hash = sha256(masked((runs.work / page).read_text()))
    path = TOP / png
    picture_hash = sha256(path.read_bytes()) if path.exists() else "0" * 64
    if not check and (not recorded or recorded.groups() != (page_hash, picture_hash)):
        take_screenshot(runs.work / page, size, path)
        picture_hash = sha256(path.read_bytes())
    return f"<!-- page sha256 {page_hash}, picture sha256 {picture_hash} -->\n" + shown


def take_screenshot(page, size, png):
    browser = os.environ.get("CHROMIUM") or shutil.which("chromium") or shutil.which("chromium-browser")
    if not browser:
        sys.exit("update-docs: taking the pictures needs Chromium (Debian: apt-get install chromium)")
    with tempfile.TemporaryDirectory() as profile:
        run([browser, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             f"--user-data-dir={profile}", f"--screenshot={png}", f"--window-size={size[0]},{size[1]}",
             page.as_uri()], profile)


TEXT_REGIONS = {"crp-demo": crp_demo, "crp-known-match": crp_known_match, "summary-example": summary_example,
                "aggregate-example": aggregate_example, "progress": progress_example,
                "library-example": library_example}


def regenerated(markdown, runs, check):
    """markdown with every region made again; a region whose only changes
    are times keeps its text. Returns the text and the names of the regions
    that changed."""
    outputs = iter(runs.python)
    changed = []

    def region_text(region):
        name, old = region.groups()
        if name == "python-output":
            new = fenced(next(outputs), "text")
        elif name in PICTURES:
            new = picture(name, runs, old, check)
        elif name in TEXT_REGIONS:
            new = TEXT_REGIONS[name](runs)
        else:
            sys.exit(f"update-docs: no generator for the region {name}")
        if masked(new) == masked(old):
            return region.group(0)
        changed.append((name, old, new))
        return f"<!-- generated: {name} -->\n{new}<!-- end: {name} -->\n"

    return REGION.sub(region_text, markdown), changed


# ---- the documents -------------------------------------------------------------


def documents():
    """README.md and every page of docs/ that holds a region."""
    pages = [TOP / "README.md"] + sorted((TOP / "docs").glob("*.md"))
    return [page for page in pages if REGION.search(page.read_text())]


def report(path, changed):
    for name, old, new in changed:
        print(f"{path.relative_to(TOP)}: region {name} differs from what the build gives now:")
        sys.stdout.writelines(difflib.unified_diff(old.splitlines(True), new.splitlines(True),
                                                   "committed", "generated"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--check", action="store_true", help="write nothing; fail when a region is stale")
    parser.add_argument("build", nargs="?", default=TOP / "build", type=Path)
    arguments = parser.parse_args()
    build = arguments.build.resolve()
    stale = 0
    with tempfile.TemporaryDirectory() as work:
        runs = all_runs(build, Path(work))
        for path in documents():
            try:
                text, changed = regenerated(path.read_text(), runs, arguments.check)
            except Stale as problem:
                sys.exit(f"update-docs: {path.relative_to(TOP)}: {problem}; rewrite the text around the region "
                         "and its template in scripts/update-docs.py")
            report(path, changed)
            stale += len(changed)
            if changed and not arguments.check:
                path.write_text(text)
    regions = f"{stale} generated region{'s' if stale != 1 else ''}"
    if arguments.check and stale:
        sys.exit(f"update-docs: {regions} stale: run scripts/update-docs.py {arguments.build} "
                 "(taking pictures again needs Chromium)")
    print(f"update-docs: {regions} {'stale' if arguments.check else 'rewritten'}")


if __name__ == "__main__":
    main()
