"""zelkova.scan, zelkova.enrich and zelkova.compare against their programs:
the same tables byte for byte, rows that are the tables' lines, motifs and
sequences held in memory giving what their files give, refused inputs with
the programs' messages."""

import threading

import pytest

import zelkova
from conftest import CRP, SOURCE, VERTEBRATES, program_error, program_output, read_pairs

SCAN_DATA = SOURCE / "tests" / "data" / "scan"


def test_scan_writes_zelkova_scans_tables(tmp_path):
    for layout in ("tsv", "bed", "gff3"):
        out = tmp_path / f"sites.{layout}"
        zelkova.scan(SCAN_DATA / "motifs.jaspar", SCAN_DATA / "small.fa", 1e-3, bg="uniform", format=layout,
                     output=out)
        assert out.read_text() == (SCAN_DATA / f"expected.{layout}").read_text(), layout


def test_scan_rows_are_the_lines_of_the_table():
    rows = zelkova.scan(SCAN_DATA / "motifs.jaspar", SCAN_DATA / "small.fa", 1e-3, bg="uniform", as_frame=False)
    lines = [line.split("\t") for line in (SCAN_DATA / "expected.tsv").read_text().splitlines()[1:]]
    assert len(rows) == len(lines) > 0
    for row, line in zip(rows, lines):
        assert [row["motif_id"], row["sequence"], str(row["start"]), str(row["end"]), row["strand"],
                f"{row['score']:.2f}", row["matched_sequence"]] == [line[0], line[2], line[3], line[4], line[5],
                                                                    line[6], line[9]]
        assert f"{row['p']:.2g}" == f"{float(line[7]):.2g}"


def test_scan_of_motifs_and_sequences_in_memory(tmp_path):
    motifs = zelkova.read_motifs(VERTEBRATES)[:30]
    pairs = read_pairs(CRP)
    frame = zelkova.scan(motifs, pairs, threads=2)
    zelkova.write_motifs(motifs, tmp_path / "m.jaspar", format="jaspar")
    cli = program_output("zelkova-scan", tmp_path / "m.jaspar", CRP, "-p", 2).splitlines()
    assert len(frame) == len(cli) - 1 > 0
    assert list(frame.columns) == cli[0].split("\t")
    assert [f"{r.motif_id}\t{r.sequence}\t{r.start}" for r in frame.itertuples()] == [
        "\t".join(line.split("\t")[i] for i in (0, 2, 3)) for line in cli[1:]]


def test_scan_warns_as_the_program_does_when_max_sites_cuts():
    with pytest.warns(UserWarning, match=r"only the best 2 by p are written \(--max-sites 2\)"):
        rows = zelkova.scan(SCAN_DATA / "motifs.jaspar", SCAN_DATA / "small.fa", 1e-2, max_sites=2, as_frame=False)
    assert len(rows) <= 2 * len(zelkova.read_motifs(SCAN_DATA / "motifs.jaspar"))


def test_scan_refusals_are_the_programs():
    with pytest.raises(zelkova.UsageError) as usage:
        zelkova.scan(SCAN_DATA / "motifs.jaspar", SCAN_DATA / "small.fa", 1e-3, qvalue=0.1)
    assert str(usage.value) == program_error("zelkova-scan", "--pvalue", "0.001", "--qvalue", "0.1",
                                             SCAN_DATA / "motifs.jaspar", SCAN_DATA / "small.fa")
    with pytest.raises(zelkova.Error) as error:
        zelkova.scan(SCAN_DATA / "motifs.jaspar", SCAN_DATA / "missing.fa")
    assert str(error.value) == program_error("zelkova-scan", SCAN_DATA / "motifs.jaspar", SCAN_DATA / "missing.fa")


def test_a_scan_stopped_by_its_cancel_event():
    cancel = threading.Event()
    cancel.set()
    with pytest.raises(zelkova.Cancelled):
        zelkova.scan(zelkova.read_motifs(VERTEBRATES), [("long", "ACGT" * 2_000_000)], cancel=cancel)


def test_enrich_gives_zelkova_enrichs_tables(crp_cli, tmp_path):
    meme = crp_cli / "motifs.meme"
    expected = program_output("zelkova-enrich", meme, CRP, "--seed", 3)
    zelkova.enrich(meme, CRP, seed=3, output=tmp_path / "table.tsv")
    assert (tmp_path / "table.tsv").read_text() == expected
    table, sites = zelkova.enrich(zelkova.read_motifs(meme), read_pairs(CRP), seed=3, sites=True)
    assert [f"{v:.3f}" for v in table["log10_E"]] == [line.split("\t")[11] for line in expected.splitlines()[1:]]
    assert set(sites["set"]) == {"primary", "control"}
    report = sorted((crp_cli / "runs").glob("l*.out"))[0]  # a report: its consensus words and strands
    zelkova.enrich(report, CRP, output=tmp_path / "report.tsv")
    assert (tmp_path / "report.tsv").read_text() == program_output("zelkova-enrich", report, CRP)


def test_enrich_of_a_database_gives_the_known_table(tmp_path):
    control = program_output("zelkova-gen-planted", 36, 105, 9)
    (tmp_path / "control.fa").write_text(control)
    expected = program_output("zelkova-enrich", "--db", VERTEBRATES, CRP, tmp_path / "control.fa")
    events = []
    known = zelkova.enrich(VERTEBRATES, CRP, tmp_path / "control.fa", known=True, progress=events.append)
    assert list(known.columns) == expected.splitlines()[0].split("\t")
    assert list(known["id"]) == [line.split("\t")[1] for line in expected.splitlines()[1:]]
    zelkova.enrich(zelkova.read_motifs(VERTEBRATES), CRP, read_pairs(tmp_path / "control.fa"), known=True,
                   output=tmp_path / "known.tsv")
    assert (tmp_path / "known.tsv").read_text() == expected
    assert events and events[-1].fraction == 1.0


def test_enrich_refusals_are_the_programs(tmp_path):
    with pytest.raises(zelkova.UsageError) as usage:
        zelkova.enrich(VERTEBRATES, CRP, threshold=2)
    assert str(usage.value) == program_error("zelkova-enrich", "--threshold", "2", VERTEBRATES, CRP)
    with pytest.warns(UserWarning, match="IUPAC letters? read as N"):
        zelkova.enrich(VERTEBRATES, [("r", "ACGTRYACGTACGTACGGGTACCA" * 3)])


def test_compare_gives_zelkova_compares_table(crp_cli, tmp_path):
    meme = crp_cli / "motifs.meme"
    zelkova.compare(meme, output=tmp_path / "matches.tsv")
    expected = program_output("zelkova-compare", meme)
    assert (tmp_path / "matches.tsv").read_text() == expected
    insects = SOURCE / "data" / "jaspar" / "jaspar_insecta.jaspar"
    rows = zelkova.compare(zelkova.read_motifs(meme)[:2], zelkova.read_motifs(insects), top=3, as_frame=False)
    cli = program_output("zelkova-compare", meme, "--db", insects, "--top", 3).splitlines()[1:]
    assert [(r["query"], r["target_id"], r["orientation"]) for r in rows] == [
        tuple(line.split("\t")[i] for i in (0, 2, 4)) for line in cli if line.split("\t")[0] in
        {"ZELKOVA-1", "ZELKOVA-2"}]


def test_a_discovered_motif_is_named_by_compare(generated):
    found = zelkova.discover(generated, lengths=(12,), decoy="no", known=False)
    matches = zelkova.compare(found.motifs[0])
    assert matches["target_id"][0] == "MA0139.1"
