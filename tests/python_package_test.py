"""The karvex Python package against the karvex program: the same engine, the same numbers."""

import concurrent.futures
import csv
import json
import copy
import os
import pathlib
import pickle
import subprocess

import numpy
import pytest

import karvex

SOURCE = pathlib.Path(__file__).resolve().parent.parent
REFERENCE = SOURCE / "scenarios" / "reference.scn"
PROGRAM = os.environ["KARVEX_PROGRAM"]


def program(*arguments):
    subprocess.run([PROGRAM, *map(str, arguments)], check=True, stdout=subprocess.DEVNULL)


def read_csv(path):
    """A CSV file's columns, numbers as float64 where every field is one."""
    with open(path, newline="") as file:
        rows = list(csv.reader(file))
    columns = {}
    for index, name in enumerate(rows[0]):
        fields = [row[index] for row in rows[1:]]
        try:
            columns[name] = numpy.array([float(f) if f else numpy.nan for f in fields])
        except ValueError:
            columns[name] = numpy.array(fields, dtype=object)
    return columns


def assert_same_columns(got, expected):
    assert list(got) == list(expected)
    for name, values in expected.items():
        if values.dtype == object:
            assert list(got[name]) == list(values), name
        else:  # bit for bit, NaN where NaN
            assert numpy.array_equal(numpy.asarray(got[name], dtype=float), values, equal_nan=True), name


def test_run_matches_the_program(tmp_path):
    program("run", REFERENCE, "-o", tmp_path / "program", "-q")
    expected = json.loads((tmp_path / "program" / "summary.json").read_text())

    result = karvex.run(str(REFERENCE))
    assert result.miss_distance == expected["miss_distance_m"]
    assert (result.closest_approach, result.time_of_closest_approach, result.relative_speed) == (
        expected["closest_approach_m"], expected["time_of_closest_approach_s"], expected["relative_speed_m_s"])
    assert result.summary == expected
    assert [(e.time, e.kind, e.text) for e in result.events] == [
        (e["time_s"], e["kind"], e["text"]) for e in expected["events"]]
    assert_same_columns(result.telemetry, read_csv(tmp_path / "program" / "telemetry.csv"))
    assert result.telemetry_frame().shape == (len(result.telemetry["time_s"]), len(result.telemetry))

    written = karvex.run(REFERENCE, out=tmp_path / "python")
    for name in ("telemetry.csv", "summary.json", "end.scn", "Debug.log"):
        assert (tmp_path / "python" / name).read_bytes() == (tmp_path / "program" / name).read_bytes(), name
    assert written.summary == expected


def moved(scenario, latitude):
    scenario = scenario.copy()
    scenario.vessels["Target"]["LOCATION"] = (latitude, 15.0005, 0)
    return scenario


def test_an_edit_in_python_flies_as_the_same_edit_in_a_file(tmp_path):
    scenario = moved(karvex.Scenario.load(REFERENCE), 40.0815)
    assert scenario.vessels["Target"]["LOCATION"] == (40.0815, 15.0005, 0)
    edited = tmp_path / "edited.scn"
    edited.write_text(REFERENCE.read_text().replace("LOCATION 40.0824067 15 0", "LOCATION 40.0815 15.0005 0"))

    in_python, from_file = karvex.run(scenario), karvex.run(edited)
    assert in_python.miss_distance == from_file.miss_distance
    assert in_python.miss_distance != karvex.run(REFERENCE).miss_distance
    assert_same_columns(in_python.telemetry, from_file.telemetry)


def test_threads_fly_apart_and_each_gets_what_it_would_alone():
    base = karvex.Scenario.load(REFERENCE)
    scenarios = [moved(base, latitude) for latitude in (40.0805, 40.0815, 40.0824067, 40.0833)]
    alone = [karvex.run(s) for s in scenarios]
    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        together = list(pool.map(karvex.run, scenarios))
    assert len({r.miss_distance for r in alone}) == 4
    for a, t in zip(alone, together):
        assert t.miss_distance == a.miss_distance
        assert t.events == a.events
        assert_same_columns(t.telemetry, a.telemetry)


