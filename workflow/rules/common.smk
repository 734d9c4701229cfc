# The settings and the sample sheet, checked before any job runs, and what the
# rules derive from them.
import csv
import math
import os
import re
import shlex

from snakemake.exceptions import WorkflowError
from snakemake.utils import validate

validate(config, schema="../schemas/config.schema.yaml")

OUTPUT = os.path.normpath(config["output"])
SHEET = config["samples"]
SHEET_COLUMNS = ("sample", "primary", "peaks", "genome", "control", "options")
# A sample names its motifs (--prefix), which take at most 100 such characters.
SAMPLE_NAME = re.compile(r"[A-Za-z0-9._-]{1,100}")
# The workflow sets these itself; in the sheet they would break its outputs.
RESERVED_OPTIONS = {
    "-o": "the output directory is results/samples/NAME",
    "--output": "the output directory is results/samples/NAME",
    "-p": "threads come from the config key threads",
    "--threads": "threads come from the config key threads",
    "--force": "Snakemake removes an old output directory itself",
    "-c": "use the control column",
    "--control": "use the control column",
    "--peaks": "use the peaks column",
    "--genome": "use the genome column",
    "--index-genome": "the workflow indexes each genome once itself",
    "--prefix": "the motifs are named after the sample",
}


def sheet_error(line, message):
    return WorkflowError(f"{SHEET}, line {line}: {message}")


def option_words(text, where):
    """The words of an options field, as a shell would split them."""
    try:
        words = shlex.split(text or "")
    except ValueError as e:
        raise WorkflowError(f"{where}: the options {text!r} cannot be split into words: {e}")
    for word in words:
        name = word.split("=", 1)[0]
        if name in RESERVED_OPTIONS:
            raise WorkflowError(f"{where}: the option {name} is not allowed here: {RESERVED_OPTIONS[name]}")
    return words


def is_comment_or_blank(row):
    return not row or row[0].startswith("#") or all(not field.strip() for field in row)


def check_header(line, header):
    unknown = [name for name in header if name not in SHEET_COLUMNS]
    if unknown:
        raise sheet_error(line, f"unknown column {unknown[0]!r}; the columns are {', '.join(SHEET_COLUMNS)}")
    if "sample" not in header:
        raise sheet_error(line, "the header line has no column 'sample'")
    if "primary" not in header and "peaks" not in header:
        raise sheet_error(line, "the header line has no column 'primary' (nor 'peaks')")
    if len(set(header)) != len(header):
        raise sheet_error(line, "a column is named twice in the header line")


def read_sample(line, header, row, known):
    if len(row) > len(header):
        raise sheet_error(line, f"{len(row)} fields, but the header names {len(header)} columns")
    fields = dict(zip(header, (field.strip() for field in row)))
    name = fields.get("sample", "")
    if not SAMPLE_NAME.fullmatch(name):
        raise sheet_error(line, f"the sample name {name!r} must be letters, digits, '.', '_' and '-' only, at most 100 of them")
    if name in known:
        raise sheet_error(line, f"the sample {name!r} is already named on line {known[name]['line']}")
    check_inputs(line, name, fields)
    sample = {
        "line": line,
        "primary": fields.get("primary", ""),
        "peaks": fields.get("peaks", ""),
        "genome": fields.get("genome", ""),
        "control": fields.get("control", ""),
        "options": option_words(fields.get("options", ""), f"{SHEET}, line {line}"),
    }
    # Snakemake itself would pass over a missing file of a new sample once
    # results/summary.tsv exists, and report nothing to do.
    for column in ("primary", "peaks", "genome", "control"):
        if sample[column] and not os.path.isfile(sample[column]):
            raise sheet_error(line, f"the {column} file {sample[column]!r} of {name!r} does not exist")
    return name, sample


def check_inputs(line, name, fields):
    """Exactly one of a primary FASTA file and peaks; peaks with their genome."""
    primary, peaks, genome = (fields.get(column, "") for column in ("primary", "peaks", "genome"))
    if primary and peaks:
        raise sheet_error(line, f"the sample {name!r} has both a primary FASTA file and peaks; give one of them")
    if not primary and not peaks:
        raise sheet_error(line, f"the sample {name!r} has neither a primary FASTA file nor peaks")
    if peaks and not genome:
        raise sheet_error(line, f"the sample {name!r} has peaks but no genome to cut their windows from")
    if genome and not peaks:
        raise sheet_error(line, f"the sample {name!r} has a genome but no peaks (a primary FASTA file needs none)")


def read_sheet(path):
    """Sample name -> its row; relative paths stay relative to the working directory."""
    try:
        with open(path, newline="") as f:
            rows = list(enumerate(csv.reader(f, delimiter="\t", quoting=csv.QUOTE_NONE), start=1))
    except OSError as e:
        raise WorkflowError(f"cannot read the sample sheet {path}: {e.strerror}")
    rows = [(line, row) for line, row in rows if not is_comment_or_blank(row)]
    if not rows:
        raise WorkflowError(f"{path}: no header line (sample, primary, control, options)")
    header_line, header = rows[0]
    header = [name.strip() for name in header]
    check_header(header_line, header)
    samples = {}
    for line, row in rows[1:]:
        name, sample = read_sample(line, header, row, samples)
        samples[name] = sample
    if not samples:
        raise WorkflowError(f"{path}: no sample below the header line")
    return samples


