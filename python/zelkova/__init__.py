"""ZELKOVA from Python: find the DNA motifs enriched in a set of sequences,
scan sequences for motifs, test motifs for enrichment and name them.

Every function runs the code of the command-line program it stands for
(zelkova-discover, zelkova-scan, zelkova-enrich, zelkova-compare,
zelkova-export), so the results are the programs' results: the same motifs,
E-values, sites and tables, and the same messages for input they refuse
(raised as zelkova.Error, or zelkova.UsageError for a setting the program's
command line refuses).

Sequences are a FASTA path (plain or gzip), or a list of strings, of
(name, sequence) pairs or of Biopython SeqRecords. Motifs are a motif file's
path (MEME, JASPAR, TRANSFAC, HOMER or a zelkova report), or zelkova.Motif
or Bio.motifs.Motif objects. Tables come as pandas DataFrames when pandas is
installed (as_frame=False: lists of dicts).

An argument left at None stands for the program's default: no option is
passed, so the program's own default applies (its --help states them).

Long calls release the interpreter lock, stop on Ctrl-C (KeyboardInterrupt)
or when their cancel event (a threading.Event) is set (zelkova.Cancelled),
and report progress to an optional callback.
"""

import os
import shutil
import sys
import tempfile
import warnings
from dataclasses import dataclass, field
from typing import Any, List, Optional

from . import _zelkova
from ._biopython import from_biopython, to_biopython
from ._inputs import as_motifs, is_path, motif_arguments, sequence_files
from ._tables import rows_or_frame, table

__version__ = _zelkova.__version__
Motif = _zelkova.Motif
Progress = _zelkova.Progress
Error = _zelkova.Error
UsageError = _zelkova.UsageError
Cancelled = _zelkova.Cancelled

__all__ = [
    "Motif", "Progress", "Error", "UsageError", "Cancelled", "DiscoveryResult", "DiscoveredMotif",
    "discover", "scan", "enrich", "compare", "read_motifs", "write_motifs", "motif_text", "to_biopython",
    "from_biopython",
]

MOTIF_FORMATS = ("meme", "jaspar", "transfac", "homer", "html")


def _matrix(columns):
    """Columns as a NumPy array of shape (positions, 4) when NumPy is present,
    else as a list of lists."""
    try:
        import numpy
    except ImportError:
        return [list(column) for column in columns]
    return numpy.array(columns, dtype=float).reshape(len(columns), 4)


def _print_progress(event):
    """The default progress: a step's final lines on standard error."""
    if event.final:
        print(event.line, file=sys.stderr, flush=True)


def _progress_callback(progress):
    if progress is True:
        return _print_progress
    if progress is None or progress is False:
        return None
    if not callable(progress):
        raise TypeError("progress must be a callable taking a zelkova.Progress, True or None")
    return progress


def _option_words(options):
    """Keyword options as command-line words: name_of_option=VALUE gives
    --name-of-option VALUE, True a flag, False and None nothing, a list or
    tuple the option once per value."""
    words = []
    for key, value in options.items():
        flag = "--" + key.replace("_", "-")
        if value is None or value is False:
            continue
        if value is True:
            words.append(flag)
        elif isinstance(value, (list, tuple)):
            for item in value:
                words += [flag, os.fspath(item) if is_path(item) else str(item)]
        else:
            words += [flag, os.fspath(value) if is_path(value) else str(value)]
    return words


def _lengths_text(lengths):
    """The value of --lengths: a text as given ("8,10" or "8-12", which the
    program reads as its command line does), one whole number, or whole
    numbers joined by commas."""
    if isinstance(lengths, str):
        return lengths
    if isinstance(lengths, int) and not isinstance(lengths, bool):
        return str(lengths)
    items = list(lengths)
    if not all(isinstance(length, int) and not isinstance(length, bool) for length in items):
        raise TypeError("lengths must be whole numbers, or a text such as \"8,10\" or \"8-12\"")
    return ",".join(str(length) for length in items)


def _database_words(db):
    if db is None:
        return []
    paths = [db] if is_path(db) else list(db)
    return [word for path in paths for word in ("--db", os.fspath(path))]


# ---- motif files ---------------------------------------------------------------


def read_motifs(path):
    """The motifs of one motif file, or of several read as one set (their
    identifiers must be unique), as every ZELKOVA program reads them: MEME
    (motifs.meme among them), JASPAR (both layouts), TRANSFAC, HOMER .motif
    files and zelkova reports, the format told from the content. A file that
    cannot be read raises zelkova.Error naming the file and line."""
    paths = [os.fspath(path)] if is_path(path) else [os.fspath(p) for p in path]
    return _zelkova._read_motifs(paths)