# Hostile edits: each is refused with its exception and a message holding the text given, and
# leaves the scenario as it was.
HOSTILE_EDITS = [
    (lambda s: s.vessels["Target"].__setitem__("LOCATION", (95, 15, 0)), karvex.ScenarioError, "latitude"),
    (lambda s: s.set("Target.latitude", 95), karvex.ScenarioError, "Target.latitude = 95"),
    (lambda s: s.set("Target.mood", 1), karvex.ScenarioError, "unknown quantity"),
    (lambda s: s.set("Ghost.x", 1), karvex.ScenarioError, "no vessel named \"Ghost\""),
    (lambda s: s.settings.add("END 1\nBEGIN_VESSELS"), karvex.ScenarioError, "line break"),
    (lambda s: s.vessels["K1"].add("END"), karvex.ScenarioError, "closes a vessel"),
    (lambda s: s.vessels["K1"].add("A\0B"), karvex.ScenarioError, "NUL"),
    (lambda s: s.vessels["K1"].add(" ; only a comment"), karvex.ScenarioError, "empty"),
    (lambda s: s.settings.add("POS 0 0 0"), karvex.ScenarioError, "unknown key \"POS\""),
    (lambda s: s.settings.__setitem__("END", float("nan")), karvex.ScenarioError, "END"),
    (lambda s: s.settings.__setitem__("END", "A" * 65536), karvex.ScenarioError, "END"),
    (lambda s: s.settings.__setitem__("END", True), TypeError, "bool"),
    (lambda s: s.settings.__setitem__("POS", (0, 0, 0)), KeyError, "no settings key \"POS\""),
    (lambda s: s.settings.__setitem__("END 5", 1), KeyError, "END 5"),
    (lambda s: s.vessels["Target"].__delitem__("POS"), KeyError, "POS"),
]


def test_hostile_edits_are_refused_and_change_nothing():
    scenario = karvex.Scenario.load(REFERENCE)
    before = scenario.text
    for edit, error, text in HOSTILE_EDITS:
        with pytest.raises(error) as caught:
            edit(scenario)
        assert text in str(caught.value)
        assert scenario.text == before


def test_errors_name_the_line_the_module_and_the_argument(tmp_path):
    bad = tmp_path / "bad.scn"
    bad.write_text("ZELVAR-STANDIN-SCENARIO 1\nSTEP 0.01\nEND soon\nBEGIN_VESSELS\nEND_VESSELS\n")
    for attempt in (lambda: karvex.Scenario.load(bad), lambda: karvex.run(bad)):
        with pytest.raises(karvex.ScenarioError, match=f"^{bad}:3: ") as caught:
            attempt()
        assert isinstance(caught.value, ValueError)
    with pytest.raises(karvex.ScenarioError, match="^text:3: "):
        karvex.Scenario.parse(bad.read_text(), "text")
    # A name that is not UTF-8 is refused at its line, not met later as a UnicodeDecodeError.
    latin = tmp_path / "latin.scn"
    latin.write_bytes(b"ZELVAR-STANDIN-SCENARIO 1\nBEGIN_VESSELS\nCarri\xe9r:Carrier\nEND\nEND_VESSELS\n")
    for attempt in (lambda: karvex.Scenario.load(latin), lambda: karvex.run(latin), lambda: karvex.Simulation(latin)):
        with pytest.raises(karvex.ScenarioError, match=f"^{latin}:3: not UTF-8 text: byte 0xE9 at column 6$"):
            attempt()

    sweep = SOURCE / "tests" / "data" / "small.sweep"
    (tmp_path / "file").write_text("")
    (tmp_path / "sweep_out").mkdir()
    (tmp_path / "sweep_out" / "summary.json").write_text('{"runs": 3}')
    for call, error, text in [
        (lambda: karvex.run(REFERENCE, modules=tmp_path), karvex.ModuleError, "cannot load module"),
        (lambda: karvex.run(tmp_path / "none.scn"), FileNotFoundError, "none.scn"),
        (lambda: karvex.Scenario.load(tmp_path / "none.scn"), FileNotFoundError, "none.scn"),
        (lambda: karvex.load_run(tmp_path / "none"), FileNotFoundError, "none"),
        (lambda: karvex.load_run(tmp_path / "sweep_out"), ValueError, "not a run's output folder"),
        (lambda: karvex.run(REFERENCE, out=tmp_path / "file"), OSError, "file"),
        (lambda: karvex.sweep(bad), karvex.ScenarioError, f"{bad}:1: "),
        (lambda: karvex.sweep(sweep, jobs=0), ValueError, "jobs"),
        (lambda: karvex.sweep(sweep, shard="3/2"), ValueError, "shard"),
        (lambda: karvex.envelope(sweep), karvex.ScenarioError, "KARVEX-ENVELOPE"),
        (lambda: karvex.merge([]), ValueError, "shard folders"),
        (lambda: karvex.merge([tmp_path]), karvex.ScenarioError, "no readable"),
    ]:
        with pytest.raises(error) as caught:
            call()
        assert text in str(caught.value)


