"""What runs, sweeps and envelopes give back: numbers, dicts and numpy arrays, and pandas frames."""

import collections
import functools
import importlib
import json

Event = collections.namedtuple("Event", "time kind text vessel")
Event.__doc__ = "One line of a run's timeline: its simulation time (s), kind, text and vessel (None for none)."


def _need(module, package):
    try:
        return importlib.import_module(module)
    except ImportError as error:
        raise ImportError(f"this needs {module}: Debian's {package}, for /usr/bin/python3") from error


def _frame(columns):
    return _need("pandas", "python3-pandas").DataFrame(columns)


def need_numpy():
    """numpy, or an ImportError that says where to get it."""
    return _need("numpy", "python3-numpy")


def _arrays(columns):
    numpy = need_numpy()
    return {name: values if isinstance(values, numpy.ndarray) else numpy.array(values, dtype=object)
            for name, values in columns.items()}


class RunResult:
    """One run: its miss distance, closest approach, summary, timeline and telemetry."""

    def __init__(self, flight):
        self._flight = flight

    @property
    def miss_distance(self):
        """From warhead ignition to the target's centre, m; None when the run has no ignition or no target."""
        return self._flight.miss_distance

    @property
    def closest_approach(self):
        """The least distance between the missile's and the target's centres after release, m, with the
        straight relative motion within each frame; None when the missile was never released or there is
        no target."""
        return self._flight.closest_approach

    @property
    def time_of_closest_approach(self):
        """The simulation time of the closest approach, s; None without it."""
        return self._flight.time_of_closest_approach

    @property
    def relative_speed(self):
        """The missile's speed relative to the target at warhead ignition, m/s; None when the run has no
        ignition or no target."""
        return self._flight.relative_speed

    @property
    def end_time(self):
        """The simulation time the run stopped at, s."""
        return self._flight.end_time

    @property
    def written(self):
        """The paths of the files the run wrote (none without `out`)."""
        return self._flight.written

    @functools.cached_property
    def summary(self):
        """The content of the run's summary.json, as a dict."""
        return json.loads(self._flight.summary_json)

    @functools.cached_property
    def events(self):
        """The timeline: a list of Event (time, kind, text, vessel)."""
        return [Event(time, kind, text, vessel or None) for time, kind, text, vessel in self._flight.events()]

    @functools.cached_property
    def telemetry(self):
        """The columns of telemetry.csv by name, as numpy arrays (float64; object for the vessel's name
        and the ';'-separated resource and thruster lists). Units are in the names."""
        need_numpy()
        return _arrays(self._flight.telemetry())

    def telemetry_frame(self):
        """The telemetry as a pandas DataFrame, one row per vessel per sample."""
        return _frame(self.telemetry)

    def __repr__(self):
        return f"<RunResult miss_distance={self.miss_distance!r} end_time={self.end_time!r}>"


class _JobResult:
    """What a sweep's or an envelope's files hold: their rows' columns and their summary."""

    def __init__(self, columns, summary, out):
        self.columns = _arrays(columns)
        self.summary = json.loads(summary)
        self.out = out


class SweepResult(_JobResult):
    """A sweep (or a merge of its shards): its runs and its summary.

    ``columns`` holds runs.csv's columns by name as numpy arrays, ``runs`` the same as a DataFrame,
    ``summary`` the content of summary.json as a dict, and ``out`` the folder its files were
    written to (None when none was asked for).
    """

    @functools.cached_property
    def runs(self):
        """The rows of runs.csv as a pandas DataFrame, one per run in run order."""
        return _frame(self.columns)

    def __repr__(self):
        return f"<SweepResult {len(self.columns['run'])} runs>"


class EnvelopeResult(_JobResult):
    """An envelope (or a merge of its shards): its hit intervals and its summary.

    ``columns`` holds envelope.csv's columns by name as numpy arrays, ``intervals`` the same as a
    DataFrame, ``summary`` the content of envelope.json as a dict, and ``out`` the folder its files
    were written to (None when none was asked for).
    """

    @functools.cached_property
    def intervals(self):
        """The rows of envelope.csv as a pandas DataFrame: each release condition's and bearing's hit
        intervals (interval 0 with no ranges when nothing hit)."""
        return _frame(self.columns)

    def __repr__(self):
        return f"<EnvelopeResult {len(self.columns['interval'])} rows>"
