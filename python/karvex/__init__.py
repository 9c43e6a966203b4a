"""Karvex from Python: edit scenarios, fly them, sweep them and find launch envelopes, in the
engine the karvex program flies, with results as numbers, dicts, numpy arrays and pandas frames.

    import karvex
    scenario = karvex.Scenario.load("scenarios/reference.scn")
    scenario.set("Carrier.heading", 0.02)        # rad, as a sweep's VARY line names it
    result = karvex.run(scenario)
    result.miss_distance                          # m
    result.telemetry_frame()                      # pandas DataFrame, units in the column names

    with karvex.Simulation(scenario) as sim:      # the same flight, stepped from Python
        sim.run_until(event="release")
        sim.state("K1")["mach"]

Every call flies in a world of its own on a thread of its own, with the interpreter's lock
released: several Python threads fly at once, each getting what it would get alone. Errors raise
ScenarioError (a ValueError; "file:line: reason") and ModuleError; outputs that cannot be written
raise OSError.
"""

import os

from ._engine import __version__, _karvex
from ._jobs import envelope, merge, sweep
from ._karvex import ModuleError, ScenarioError
from ._load import load_run
from ._results import EnvelopeResult, Event, RunResult, SweepResult, need_numpy
from ._scenario import Block, Scenario, Vessel
from ._simulation import Simulation, VesselInfo

__all__ = ["Block", "EnvelopeResult", "Event", "MODULES", "ModuleError", "RunResult", "Scenario",
           "ScenarioError", "Simulation", "SweepResult", "Vessel", "VesselInfo", "envelope", "load_run", "merge",
           "run", "sweep"]

MODULES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "modules")
"""The folder of the vessel modules (Karvex.so, Carrier.so) the package flies by default."""


def _modules(modules):
    folder = os.fspath(MODULES if modules is None else modules)
    return os.path.abspath(folder) if folder else folder  # an empty path is refused by name, not taken for here


def _out(out):
    return None if out is None else os.fspath(out)


def _every(telemetry):
    """Every how many telemetry samples a run keeps one: 0 for none."""
    if telemetry is None or telemetry is False:
        return 0
    if telemetry is True:
        return 1
    telemetry = getattr(telemetry, "item", lambda: telemetry)()
    if isinstance(telemetry, bool) or not isinstance(telemetry, int) or telemetry < 1:
        raise ValueError(f"telemetry takes None (keep none) or n >= 1 (keep every nth sample), got {telemetry!r}")
    return telemetry


def run(scenario, modules=None, out=None, telemetry=1):
    """Flies a scenario: a Scenario, or the path of a scenario file (FileNotFoundError when there is none).

    `modules` is the folder of the vessel modules (default: MODULES). With `out`, the run writes
    Debug.log, telemetry.csv, end.scn and summary.json there, as `karvex run` does; without, it
    writes nothing. `telemetry` keeps every sample in memory (1), the first and every nth after it
    (n), or none (None); the file gets every sample whatever it is. Returns a RunResult: outcome,
    impact_east and impact_north (m), miss_distance, closest_approach (m or None),
    time_of_closest_approach (s or None), relative_speed (m/s or None), row (as a sweep's),
    summary (dict), events, telemetry (numpy arrays by column, or None) and telemetry_frame().
    """
    modules, every = _modules(modules), _every(telemetry)
    if isinstance(scenario, Scenario):
        flight = _karvex.fly("", scenario._document, modules, _out(out), every)
    else:
        path = os.fspath(scenario)
        if not os.path.isfile(path):
            raise FileNotFoundError(2, "no scenario file", path)
        flight = _karvex.fly(path, None, modules, _out(out), every)
    return RunResult(flight)