def test_sweep_and_merge_give_the_program_s_rows(tmp_path):
    sweep = SOURCE / "tests" / "data" / "small.sweep"
    program("sweep", sweep, "-o", tmp_path / "program", "--no-plot", "-q")
    expected = read_csv(tmp_path / "program" / "runs.csv")

    whole = karvex.sweep(sweep, jobs=2)
    assert_same_columns(whole.columns, expected)
    assert whole.summary == json.loads((tmp_path / "program" / "summary.json").read_text())
    assert len(whole.runs) == 12 and whole.runs["outcome"].isin(["hit", "miss", "no_lock", "dud", "unfinished"]).all()
    ignited = whole.runs[whole.runs["miss_m"].notna()]
    assert list(whole.runs)[-3:] == ["closest_approach_m", "time_of_closest_approach_s", "relative_speed_m_s"]
    assert len(ignited) and (ignited["closest_approach_m"] <= ignited["miss_m"]).all()
    assert (ignited["relative_speed_m_s"] > 0).all()

    for k in (1, 2):
        karvex.sweep(sweep, shard=f"{k}/2", out=tmp_path / f"shard{k}")
    merged = karvex.merge([tmp_path / "shard2", tmp_path / "shard1"])
    assert_same_columns(merged.columns, expected)
    with pytest.raises(karvex.ScenarioError, match="missing"):
        karvex.merge([tmp_path / "shard1"])

    # A salvo's sweep: each weapon's and each target's columns, as the program writes them.
    salvo = SOURCE / "tests" / "data" / "salvo.sweep"
    program("sweep", salvo, "-o", tmp_path / "salvo", "--no-plot", "-q")
    both = karvex.sweep(salvo)
    assert_same_columns(both.columns, read_csv(tmp_path / "salvo" / "runs.csv"))
    assert list(both.runs)[-2:] == ["K2.friend_lock_after_release_s", "Target.hit"]
    assert both.runs["Target.hit"].isin([0, 1]).all() and both.summary["weapons"] == ["K1", "K2"]


def test_scenarios_copy_compare_and_pickle_and_results_pickle():
    scenario = karvex.Scenario.load(REFERENCE)
    shallow, deep = copy.copy(scenario), copy.deepcopy(scenario)
    assert shallow == scenario == deep and shallow is not scenario
    shallow.settings["END"] = 30
    assert scenario.settings["END"] == 60 and shallow != scenario and deep == scenario
    back = pickle.loads(pickle.dumps(scenario))
    assert back == scenario and back.path == scenario.path

    result = karvex.run(back)
    again = pickle.loads(pickle.dumps(result))
    assert (again.row, again.summary, again.events) == (result.row, result.summary, result.events)
    assert again.row == karvex.run(scenario).row
    assert_same_columns(again.telemetry, result.telemetry)
    sweep = karvex.sweep(SOURCE / "tests" / "data" / "small.sweep")
    assert_same_columns(pickle.loads(pickle.dumps(sweep)).columns, sweep.columns)


