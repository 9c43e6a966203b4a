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


class Saved:
    """A run's parts held as plain Python values, as a Flight gives them: a run read back from its
    folder, or one unpickled."""

    def __init__(self, numbers, summary_json, events, telemetry, row, written):
        self.__dict__.update(numbers)
        self.summary_json = summary_json
        self.written = written
        self._events, self._telemetry, self._row = events, telemetry, row

    def events(self):
        return self._events

    def telemetry(self):
        return self._telemetry

    def row(self):
        return self._row


_NUMBERS = ("miss_distance", "closest_approach", "time_of_closest_approach", "relative_speed", "end_time")


class RunResult:
    """One run: its outcome, miss distance, closest approach, summary, timeline and telemetry.

    Times in ``summary`` count from the scenario's start (its TIME), except ``time_of_flight_s``,
    which counts from the release; ``row`` gives the run as a sweep's row does, with its lock time
    after the release too.
    """

    def __init__(self, flight):
        self._flight = flight

    @property
    def outcome(self):
        """hit, miss, no_lock, dud or unfinished, as a sweep counts it (the first weapon's in a salvo)."""
        return self.row["outcome"]

    @property
    def impact_east(self):
        """The warhead's ignition point east of the target's centre, in the target's local axes, m;
        None without an ignition."""
        return self.row["impact_east_m"]

    @property
    def impact_north(self):
        """The warhead's ignition point north of the target's centre, in its local axes, m; None without."""
        return self.row["impact_north_m"]

    @functools.cached_property
    def row(self):
        """The run's fields as a sweep's runs.csv names them, outcome first: miss_m, time_of_flight_s
        (from the release), lock_after_release_s, impact_east_m, impact_north_m, ... (None for none)."""
        return self._flight.row()

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
        and the ';'-separated resource and thruster lists), units in the names; None when the run was
        asked to keep none."""
        columns = self._flight.telemetry()
        if not columns:
            return None
        need_numpy()
        return _arrays(columns)

    def telemetry_frame(self):
        """The telemetry as a pandas DataFrame, one row per vessel per sample."""
        if self.telemetry is None:
            raise ValueError("the run kept no telemetry: fly it with telemetry=1 (every sample) or every nth")
        return _frame(self.telemetry)

    def __reduce__(self):
        numbers = {name: getattr(self, name) for name in _NUMBERS}
        saved = Saved(numbers, self._flight.summary_json, list(self.events), self.telemetry, self.row,
                      list(self.written))
        return RunResult, (saved,)

    def __repr__(self):
        return f"<RunResult {self.outcome} miss_distance={self.miss_distance!r} end_time={self.end_time!r}>"


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
