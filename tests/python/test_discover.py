"""zelkova.discover against zelkova-discover: the same files on the bundled
example and on a generated set held in memory; the result's motifs are the
tables' lines; refused inputs with the program's messages; runs stopped from
another thread, by Ctrl-C and by the progress callback, leaving nothing."""

import _thread
import re
import threading
import time

import pytest
from Bio.Seq import Seq
from Bio.SeqRecord import SeqRecord

import zelkova
from conftest import CRP, assert_same_directories, program_error, program_output, read_pairs


@pytest.fixture(scope="module")
def crp_python(tmp_path_factory):
    """The bundled example through the module, written as the run ends, with
    every progress event kept."""
    out = tmp_path_factory.mktemp("python") / "crp"
    events = []
    result = zelkova.discover(CRP, threads=2, output=out, progress=events.append)
    return result, out, events


def test_bundled_example_gives_the_programs_files(crp_cli, crp_python):
    result, out, _ = crp_python
    assert_same_directories(crp_cli, out)
    assert result.command_line.startswith("zelkova-discover ")


def test_a_result_written_later_gives_the_same_files(crp_cli, crp_python, tmp_path):
    result, _, _ = crp_python
    result.write(tmp_path / "later")
    assert_same_directories(crp_cli, tmp_path / "later")
    with pytest.raises(zelkova.Error) as refused:
        result.write(tmp_path / "later")
    assert str(refused.value) == (f"Error: the output directory {tmp_path / 'later'} exists; choose a new one, "
                                  "or pass --force to write into it.")


def test_motifs_are_the_lines_of_the_tables(crp_cli, crp_python):
    result, out, _ = crp_python
    summary = (crp_cli / "summary.tsv").read_text().splitlines()[1:]
    sites = (crp_cli / "sites.tsv").read_text().splitlines()[1:]
    assert [m.id for m in result.motifs] == [line.split("\t")[1] for line in summary]
    best = result.motifs[0]
    assert "GTGA" in best.consensus and "TCACA" in best.consensus  # the CRP site
    assert best.beats_decoy is True
    jaspar = zelkova.read_motifs(crp_cli / "motifs.jaspar")
    for motif, line, known in zip(result.motifs, summary, jaspar):
        fields = line.split("\t")
        assert f"{motif.log10_evalue:.3f}" == fields[6]
        assert motif.consensus == fields[4] and motif.length == int(fields[2])
        assert motif.counts.tolist() == [list(c) for c in known.columns]
        assert len(motif.sites) == sum(1 for s in sites if s.split("\t")[0] == motif.id)
    assert list(result.sites["motif_id"]) == [s.split("\t")[0] for s in sites]
    assert len(result.known) == len((crp_cli / "known.tsv").read_text().splitlines()) - 1
    assert result.log == (out / "log.txt").read_text()


def test_progress_tells_every_step(crp_python):
    _, _, events = crp_python
    finals = [e.line for e in events if e.final]
    assert [line.split(":")[0] for line in finals][:4] == ["Reading", "Control", "Models", "Discovery"]
    fractions = [e.fraction for e in events if e.step == "Discovery" and e.fraction is not None]
    assert fractions and fractions == sorted(fractions) and fractions[-1] == 1.0


def test_sequences_in_memory_give_the_files_of_the_fasta(generated, tmp_path):
    options = ["--lengths", "8,12", "--decoy", "no", "-p", "2", "--seed", "5"]
    program_output("zelkova-discover", generated, "-o", tmp_path / "cli", *options)
    pairs = read_pairs(generated)
    from_pairs = zelkova.discover(pairs, lengths=(8, 12), decoy="no", threads=2, seed=5)
    records = [SeqRecord(Seq(letters), id=name, description="") for name, letters in pairs]
    from_records = zelkova.discover(records, lengths=(8, 12), decoy="no", threads=1, seed=5, as_frame=False)
    for result in (from_pairs, from_records):
        files = result.files()
        for name in ("summary.tsv", "sites.tsv", "motifs.meme", "motifs.jaspar", "known.tsv"):
            assert files[name] == (tmp_path / "cli" / name).read_text(), name
    assert from_pairs.motifs[0].matches[0]["target_id"] == "MA0139.1"  # CTCF, as planted
    assert isinstance(from_records.sites, list)


def test_plain_strings_are_named_in_order(tmp_path):
    letters = [letters for _, letters in read_pairs(CRP)]
    result = zelkova.discover(letters, lengths=(12,), decoy="no", known=False)
    assert result.known is None
    assert set(result.sites["sequence"]) <= {f"seq{i}" for i in range(1, len(letters) + 1)}


