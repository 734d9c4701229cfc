"""Sequences and motifs handed to the programs' code: paths as they are,
sequences held in Python written to a temporary FASTA file first (the file is
then read by the same reader, with the same rules and messages, as a file
given by path)."""

import os
import shutil
import tempfile
from contextlib import contextmanager

from . import _zelkova

# Stands for MOTIFS on a command line whose motifs are handed over from
# Python instead of read from a file.
MOTIFS_FROM_PYTHON = "(motifs from Python)"


def is_path(value):
    """Whether `value` names a file: a str or an os.PathLike."""
    return isinstance(value, (str, os.PathLike))


def _record_header(record, number):
    """The FASTA header of one record: a SeqRecord as Biopython writes it, a
    (name, sequence) pair by its name, a plain string as seqN."""
    if isinstance(record, str):
        return f"seq{number}", record
    if isinstance(record, (tuple, list)) and len(record) == 2:
        return str(record[0]), str(record[1])
    if hasattr(record, "seq") and hasattr(record, "id"):  # Bio.SeqRecord.SeqRecord
        description = getattr(record, "description", "") or ""
        if description and description.split(None, 1)[0] == record.id:
            title = description
        elif description:
            title = f"{record.id} {description}"
        else:
            title = record.id
        return title, str(record.seq)
    raise TypeError(
        f"sequence {number}: expected a str, a (name, sequence) pair or a Bio.SeqRecord, "
        f"not {type(record).__name__}")


def write_fasta(records, path):
    """Writes `records` (strings, (name, sequence) pairs or SeqRecords) as FASTA."""
    with open(path, "w", encoding="ascii", errors="strict") as out:
        for number, record in enumerate(records, 1):
            title, letters = _record_header(record, number)
            if "\n" in title or "\r" in title:
                raise ValueError(f"sequence {number}: its name {title!r} holds a line break")
            out.write(f">{title}\n")
            for start in range(0, len(letters), 80):
                out.write(letters[start:start + 80] + "\n")


@contextmanager
def sequence_files(**sets):
    """Paths for every set of sequences given by keyword (None stays None):
    a path as it is, anything else written to a temporary FASTA file named
    after its keyword (primary.fa, control.fa), removed afterwards."""
    folder = None
    paths = {}
    try:
        for key, value in sets.items():
            if value is None or is_path(value):
                paths[key] = None if value is None else os.fspath(value)
                continue
            if folder is None:
                folder = tempfile.mkdtemp(prefix="zelkova-")
            paths[key] = os.path.join(folder, f"{key}.fa")
            write_fasta(value, paths[key])
        yield paths
    finally:
        if folder is not None:
            shutil.rmtree(folder, ignore_errors=True)


def as_motifs(motifs):
    """A list of zelkova.Motif from a zelkova.Motif, a Bio.motifs.Motif, a
    discovered motif or a list of them."""
    from ._biopython import from_biopython

    single = not isinstance(motifs, (list, tuple))
    items = [motifs] if single else list(motifs)
    converted = []
    for item in items:
        if isinstance(item, _zelkova.Motif):
            converted.append(item)
        elif hasattr(item, "motif") and isinstance(item.motif, _zelkova.Motif):  # a DiscoveredMotif
            converted.append(item.motif)
        elif hasattr(item, "counts") and hasattr(item, "alphabet"):  # Bio.motifs.Motif
            converted.append(from_biopython(item))
        else:
            raise TypeError(f"expected motifs (zelkova.Motif or Bio.motifs.Motif), not {type(item).__name__}")
    return converted


def motif_arguments(motifs):
    """(paths, None) for motif files, ([placeholder], motifs) for motifs
    held in Python."""
    if is_path(motifs):
        return [os.fspath(motifs)], None
    if isinstance(motifs, (list, tuple)) and motifs and all(is_path(m) for m in motifs):
        return [os.fspath(m) for m in motifs], None
    return [MOTIFS_FROM_PYTHON], as_motifs(motifs)