def motif_text(motifs, format="meme"):
    """The motifs as zelkova-export writes them in `format`: "meme", "jaspar",
    "transfac", "homer" (with its log-odds detection threshold) or "html" (a
    page with sequence logos). `motifs` as read_motifs gives them, or
    Bio.motifs.Motif objects, or discovered motifs."""
    return _zelkova._motif_text(format, as_motifs(motifs))


def write_motifs(motifs, path, format="meme"):
    """Writes the motifs to `path` in `format` (see motif_text), whole or not
    at all, as zelkova-export --format FORMAT -o PATH does; "-" is standard
    output."""
    _zelkova._write_text(os.fspath(path), motif_text(motifs, format))


# ---- discovery -----------------------------------------------------------------


@dataclass
class DiscoveredMotif:
    """A motif zelkova-discover reports: its line of summary.tsv, its count
    matrix, its unrounded E-value, the known motifs it resembles and its
    sites (its lines of sites.tsv)."""

    id: str
    rank: int
    consensus: str
    length: int
    mismatches: int
    log10_evalue: float
    beats_decoy: Optional[bool]
    primary_hits: int
    primary_total: int
    control_hits: int
    control_total: int
    best_match: Optional[str]
    motif: Any  # zelkova.Motif with the counts of motifs.jaspar
    matches: List[dict] = field(default_factory=list)
    sites: Any = None
    summary: dict = field(default_factory=dict)

    @property
    def evalue(self):
        """The E-value (0.0 below the smallest float; log10_evalue keeps it)."""
        return 10.0 ** self.log10_evalue

    @property
    def counts(self):
        """The count matrix, one row of A, C, G, T counts per position (a
        NumPy array when NumPy is present)."""
        return _matrix(self.motif.columns)

    def to_biopython(self):
        """The motif as a Bio.motifs.Motif."""
        return to_biopython(self.motif)


def _match_dict(row):
    return {
        "query": row.query, "query_consensus": row.query_consensus, "target_id": row.target_id,
        "target_name": row.target_name, "orientation": "-" if row.reverse else "+", "offset": row.offset,
        "overlap": row.overlap, "p": row.p, "E": row.e, "q": row.q, "target_consensus": row.target_consensus,
    }


MATCH_COLUMNS = ["query", "query_consensus", "target_id", "target_name", "orientation", "offset", "overlap",
                 "p", "E", "q", "target_consensus"]


class DiscoveryResult:
    """What zelkova.discover found: .motifs (DiscoveredMotif, best first),
    .summary, .sites and .known (the tables summary.tsv, sites.tsv and
    known.tsv), .log (log.txt), .warnings, and .write(directory) for every
    file zelkova-discover writes."""

    def __init__(self, discovery, as_frame=None):
        self._discovery = discovery
        self._as_frame = as_frame
        summary = table(discovery.summary_table(), False)
        sites = table(discovery.sites_table(), False)
        matrices = discovery.motifs()
        log10_e = discovery.log10_evalues()
        matches = discovery.matches()
        self.motifs = []
        for i, line in enumerate(summary):
            own_sites = [s for s in sites if s["motif_id"] == line["id"]]
            self.motifs.append(DiscoveredMotif(
                id=line["id"], rank=line["rank"], consensus=line["consensus"], length=line["length"],
                mismatches=line["mismatches"], log10_evalue=log10_e[i],
                beats_decoy=None if line["beats_decoy"] is None else line["beats_decoy"] == "yes",
                primary_hits=line["primary_hits"], primary_total=line["primary_total"],
                control_hits=line["control_hits"], control_total=line["control_total"],
                best_match=line["best_match_id"], motif=matrices[i],
                matches=[_match_dict(r) for r in matches[i]],
                sites=rows_or_frame(own_sites, list(sites[0].keys()) if sites else [], as_frame),
                summary=line))

    @property
    def summary(self):
        """summary.tsv: one row per reported motif."""
        return table(self._discovery.summary_table(), self._as_frame)

    @property
    def sites(self):
        """sites.tsv: every site of every reported motif."""
        return table(self._discovery.sites_table(), self._as_frame)

    @property
    def known(self):
        """known.tsv: the enrichment of every known motif, best first; None
        with known=False."""
        text = self._discovery.known_table()
        return None if text is None else table(text, self._as_frame)

    @property
    def log(self):
        """log.txt: every setting of the run and what each step did."""
        return self._discovery.log_text()

    @property
    def warnings(self):
        """The warnings about the inputs, one line each."""
        return list(self._discovery.warnings)

    @property
    def command_line(self):
        """The zelkova-discover command line this run stands for."""
        return self._discovery.command_line

    def files(self):
        """Every result file zelkova-discover writes at the top of its
        directory, as a dict of name to text (index.html among them)."""
        return dict(self._discovery.files())

    def write(self, directory, force=False):
        """Writes every file of the run into `directory` (a new one unless
        force=True) as zelkova-discover -o DIRECTORY does: index.html, the
        tables, motifs.meme and motifs.jaspar, log.txt and runs/."""
        self._discovery.write(os.fspath(directory), force)

    def __repr__(self):
        best = f", best {self.motifs[0].id} {self.motifs[0].consensus}" if self.motifs else ""
        return f"<zelkova.DiscoveryResult: {len(self.motifs)} motifs{best}>"