def configured_lengths(value):
    """The lengths of the config as numbers; --config gives them as text."""
    if value is None or value == "":
        return []
    words = value.split(",") if isinstance(value, str) else value if isinstance(value, list) else [value]
    lengths = []
    for word in words:
        text = str(word).strip()
        if not text.isdigit() or not 6 <= int(text) <= 20 or int(text) in lengths:
            raise WorkflowError(f"config key lengths: {text!r} is not a length from 6 to 20 given once")
        lengths.append(int(text))
    return lengths


def genome_keys(samples):
    """A short name for every genome of the sheet: its file name without the
    FASTA and compression endings, made unique; one genome file, one name."""
    keys = {}
    for sample in samples.values():
        path = os.path.abspath(sample["genome"]) if sample["genome"] else ""
        if not path or path in keys.values():
            continue
        base = re.sub(r"(\.gz|\.bgz)?$", "", os.path.basename(path))
        base = re.sub(r"\.(fa|fasta|fna)$", "", base)
        base = re.sub(r"[^A-Za-z0-9._-]", "_", base) or "genome"
        key, number = base, 1
        while key in keys:
            number += 1
            key = f"{base}_{number}"
        keys[key] = path
    return keys


SAMPLES = read_sheet(SHEET)
GENOMES = genome_keys(SAMPLES)
LENGTHS = configured_lengths(config["lengths"])
COMMON_OPTIONS = option_words(config["discover_options"], "config key discover_options")


wildcard_constraints:
    sample="|".join(re.escape(name) for name in SAMPLES),
    genome="|".join(re.escape(key) for key in GENOMES) or "no genome",


def program(name):
    """A program of ZELKOVA, from bin_dir or from PATH."""
    if not config["bin_dir"]:
        return name
    return os.path.join(os.path.abspath(config["bin_dir"]), name)


# ---- genome indexes ----------------------------------------------------


def genome_key(sample):
    path = os.path.abspath(sample["genome"])
    return next(key for key, genome in GENOMES.items() if genome == path)


def indexed_genome(key):
    """The genome as the discover jobs name it: a link to the user's file in
    results/genomes/KEY/, with its index beside the link, so that a genome in
    a directory the workflow cannot write to is indexed once all the same."""
    return os.path.join(OUTPUT, "genomes", key, os.path.basename(GENOMES[key]))


# ---- zelkova-discover jobs ----------------------------------------------


def discover_inputs(wildcards):
    sample = SAMPLES[wildcards.sample]
    files = {}
    if sample["primary"]:
        files["primary"] = sample["primary"]
    else:
        files["peaks"] = sample["peaks"]
        files["genome_index"] = os.path.dirname(indexed_genome(genome_key(sample)))
    if sample["control"]:
        files["control"] = sample["control"]
    if config["database"]:
        files["database"] = config["database"]
    return files


def names_lengths(words):
    return any(word in ("-l", "--lengths") or word.startswith("--lengths=") for word in words)


def discover_arguments(wildcards, input):
    """The primary sequences and the options after the output, each word
    shell-quoted; the motifs are named after the sample."""
    sample = SAMPLES[wildcards.sample]
    if sample["primary"]:
        words = [input.primary]
    else:
        words = ["--peaks", input.peaks, "--genome", indexed_genome(genome_key(sample))]
    words += ["--prefix", wildcards.sample]
    if "control" in input.keys():
        words += ["--control", input.control]
    if "database" in input.keys():
        words += ["--db", input.database]
    sample_words = sample["options"]
    # A sample's own --lengths replaces the configured ones: the program
    # refuses an option given twice.
    if LENGTHS and not names_lengths(sample_words):
        words += ["--lengths", ",".join(str(length) for length in LENGTHS)]
    words += COMMON_OPTIONS + sample_words
    return " ".join(shlex.quote(word) for word in words)


def input_megabytes(path):
    with open(path, "rb") as f:
        compressed = f.read(2) == b"\x1f\x8b"
    expansion = config["memory"]["gzip_expansion"] if compressed else 1
    return os.path.getsize(path) / 1e6 * expansion


def discover_mem_mb(wildcards, input, attempt):
    """Grows with the sequences read (a genome is read at the windows only: a
    peak file counts as the letters of its windows and their background), and
    with every retry of a job that ran out."""
    weights = {"primary": 1, "control": 1, "peaks": config["memory"]["peaks_expansion"]}
    megabytes = sum(input_megabytes(path) * weights[key] for key, path in input.items() if key in weights)
    memory = config["memory"]
    return math.ceil((memory["base_mb"] + memory["per_input_mb"] * megabytes) * attempt)
