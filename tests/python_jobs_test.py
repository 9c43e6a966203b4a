"""The Python package's jobs as analysts use them: Ctrl-C, progress, scratch folders, sweeps and
envelopes defined by a Scenario, and what merge refuses."""

import concurrent.futures
import errno
import json
import logging
import multiprocessing
import os
import pathlib
import subprocess
import sys
import threading

import pytest

import karvex

SOURCE = pathlib.Path(__file__).resolve().parent.parent
DATA = SOURCE / "tests" / "data"
REFERENCE = SOURCE / "scenarios" / "reference.scn"
PROGRAM = os.environ["KARVEX_PROGRAM"]

# A child interpreter presses Ctrl-C (a SIGINT sent from another thread, reaching whichever thread
# the kernel picks, as a terminal's does) in a sweep on its main thread, in a long run on another
# thread while the main one waits, and in an envelope; then resumes the sweep. It prints, as JSON,
# how long after each signal KeyboardInterrupt came, the runs the sweep kept, and the count the
# resumed sweep started from.
CHILD = r"""
import json, os, signal, sys, threading, time
import karvex

signal.signal(signal.SIGINT, signal.default_int_handler)
sent = []

def press():
    sent.append(time.monotonic())
    os.kill(os.getpid(), signal.SIGINT)

def press_at(count):
    def progress(done, total):
        if done >= count and not sent:
            threading.Thread(target=press).start()
    return progress

def latency(call):
    sent.clear()
    try:
        call()
    except KeyboardInterrupt:
        return time.monotonic() - sent[0]

sweep_file, out = sys.argv[1], sys.argv[2]
report = {"sweep": latency(lambda: karvex.sweep(sweep_file, jobs=2, out=out, progress=press_at(5)))}

endless = karvex.Scenario.load(sys.argv[3])
del endless.settings["WATCH"]
endless.settings["END"] = 30000
ended = threading.Event()
def fly():
    report["thread"] = latency(lambda: karvex.run(endless))
    ended.set()
threading.Thread(target=fly).start()
threading.Timer(0.5, press).start()
report["main"] = latency(ended.wait)
ended.wait()

report["envelope"] = latency(lambda: karvex.envelope(sys.argv[4], jobs=1, progress=press_at(1)))
with open(os.path.join(out, "runs.partial")) as partial:
    report["kept"] = partial.read().count("\n") - 1
starts = []
karvex.sweep(sweep_file, jobs=2, out=out, resume=True, progress=lambda done, total: starts.append(done))
report["resumed_from"] = starts[0]
print(json.dumps(report))
"""


def test_ctrl_c_stops_every_call_on_any_thread_and_a_sweep_resumes(tmp_path):
    sweep = tmp_path / "sixty.sweep"
    sweep.write_text((DATA / "twenty.sweep").read_text().replace("../../scenarios/reference.scn", str(REFERENCE))
                     .replace("RUNS 20", "RUNS 60\nSETTING END 12"))
    scratch = tmp_path / "tmp"
    scratch.mkdir()
    child = subprocess.run([sys.executable, "-c", CHILD, sweep, tmp_path / "python", REFERENCE,
                            DATA / "small.envelope"],
                           env={**os.environ, "TMPDIR": str(scratch)}, capture_output=True, text=True, timeout=120)
    assert child.returncode == 0, child.stderr
    report = json.loads(child.stdout)
    for call in ("sweep", "thread", "main", "envelope"):
        assert report[call] is not None and report[call] < 0.5, (call, report)

    assert 5 <= report["kept"] == report["resumed_from"] < 60
    program = subprocess.run([PROGRAM, "sweep", sweep, "-o", tmp_path / "program", "--no-plot", "-q"])
    assert program.returncode == 0
    assert (tmp_path / "python" / "runs.csv").read_bytes() == (tmp_path / "program" / "runs.csv").read_bytes()
    assert os.listdir(scratch) == []


def test_progress_reaches_python_and_nothing_reaches_the_process_streams(capfd, caplog):
    reports = []
    karvex.sweep(DATA / "small.sweep", jobs=2,
                 progress=lambda done, total: reports.append((done, total, threading.get_ident())))
    assert {ident for _, _, ident in reports} == {threading.get_ident()}
    assert [done for done, _, _ in reports] == sorted({done for done, _, _ in reports})
    assert (reports[0][:2], reports[-1][:2]) == ((0, 12), (12, 12))
    bearings = []
    karvex.envelope(DATA / "small.envelope", progress=lambda done, total: bearings.append((done, total)))
    assert bearings[-1] == (2, 2)

    with caplog.at_level(logging.INFO, logger="karvex"):
        karvex.sweep(DATA / "small.sweep", progress=True)
    # a line every few seconds (none on a fast machine), and the last
    messages = [r.getMessage().split(",")[0] for r in caplog.records]
    assert messages[-1] == "sweep: 12/12 runs" and all(m.startswith("sweep: ") for m in messages)
    assert capfd.readouterr() == ("", "")

    def refuse(done, total):
        raise RuntimeError(f"stopped at {done}")
    with pytest.raises(RuntimeError, match="stopped at"):
        karvex.sweep(DATA / "twenty.sweep", jobs=1, progress=refuse)