def _discover_words(paths, output, *, lengths, threads, seed, db, known, dust, force, **options):
    """The zelkova-discover command line of a call of discover(): an option
    only for what the call sets."""
    words = ["zelkova-discover"]
    if paths["primary"] is not None:
        words.append(paths["primary"])
    if paths["control"] is not None:
        words += ["--control", paths["control"]]
    words += ["-o", output]
    if lengths is not None:
        words += ["--lengths", _lengths_text(lengths)]
    words += _option_words({"threads": threads, "seed": seed})
    words += _database_words(db)
    return words + _option_words({"no_known": not known, "no_dust": not dust, "force": force, **options})


def discover(sequences=None, control=None, lengths=None, threads=None, seed=None, *, output=None,
             force=False, db=None, known=True, dust=True, progress=None, cancel=None, as_frame=None, **options):
    """Finds the motifs enriched in `sequences`, as zelkova-discover does.

    sequences  a FASTA path, or a list of strings, (name, sequence) pairs or
               SeqRecords; None with peaks= and genome=
    control    control sequences in the same forms (default: two
               dinucleotide-shuffled copies of each sequence)
    lengths    the motif lengths searched (6 to 20): whole numbers such as
               (8, 10), or a text as --lengths takes it ("8,10", "8-12");
               None for the program's default
    threads    threads (default: every processor); the results are the same
    seed       seed of the shuffles and of every other random choice (None:
               the program's default)
    output     a new directory to write every file into, as -o DIR does (the
               result can also be written later with .write())
    force      write into `output` even when it exists
    db         known-motif files (a path or a list), default the bundled
               JASPAR collection
    known      test every known motif for enrichment (.known)
    dust       mask low-complexity DNA
    progress   a callable taking a zelkova.Progress for every line the
               program would show, or True for its step lines on stderr
    cancel     a threading.Event; setting it (from any thread) stops the run
               at its next step or cluster with zelkova.Cancelled
    **options  any other option of zelkova-discover by its long name:
               trim=100, mask_lowercase=True, decoy="no", holdout=0.1, top=5,
               prefix="CTCF", peaks="peaks.bed", genome="hg38.fa", ...

    Returns a DiscoveryResult. Nothing is left on disk but `output`; a run
    that fails or is stopped leaves no `output` behind (nor changes an
    existing one).
    """
    callback = _progress_callback(progress)
    scratch = tempfile.mkdtemp(prefix="zelkova-discover-")
    try:
        with sequence_files(primary=sequences, control=control) as paths:
            run = os.fspath(output) if output is not None else os.path.join(scratch, "run")
            words = _discover_words(paths, run, lengths=lengths, threads=threads, seed=seed, db=db, known=known,
                                    dust=dust, force=force, **options)
            discovery = _zelkova._discover(words, output is not None, callback, cancel)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    return DiscoveryResult(discovery, as_frame)


# ---- scanning, enrichment, comparison --------------------------------------------

SITE_COLUMNS = ["motif_id", "motif_alt_id", "sequence", "start", "end", "strand", "score", "p", "q",
                "matched_sequence"]


def _site_dict(row):
    return {"motif_id": row.motif_id, "motif_alt_id": row.motif_alt_id, "sequence": row.sequence,
            "start": row.start + 1, "end": row.end, "strand": row.strand, "score": row.score, "p": row.p,
            "q": row.q, "matched_sequence": row.matched}