def searched_lengths(result):
    return next(line for line in result.log.splitlines() if line.startswith("lengths: "))


def test_lengths_are_searched_as_given():
    # The program's own default is 8,12,16: lengths the user names are passed
    # even when they look like a default, a text as --lengths reads it.
    every_other = zelkova.discover(CRP, lengths=(8, 10, 12, 14, 16), decoy="no", known=False)
    assert searched_lengths(every_other) == "lengths: 8,10,12,14,16"
    assert searched_lengths(zelkova.discover(CRP, lengths="8,10", decoy="no", known=False)) == "lengths: 8,10"
    assert searched_lengths(zelkova.discover(CRP, lengths="8-10", decoy="no", known=False)) == "lengths: 8,9,10"


def test_refused_inputs_raise_the_programs_messages(tmp_path):
    missing = tmp_path / "missing.fa"
    with pytest.raises(zelkova.Error) as error:
        zelkova.discover(missing)
    assert str(error.value) == program_error("zelkova-discover", missing, "-o", tmp_path / "o")
    with pytest.raises(zelkova.UsageError) as usage:
        zelkova.discover(CRP, lengths=(5, 8))
    assert str(usage.value) == program_error("zelkova-discover", CRP, "-o", tmp_path / "o", "--lengths", "5,8")
    assert isinstance(usage.value, ValueError)
    with pytest.raises(zelkova.UsageError) as usage:
        zelkova.discover(CRP, lengths="8,,10")
    assert str(usage.value) == program_error("zelkova-discover", CRP, "-o", tmp_path / "o", "--lengths", "8,,10")
    with pytest.raises(TypeError, match="lengths must be whole numbers"):
        zelkova.discover(CRP, lengths=[8.5])
    with pytest.raises(zelkova.UsageError, match="unknown option --no-such-option"):
        zelkova.discover(CRP, no_such_option=3)
    protein = tmp_path / "protein.fa"
    protein.write_text(">p1\nMKVLWQQE\n")
    with pytest.raises(zelkova.Error) as error:
        zelkova.discover([("p1", "MKVLWQQE")])
    cli = program_error("zelkova-discover", protein, "-o", tmp_path / "o")
    assert re.sub(r"\S*primary\.fa", "FILE", str(error.value)) == cli.replace(str(protein), "FILE")
    assert not (tmp_path / "o").exists()


# Settings that keep a run on the bundled example busy for several seconds
# (the defaults finish it in about one), so that a stop after one second
# lands in the middle of it.
LONG_RUN = {"lengths": range(6, 21), "mismatches": 5, "decoy": "yes"}


def stopped_within(seconds, run):
    """Runs `run`, which must raise; returns the exception and how long it took."""
    start = time.monotonic()
    with pytest.raises(BaseException) as raised:
        run()
    return raised.value, time.monotonic() - start


def test_a_run_stopped_from_another_thread_leaves_nothing(tmp_path):
    cancel = threading.Event()
    outcome = {}

    def run():
        try:
            zelkova.discover(CRP, output=tmp_path / "stopped", cancel=cancel, threads=2, **LONG_RUN)
        except BaseException as error:  # noqa: B902 - the thread reports what ended it
            outcome["error"] = error
        outcome["ended"] = time.monotonic()

    worker = threading.Thread(target=run)
    worker.start()
    time.sleep(1.0)
    cancel.set()
    asked = time.monotonic()
    worker.join(30)
    assert not worker.is_alive()
    assert isinstance(outcome.get("error"), zelkova.Cancelled)
    assert outcome["ended"] - asked < 3.0
    assert not (tmp_path / "stopped").exists()


def test_ctrl_c_stops_a_run_with_keyboard_interrupt(tmp_path):
    timer = threading.Timer(1.0, _thread.interrupt_main)
    timer.start()
    error, took = stopped_within(30, lambda: zelkova.discover(CRP, output=tmp_path / "interrupted", threads=2, **LONG_RUN))
    timer.join()
    assert isinstance(error, KeyboardInterrupt)
    assert took < 4.0
    assert not (tmp_path / "interrupted").exists()


def test_a_progress_callback_that_raises_stops_the_run(tmp_path):
    def progress(event):
        if event.step == "Discovery":
            raise RuntimeError("enough")

    error, _ = stopped_within(30, lambda: zelkova.discover(CRP, output=tmp_path / "o", progress=progress))
    assert isinstance(error, RuntimeError) and str(error) == "enough"
    assert not (tmp_path / "o").exists()