def miss(path, modules=None):
    return karvex.run(path, modules=modules).miss_distance


def test_no_scratch_folder_outlives_its_call_in_a_process_pool(tmp_path, monkeypatch):
    scratch = tmp_path / "tmp"
    scratch.mkdir()
    monkeypatch.setenv("TMPDIR", str(scratch))
    # Forked workers end with os._exit: nothing a thread would clean up at its end is cleaned up.
    with concurrent.futures.ProcessPoolExecutor(2, mp_context=multiprocessing.get_context("fork")) as pool:
        misses = list(pool.map(miss, [REFERENCE] * 4))
        failed = pool.submit(miss, REFERENCE, tmp_path).exception()
        rows = pool.submit(karvex.sweep, DATA / "small.sweep").result().columns["run"]
    assert len(set(misses)) == 1 and isinstance(failed, karvex.ModuleError) and len(rows) == 12
    assert os.listdir(scratch) == []


def test_a_scenario_with_keywords_flies_as_its_files_do(tmp_path):
    sweep = tmp_path / "reference.sweep"
    sweep.write_text(f"KARVEX-SWEEP 1\nSCENARIO {REFERENCE}\nRUNS 6\nSEED 7\nSETTING END 40\n"
                     "VARY Carrier.speed normal 230 10\nVARY Target.x normal 0 50\n")
    karvex.sweep(sweep, out=tmp_path / "file")
    karvex.sweep(karvex.Scenario.load(REFERENCE), out=tmp_path / "scenario", runs=6, seed=7, settings={"END": 40},
                 vary={"Carrier.speed": ("normal", 230, 10.0), "Target.x": ("normal", 0, 50)})
    envelope = tmp_path / "large_target.envelope"
    envelope.write_text((DATA / "small.envelope").read_text().replace("large_target.scn",
                                                                      str(DATA / "large_target.scn")))
    karvex.envelope(envelope, out=tmp_path / "file")
    target = karvex.Scenario.load(DATA / "large_target.scn")
    karvex.envelope(target, out=tmp_path / "scenario", carrier="Carrier", altitudes=2500, speeds=[230],
                    bearings=(0, 1), range=(6000, 8000), tolerance=50, scan=500)
    for name in ("runs.csv", "summary.json", "envelope.csv", "envelope.json"):
        assert (tmp_path / "scenario" / name).read_bytes() == (tmp_path / "file" / name).read_bytes(), name
    assert json.loads((tmp_path / "file" / "summary.json").read_text())["scenario"] == "reference.scn"

    lost = tmp_path / "lost.sweep"
    lost.write_text("KARVEX-SWEEP 1\nSCENARIO gone.scn\nRUNS 2\n")
    scenario = karvex.Scenario.load(REFERENCE)
    for call, error, text in [
        (lambda: karvex.sweep(scenario), TypeError, "needs runs"),
        (lambda: karvex.sweep(scenario, runs="6"), TypeError, "runs takes"),
        (lambda: karvex.sweep(scenario, runs=0), karvex.ScenarioError, "runs: RUNS must be"),
        (lambda: karvex.sweep(scenario, runs=2, vary={"Carrier.y": ("gauss", 0, 1)}), ValueError, "vary['Carrier.y']"),
        (lambda: karvex.sweep(scenario, runs=2, vary={"Target.mood": ("normal", 0, 1)}), karvex.ScenarioError,
         "vary['Target.mood']: unknown quantity"),
        (lambda: karvex.sweep(scenario, runs=2, settings=["END 4\nTARGET K1"]), ValueError, "settings[0]"),
        (lambda: karvex.sweep(sweep, runs=2), TypeError, "runs defines"),
        (lambda: karvex.sweep(sweep, resume=True), ValueError, "out"),
        (lambda: karvex.envelope(target, carrier="Carrier"), TypeError, "altitudes"),
        (lambda: karvex.envelope(target, carrier="Nobody", altitudes=2500, speeds=230, bearings=0, range=(6000, 8000),
                                 tolerance=50), karvex.ScenarioError, "carrier: no vessel named \"Nobody\""),
        (lambda: karvex.merge(str(tmp_path)), TypeError, "list of shard folders"),
    ]:
        with pytest.raises(error) as caught:
            call()
        assert text in str(caught.value)
    for call, path in [(lambda: karvex.sweep(tmp_path / "none.sweep"), tmp_path / "none.sweep"),
                       (lambda: karvex.envelope(tmp_path / "none.envelope"), tmp_path / "none.envelope"),
                       (lambda: karvex.sweep(lost), tmp_path / "gone.scn"),
                       (lambda: karvex.merge([tmp_path / "file", tmp_path / "gone"]), tmp_path / "gone")]:
        with pytest.raises(FileNotFoundError) as caught:
            call()
        assert (caught.value.errno, caught.value.filename) == (errno.ENOENT, str(path))