def scan(motifs, sequences=None, pvalue=None, *, genome=None, regions=None, qvalue=None, strand=None, bg=None,
         pseudocount=None, max_sites=None, threads=None, output=None, format="tsv", progress=None, cancel=None,
         as_frame=None):
    """Every site of `motifs` in `sequences` (or a genome), with exact p-values
    and q-values, as zelkova-scan does.

    motifs     motif file path(s), or zelkova.Motif / Bio.motifs.Motif objects
    sequences  a FASTA path or sequences in memory; None with genome=
    pvalue     sites of p at most this (or give qvalue=); None for the
               program's default
    genome, regions, strand ("+", "-", "both"), bg ("uniform" or a MEME
               background file), pseudocount, max_sites, threads: as the
               program's options
    output     also write the table to this path in `format` (tsv, bed,
               gff3), byte for byte as zelkova-scan -o writes it

    Returns one row per site with the columns of zelkova-scan's tsv table
    (start and end 1-based and inclusive; score in bits, p and q unrounded).
    A motif whose sites max_sites cut gives a warning, as the program does.
    """
    paths, held = motif_arguments(motifs)
    with sequence_files(sequences=sequences) as files:
        words = ["zelkova-scan"] + paths
        if files["sequences"] is not None:
            words.append(files["sequences"])
        if pvalue is not None:
            words += ["--pvalue", repr(float(pvalue))]
        words += _option_words({"genome": genome, "regions": regions, "qvalue": qvalue, "strand": strand,
                                "bg": bg, "pseudocount": pseudocount, "max_sites": max_sites,
                                "threads": threads, "format": format})
        found = _zelkova._scan(words, held, _progress_callback(progress), cancel)
    for warning in found.warnings:
        warnings.warn(warning, stacklevel=2)
    if output is not None:
        _zelkova._write_text(os.fspath(output), _zelkova._site_table_text(format, found.rows))
    return rows_or_frame([_site_dict(r) for r in found.rows], SITE_COLUMNS, as_frame)


def enrich(motifs, primary, control=None, *, known=False, threshold=None, shuffle=None, copies=None, seed=None,
           threads=None, max_letters=None, sites=False, output=None, progress=None, cancel=None, as_frame=None):
    """Tests every motif for enrichment in `primary` against `control`, as
    zelkova-enrich does (one row per motif, in their order); with known=True
    the motifs are a database of known motifs, as with zelkova-enrich --db
    (best first, with q-values: the layout of known.tsv).

    motifs     motif file path(s) (a zelkova report is tested on the strands
               its run searched), or zelkova.Motif / Bio.motifs.Motif objects
    primary, control  FASTA paths or sequences in memory; without control,
               shuffled copies of the primary sequences (shuffle=K letters
               kept, copies=N, seed=S)
    threshold  count the sequences whose best window scores at least this
               (default: chosen per motif)
    sites      also return every counted window (not with known=True):
               the result is then (table, sites)
    output     also write the table to this path as zelkova-enrich -o does

    A note about IUPAC letters read as N is given as a warning.
    """
    paths, held = motif_arguments(motifs)
    with sequence_files(primary=primary, control=control) as files:
        words = ["zelkova-enrich"]
        words += [w for p in paths for w in ("--db", p)] if known else paths
        words.append(files["primary"])
        if files["control"] is not None:
            words.append(files["control"])
        words += _option_words({"threshold": threshold, "shuffle": shuffle, "copies": copies, "seed": seed,
                                "threads": threads, "max_letters": max_letters,
                                "sites": "(sites to Python)" if sites else None})
        found = _zelkova._enrich(words, held, known, _progress_callback(progress), cancel)
    for note in found.notes:
        warnings.warn(note, stacklevel=2)
    if output is not None:
        _zelkova._write_text(os.fspath(output), found.table)
    result = table(found.table, as_frame)
    return (result, table(found.sites, as_frame)) if sites else result


def compare(query, database=None, *, top=None, evalue_max=None, min_overlap=None, output=None, as_frame=None):
    """The known motifs each motif of `query` resembles, with p-, E- and
    q-values, as zelkova-compare does: per query motif its `top` best
    matches of E-value at most `evalue_max` (None: the program's defaults).

    query      a motif file path, or motifs (zelkova.Motif, Bio.motifs.Motif,
               discovered motifs)
    database   known-motif file path(s) or motifs; default the bundled JASPAR
               collection
    output     also write the table to this path as zelkova-compare -o does
    """
    query_paths, query_held = motif_arguments(query)
    if len(query_paths) > 1:
        raise UsageError("Error: more than one MOTIFS file given (" + ", ".join(query_paths[:2]) + ").")
    words = ["zelkova-compare"] + query_paths
    database_held = None
    if database is not None:
        database_paths, database_held = motif_arguments(database)
        if database_held is None:
            words += _database_words(database_paths)
    words += _option_words({"top": top, "evalue_max": evalue_max, "min_overlap": min_overlap})
    rows = _zelkova._compare(words, query_held, database_held)
    if output is not None:
        _zelkova._write_text(os.fspath(output), _zelkova._match_table_text(rows))
    return rows_or_frame([_match_dict(r) for r in rows], MATCH_COLUMNS, as_frame)
