"""Motif files through the module: every format read as the programs read
it and written byte for byte as zelkova-export writes it; Biopython's
Bio.motifs round trips; refused files with the programs' messages."""

import pytest
from Bio import motifs as bio_motifs

import zelkova
from conftest import SOURCE, VERTEBRATES, program_error, program_output

INSECTS = SOURCE / "data" / "jaspar" / "jaspar_insecta.jaspar"
HOMER = SOURCE / "tests" / "data" / "motifs" / "homer.motif"


@pytest.fixture(scope="module")
def motif_files(crp_cli):
    """A report, MEME, both JASPAR layouts and a HOMER file."""
    report = sorted((crp_cli / "runs").glob("*.out"))[0]
    return [report, crp_cli / "motifs.meme", crp_cli / "motifs.jaspar", INSECTS, VERTEBRATES, HOMER]


@pytest.mark.parametrize("format", ["meme", "jaspar", "transfac", "homer", "html"])
def test_every_format_is_written_as_zelkova_export_writes_it(motif_files, format, tmp_path):
    for path in motif_files[1:]:  # a report's export adds what only a report says
        motifs = zelkova.read_motifs(path)
        written = tmp_path / f"{path.name}.{format}"
        zelkova.write_motifs(motifs, written, format=format)
        if format == "html":
            assert written.read_text().startswith("<!DOCTYPE html>")
            assert all(m.id in written.read_text() for m in motifs)
            continue
        assert written.read_text() == program_output("zelkova-export", "--format", format, path), path


def test_written_motifs_read_back_with_their_counts(motif_files, tmp_path):
    for path in motif_files:
        motifs = zelkova.read_motifs(path)
        assert motifs, path
        zelkova.write_motifs(motifs, tmp_path / "back.jaspar", format="jaspar")
        back = zelkova.read_motifs(tmp_path / "back.jaspar")
        assert [m.id for m in back] == [m.id for m in motifs]
        for a, b in zip(motifs, back):
            if a.count_matrix():
                # Refined counts are fractions, written with their full precision.
                assert [v for c in b.columns for v in c] == pytest.approx(
                    [v for c in a.count_matrix() for v in c], rel=1e-12, abs=1e-12)
            else:  # probabilities, written with six decimals
                assert [v for c in b.frequencies() for v in c] == pytest.approx(
                    [v for c in a.frequencies() for v in c], abs=2e-3)


def test_several_files_are_one_set_with_unique_identifiers(crp_cli):
    both = zelkova.read_motifs([INSECTS, VERTEBRATES])
    assert len(both) == len(zelkova.read_motifs(INSECTS)) + len(zelkova.read_motifs(VERTEBRATES))
    with pytest.raises(zelkova.Error, match="motifs.jaspar:1: .*MOTIF|ZELKOVA-1"):
        zelkova.read_motifs([crp_cli / "motifs.meme", crp_cli / "motifs.jaspar"])


def test_biopython_round_trip_keeps_identifiers_names_and_counts():
    for motif in zelkova.read_motifs(VERTEBRATES)[:20]:
        bio = zelkova.to_biopython(motif)
        assert bio.length == motif.width
        assert str(bio.consensus) == motif.consensus
        back = zelkova.from_biopython(bio)
        assert (back.id, back.name) == (motif.id, motif.name)
        assert back.columns == motif.columns and back.nsites == motif.nsites


def test_biopython_reads_what_the_module_writes(crp_cli, tmp_path):
    motifs = zelkova.read_motifs(crp_cli / "motifs.jaspar")
    zelkova.write_motifs(motifs, tmp_path / "m.jaspar", format="jaspar")
    with open(tmp_path / "m.jaspar") as handle:
        read = bio_motifs.parse(handle, "jaspar")
        for bio, motif in zip(read, motifs):
            back = zelkova.from_biopython(bio)
            assert (back.id, back.name) == (motif.id, motif.name)
            assert back.columns == motif.columns


def test_motifs_made_in_biopython_are_accepted_everywhere(tmp_path):
    made = bio_motifs.create(["TGTGACATATGTCACA", "TGTGAGCTAGATCACA"])
    made.name = "crp-like"
    motif = zelkova.from_biopython(made)
    assert motif.id == "crp-like" and motif.nsites == 2
    zelkova.write_motifs([made], tmp_path / "made.meme")  # converted on the way
    assert zelkova.read_motifs(tmp_path / "made.meme")[0].count_matrix() == motif.columns


def test_motifs_made_in_python_are_checked():
    with pytest.raises(ValueError, match="no columns"):
        zelkova.Motif("empty", [])
    with pytest.raises(ValueError, match="finite number"):
        zelkova.Motif("bad", [[1, 2, -3, 4]])
    with pytest.raises(TypeError):
        zelkova.Motif("short", [[1, 2, 3]])


def test_refused_files_raise_the_programs_messages(tmp_path):
    broken = tmp_path / "broken.meme"
    broken.write_text("MEME version 4\n\nALPHABET= ACGT\n\nMOTIF one\nletter-probability matrix: w= 3\n0.25 0.25 0.25 0.25\n")
    for path in (broken, tmp_path / "missing.meme"):
        with pytest.raises(zelkova.Error) as error:
            zelkova.read_motifs(path)
        assert str(error.value) == program_error("zelkova-export", "--format", "meme", path)
    with pytest.raises(ValueError, match="unknown format"):
        zelkova.motif_text(zelkova.read_motifs(HOMER), "pdf")