def plant(folder, outputs, foreign, victims):
    """Fills folder with a work folder and files of other origin, and links at the names of outputs to
    files in victims; records every foreign byte in foreign."""
    (folder / "work" / "deep").mkdir(parents=True, exist_ok=True)
    files = {folder / "work" / "notes.txt": b"an analyst's notes\n", folder / "work" / "deep" / "keep.bin": b"\0\x01\xff",
             folder / "other.txt": b"not the call's\n"}
    for name in outputs:
        victim = victims / f"{folder.name}-{name}"
        files[victim] = f"a file outside the folder, linked as {name}\n".encode()
        (folder / name).symlink_to(victim)
    for path, data in files.items():
        path.write_bytes(data)
    foreign.update(files)


def saved(scenario, path):
    with karvex.Simulation(scenario) as simulation:
        simulation.run_until(time=1)
        simulation.save(path)


def test_every_call_keeps_what_is_not_its_own(tmp_path):
    victims = tmp_path / "victims"
    victims.mkdir()
    foreign = {}
    safe = SOURCE / "scenarios" / "safe_release.scn"
    rows = [
        ("run", lambda out: karvex.run(safe, out=out), ("Debug.log", "telemetry.csv", "summary.json", "end.scn")),
        ("sweep", lambda out: karvex.sweep(DATA / "small.sweep", jobs=2, out=out),
         ("runs.csv", "summary.json", "runs.partial")),
        ("envelope", lambda out: karvex.envelope(DATA / "small.envelope", out=out), ("envelope.csv", "envelope.json")),
        ("merge", lambda out: karvex.merge([tmp_path / "sweep"], out=out), ("runs.csv", "summary.json")),
        ("scenario", lambda out: karvex.Scenario.load(safe).save(out / "copy.scn"), ("copy.scn",)),
        ("simulation", lambda out: saved(karvex.Scenario.load(safe), out / "saved.scn"), ("saved.scn",)),
    ]
    for name, call, outputs in rows:
        out = tmp_path / name
        out.mkdir()
        plant(out, outputs, foreign, victims)
        call(out)
        for path, data in foreign.items():
            assert path.read_bytes() == data, (name, path)
        for output in outputs:
            assert not (out / output).is_symlink(), (name, output)
        assert [p.name for p in out.rglob("*") if p.name.startswith((".", "karvex-work-"))] == [], name
    assert (tmp_path / "merge" / "runs.csv").read_bytes() == (tmp_path / "sweep" / "runs.csv").read_bytes()
    assert karvex.Scenario.load(tmp_path / "scenario" / "copy.scn") == karvex.Scenario.load(safe)


def test_unmeant_folders_are_refused_with_their_reason(tmp_path):
    (tmp_path / "empty").mkdir()
    nowhere = karvex.Scenario.parse("ZELVAR-STANDIN-SCENARIO 1\nBEGIN_VESSELS\nt:Nowhere\nEND\nEND_VESSELS\n")
    home = os.path.expanduser("~")
    # What is given with an unmeant folder cannot be flown: a refusal that failed could not touch it.
    for call, error, text in [
        (lambda: karvex.sweep(tmp_path / "none.sweep", out="/"), ValueError, "will not write into /, the root folder"),
        (lambda: karvex.envelope(tmp_path / "none.envelope", out=home), ValueError, "the home folder"),
        (lambda: karvex.merge([tmp_path / "empty"], out=SOURCE), ValueError, "the source tree"),
        (lambda: karvex.run(nowhere, out="/"), ValueError, "the root folder"),
        (lambda: karvex.run(nowhere, out=""), ValueError, "no output folder named"),
        (lambda: karvex.sweep(tmp_path / "none.sweep", out=""), ValueError, "no output folder named"),
        (lambda: karvex.run(REFERENCE, modules=""), karvex.ModuleError, "no module folder named (an empty path)"),
        (lambda: karvex.run(REFERENCE, modules=tmp_path / "gone"), karvex.ModuleError,
         f"module folder {tmp_path / 'gone'} does not exist"),
        (lambda: karvex.sweep(DATA / "small.sweep", modules="", out=tmp_path / "s"), karvex.ModuleError,
         "no module folder named"),
    ]:
        with pytest.raises(error) as caught:
            call()
        assert text in str(caught.value)
    assert not (tmp_path / "s").exists()
