"""A run's output folder, as the karvex program or run(..., out=...) wrote it, read back into a RunResult."""

import csv
import json
import math
import os

from ._results import Event, RunResult, Saved, need_numpy

_FILES = ("Debug.log", "telemetry.csv", "end.scn", "summary.json")
_TEXT_COLUMNS = ("vessel", "resources_kg", "thruster_levels")


def _telemetry(path):
    """telemetry.csv's columns as numpy arrays, as a run keeps them: float64, or str objects."""
    numpy = need_numpy()
    with open(path, newline="") as file:
        rows = list(csv.reader(file))
    columns = {}
    for index, name in enumerate(rows[0]):
        fields = [row[index] for row in rows[1:]]
        columns[name] = (numpy.array(fields, dtype=object) if name in _TEXT_COLUMNS
                         else numpy.array([float(f) for f in fields]))
    return columns


def _outcome(summary):
    """The outcome as a sweep counts it, from the milestones, the miss and the target's size."""
    if summary.get("weapons"):
        return summary["weapons"][0]["outcome"]
    marks, miss = summary["milestones"], summary["miss_distance_m"]
    if "lock" not in marks:
        return "no_lock"
    if "ignition" not in marks:
        return "unfinished" if "removal" not in marks and "impact" not in marks else "dud"
    return "hit" if miss is not None and miss <= summary["target_size_m"] else "miss"


def _at(times, values, time):
    """`values` (sampled at `times`) at `time`, straight between the samples either side."""
    numpy = need_numpy()
    return float(numpy.interp(time, times, values))


def _impact(summary, telemetry):
    """The ignition point east and north of the target's centre in the target's local axes, m, the
    target's centre taken straight between the telemetry's samples either side of the ignition;
    None without an ignition, a target or telemetry."""
    ignition, target = summary.get("ignition"), summary.get("target")
    if ignition is None or target is None or telemetry is None or summary["miss_distance_m"] is None:
        return None, None
    rows = telemetry["vessel"] == target
    times, time = telemetry["time_s"][rows], ignition["time_s"]
    if not len(times):
        return None, None
    x, y, z = (_at(times, telemetry[c][rows], time) for c in ("x_m", "y_m", "z_m"))
    offset = [p - q for p, q in zip(ignition["position_m"], (x, y, z))]
    if "latitude_deg" not in ignition:  # the flat ground's axes are east, up, north
        return offset[0], offset[2]
    # Over the round planet y points to the north pole: the local axes at the target's latitude
    # and its longitude in the global axes.
    phi, lam = math.radians(_at(times, telemetry["latitude_deg"][rows], time)), math.atan2(z, x)
    east = (-math.sin(lam), 0.0, math.cos(lam))
    north = (-math.sin(phi) * math.cos(lam), math.cos(phi), -math.sin(phi) * math.sin(lam))
    return (sum(a * b for a, b in zip(offset, east)), sum(a * b for a, b in zip(offset, north)))


def _none(value):
    return None if value is None or (isinstance(value, float) and math.isnan(value)) else value


def load_run(folder):
    """Reads the output folder of a run (summary.json, and telemetry.csv when it is there) into a
    RunResult, as run(..., out=folder) returned it; FileNotFoundError when the folder or its
    summary.json is missing. Its impact east and north take the target's centre at ignition
    straight between the telemetry's samples either side."""
    folder = os.fspath(folder)
    summary_path = os.path.join(folder, "summary.json")
    if not os.path.isdir(folder):
        raise FileNotFoundError(2, "no run folder", folder)
    if not os.path.isfile(summary_path):
        raise FileNotFoundError(2, "no summary.json in the run folder", summary_path)
    try:
        return _read(folder, summary_path)
    except (KeyError, TypeError, ValueError, IndexError) as error:
        raise ValueError(f"{folder} is not a run's output folder: {type(error).__name__} {error}") from error


def _read(folder, summary_path):
    with open(summary_path, encoding="utf-8") as file:
        text = file.read()
    summary = json.loads(text)
    telemetry_path = os.path.join(folder, "telemetry.csv")
    telemetry = _telemetry(telemetry_path) if os.path.isfile(telemetry_path) else None
    marks = summary["milestones"]
    east, north = _impact(summary, telemetry)
    release = marks.get("release")
    row = {"outcome": _outcome(summary), "miss_m": summary["miss_distance_m"],
           "time_of_flight_s": summary["time_of_flight_s"],
           "lock_after_release_s": marks["lock"] - release if release is not None and "lock" in marks else None,
           "impact_east_m": east, "impact_north_m": north,
           "closest_approach_m": summary["closest_approach_m"],
           "time_of_closest_approach_s": summary["time_of_closest_approach_s"],
           "relative_speed_m_s": summary["relative_speed_m_s"]}
    numbers = {"miss_distance": summary["miss_distance_m"], "closest_approach": summary["closest_approach_m"],
               "time_of_closest_approach": summary["time_of_closest_approach_s"],
               "relative_speed": summary["relative_speed_m_s"], "end_time": summary["end_time_s"]}
    events = [Event(e["time_s"], e["kind"], e["text"], e["vessel"]) for e in summary["events"]]
    written = [os.path.join(folder, name) for name in _FILES if os.path.isfile(os.path.join(folder, name))]
    return RunResult(Saved({k: _none(v) for k, v in numbers.items()}, text, events, telemetry, row, written))
