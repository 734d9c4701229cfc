"""What the tests of the Python module share: the programs of the build tree
they are compared with, the source tree's data, and output directories
compared as the discovery tests compare them (dates, times, thread counts and
command lines masked).

The build tree is ZELKOVA_BUILD_DIR (ctest sets it, with PYTHONPATH pointing
at its python/ folder)."""

import filecmp
import os
import re
import subprocess
from pathlib import Path

import pytest

BUILD = Path(os.environ.get("ZELKOVA_BUILD_DIR", Path(__file__).resolve().parents[2] / "build"))
SOURCE = Path(__file__).resolve().parents[2]
CRP = SOURCE / "examples" / "crp0.fa"
VERTEBRATES = SOURCE / "data" / "jaspar" / "jaspar_vertebrates.pfm"


def run_program(program, *args, cwd=None):
    """A program of the build tree: (status, standard output, standard error)."""
    done = subprocess.run([str(BUILD / program), *map(str, args)], capture_output=True, text=True, cwd=cwd)
    return done.returncode, done.stdout, done.stderr


def program_output(program, *args):
    status, out, err = run_program(program, *args)
    assert status == 0, f"{program} failed: {err}"
    return out


def program_error(program, *args):
    """The message a program prints when it refuses its input, without the
    line naming --help."""
    status, out, err = run_program(program, *args)
    assert status == 1, f"{program} {args}: status {status}"
    return "\n".join(line for line in err.splitlines() if not line.startswith("Run zelkova"))


MASKS = {
    "log.txt": [(r"(?m)^started: .*", "started:"), (r"(?m)\([0-9.]* s\)$", "()"), (r"(?m)^total: .*", "total:"),
                (r"(?m)^threads: .*", "threads:"), (r"(?m)^command line: .*", "command line:")],
    "index.html": [(r"<tr><th>Started</th><td>[^<]*</td></tr>", ""), (r"<tr><th>Time</th><td>.*</td></tr>", ""),
                   (r'<td class="num seconds">[^<]*</td>', ""), (r"<tr><th>Command line</th>.*</tr>", "")],
}
RUN_MASKS = {".out": [(r"(?m)^Current local time and date: .*", "")],
             ".html": [(r"<tr><th>Run started</th><td>[^<]*</td></tr>", "")]}


def masked(path):
    text = path.read_text()
    masks = MASKS.get(path.name, []) if path.parent.name != "runs" else RUN_MASKS.get(path.suffix, [])
    for pattern, replacement in masks:
        text = re.sub(pattern, replacement, text)
    return text


def assert_same_directories(a, b):
    """The two result directories hold the same files with the same
    contents, once masked."""
    names_a = sorted(p.relative_to(a).as_posix() for p in a.rglob("*") if p.is_file())
    names_b = sorted(p.relative_to(b).as_posix() for p in b.rglob("*") if p.is_file())
    assert names_a == names_b
    for name in names_a:
        assert masked(a / name) == masked(b / name), f"{name} differs"


@pytest.fixture(scope="session")
def crp_cli(tmp_path_factory):
    """zelkova-discover on the bundled example, as a user runs it."""
    out = tmp_path_factory.mktemp("cli") / "crp"
    program_output("zelkova-discover", CRP, "-o", out, "-p", 2)
    return out


@pytest.fixture(scope="session")
def generated(tmp_path_factory):
    """A generated set: 40 sequences of 150 letters, CTCF planted in 80 %."""
    folder = tmp_path_factory.mktemp("generated")
    fasta = folder / "planted.fa"
    fasta.write_text(program_output("zelkova-gen-planted", 40, 150, 3, VERTEBRATES, "MA0139.1", 0.8,
                                    folder / "planted.tsv"))
    return fasta


def read_pairs(path):
    """(name, sequence) pairs of a FASTA file."""
    pairs = []
    for block in path.read_text().split(">")[1:]:
        name, _, letters = block.partition("\n")
        pairs.append((name, letters.replace("\n", "")))
    return pairs


def same_file(a, b):
    return filecmp.cmp(a, b, shallow=False)