def test_numpy_values_are_numbers_and_nan_is_refused_with_its_name():
    scenario, plain = karvex.Scenario.load(REFERENCE), karvex.Scenario.load(REFERENCE)
    scenario.settings["END"], plain.settings["END"] = numpy.int64(40), 40
    scenario.settings["STEP"], plain.settings["STEP"] = numpy.array(0.01), 0.01
    scenario.vessels["Target"]["LOCATION"] = numpy.array([40.0815, 15.0005, 0])
    plain.vessels["Target"]["LOCATION"] = (40.0815, 15.0005, 0)
    scenario.set("Carrier.heading", numpy.float32(0.5))
    plain.set("Carrier.heading", float(numpy.float32(0.5)))
    assert scenario == plain
    for edit, text in [(lambda s: s.set("wind.speed", float("nan")), "wind.speed = nan"),
                       (lambda s: s.vessels["Carrier"].__setitem__("POS", (0, numpy.nan, 0)), "POS = nan")]:
        with pytest.raises(karvex.ScenarioError, match=text):
            edit(scenario)
    assert scenario == plain


def test_blocks_are_mappings_that_reach_every_line(tmp_path):
    scenario = karvex.Scenario.load(SOURCE / "scenarios" / "ripple_salvo.scn")
    settings, carrier = scenario.settings, scenario.vessels["Carrier"]
    assert list(settings) == list(dict(settings)) and len(settings) == len(set(settings))
    assert settings["WATCH"] == ["K1", "K2"] and "WATCH" in settings and "POS" not in settings
    before = scenario.text
    settings["WATCH"] = settings["WATCH"]
    carrier["AT"] = carrier["AT"]
    assert scenario.text == before
    schedule = carrier["AT"]
    assert ("AT", schedule) in carrier.items() and all(isinstance(line, tuple) for line in schedule)
    carrier["AT"] = [line if line[2] != "RELEASE" or line[1] != 1 else (6.5, *line[1:]) for line in schedule]
    releases = [e.time for e in karvex.run(scenario, telemetry=None).events if e.kind == "release"]
    assert releases[1] == pytest.approx(6.5, abs=0.011)
    settings["WATCH"] = "K1"
    assert settings["WATCH"] == "K1" and scenario.text.count("WATCH") == 1


def test_a_carrier_below_the_ground_is_refused():
    scenario = karvex.Scenario.load(REFERENCE)
    scenario.set("Carrier.altitude", -50)
    with pytest.raises(karvex.ScenarioError, match="\"Carrier\" starts 50.00 m below the ground"):
        karvex.run(scenario)


def test_a_run_gives_its_sweep_row_keeps_what_telemetry_it_is_asked_and_loads_back(tmp_path):
    sweep = tmp_path / "one.sweep"
    sweep.write_text(f"KARVEX-SWEEP 1\nSCENARIO {REFERENCE}\nRUNS 1\nSEED 1\nVARY Carrier.heading normal 0 0\n")
    row = {k: v[0] for k, v in karvex.sweep(sweep).columns.items() if k not in ("run", "Carrier.heading_rad")}
    result = karvex.run(REFERENCE, out=tmp_path / "run")
    assert {k: (numpy.nan if v is None else v) for k, v in result.row.items()} == pytest.approx(row, rel=0, abs=0)
    assert (result.outcome, result.impact_east, result.impact_north) == (
        row["outcome"], row["impact_east_m"], row["impact_north_m"])

    every_fifth, none = karvex.run(REFERENCE, telemetry=5), karvex.run(REFERENCE, telemetry=None)
    times = numpy.unique(result.telemetry["time_s"])
    assert numpy.array_equal(numpy.unique(every_fifth.telemetry["time_s"]), times[::5])
    assert none.telemetry is None and none.row == result.row

    for name in ("reference.scn", "crossing_target.scn"):
        flown = karvex.run(SOURCE / "scenarios" / name, out=tmp_path / name)
        loaded = karvex.load_run(tmp_path / name)
        assert (loaded.summary, loaded.events) == (flown.summary, flown.events)
        # the target's centre at ignition comes back from the telemetry, to its rounding
        assert loaded.row == pytest.approx(flown.row, rel=0, abs=1e-12)
        assert_same_columns(loaded.telemetry, flown.telemetry)
