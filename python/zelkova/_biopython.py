"""Motifs to and from Biopython's Bio.motifs."""

from . import _zelkova

BASES = "ACGT"


def to_biopython(motif):
    """A Bio.motifs.Motif with the counts of `motif` (a zelkova.Motif or a
    discovered motif); its name is the motif's id, and matrix_id and
    alt_name carry the id and the name as Bio.motifs.jaspar does.
    Probabilities without a number of sites become counts adding up to 1."""
    from Bio import motifs as bio_motifs

    if hasattr(motif, "motif") and isinstance(motif.motif, _zelkova.Motif):
        motif = motif.motif
    columns = motif.count_matrix() or motif.columns
    counts = {base: [float(column[b]) for column in columns] for b, base in enumerate(BASES)}
    converted = bio_motifs.Motif(alphabet=BASES, counts=counts)
    converted.name = motif.id
    converted.matrix_id = motif.id
    converted.alt_name = motif.name
    return converted


def from_biopython(motif, id=None, name=None):
    """A zelkova.Motif from a Bio.motifs.Motif of the DNA alphabet: its counts,
    its id from `id`, else matrix_id, else name; its name from `name`, else
    alt_name (JASPAR's), else the name when the id came from matrix_id."""
    alphabet = "".join(sorted(str(motif.alphabet)))
    if alphabet != BASES:
        raise ValueError(f"only motifs of the alphabet ACGT convert, not {motif.alphabet!r}")
    matrix_id = getattr(motif, "matrix_id", None)
    motif_id = id or matrix_id or motif.name
    if not motif_id:
        raise ValueError("the motif has no name nor matrix_id to take its identifier from; give id=")
    if name is None:
        name = getattr(motif, "alt_name", None) or (motif.name if matrix_id and motif.name != motif_id else "")
    columns = [[float(motif.counts[base][i]) for base in BASES] for i in range(motif.length)]
    return _zelkova.Motif(str(motif_id), columns, name=str(name or ""), counts=True)
