"""The programs' tab-separated tables as rows: each column typed (numbers as
int or float, "NA" as None, names kept as text), as a pandas DataFrame when
pandas is present and not declined."""

# Columns that hold text even when a value looks like a number.
TEXT_COLUMNS = {
    "id", "name", "consensus", "motif_id", "motif_alt_id", "sequence", "strand", "matched_sequence",
    "word", "chrom", "genome_strand", "best_match_id", "best_match_name", "weak_match_id", "beats_decoy",
    "low_complexity", "same_sites_as", "query", "query_consensus", "target_id", "target_name",
    "orientation", "target_consensus", "motif", "set",
}


def _number(text):
    try:
        return int(text)
    except ValueError:
        return float(text)  # also "inf" and "nan"


def _value(column, text):
    if text == "NA":
        return None
    if column in TEXT_COLUMNS:
        return text
    try:
        return _number(text)
    except ValueError:
        return text


def parse_tsv(text):
    """The rows of a table with a header line, as dicts in column order."""
    lines = text.splitlines()
    if not lines:
        return []
    header = lines[0].split("\t")
    return [{c: _value(c, v) for c, v in zip(header, line.split("\t"))} for line in lines[1:] if line]


def pandas_wanted(as_frame):
    """Whether to return a DataFrame: as asked, or when pandas imports."""
    if as_frame is False:
        return False
    try:
        import pandas  # noqa: F401
    except ImportError:
        if as_frame:
            raise
        return False
    return True


def rows_or_frame(rows, columns, as_frame):
    """`rows` (dicts) as a DataFrame with `columns`, or as they are."""
    if not pandas_wanted(as_frame):
        return rows
    import pandas

    return pandas.DataFrame(rows, columns=columns)


def table(text, as_frame):
    """A whole table's text as rows or a DataFrame."""
    rows = parse_tsv(text)
    header = text.split("\n", 1)[0].split("\t") if text else []
    return rows_or_frame(rows, header, as_frame)
