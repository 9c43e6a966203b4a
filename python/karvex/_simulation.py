"""A flight stepped from Python: step it, read every vessel's state, command it, steer it, save it."""

import collections
import json
import math
import numbers
import os
import tempfile

from . import _karvex
from ._results import Event, RunResult, _arrays
from ._scenario import Scenario

VesselInfo = collections.namedtuple("VesselInfo", "name class_name motion")
VesselInfo.__doc__ = ("A live vessel: its name, its module's class (\"\" for a plain body) and its motion: dynamic, "
                      "kinematic, pinned, landed, or attached while a parent holds it.")


def _number(value, what):
    if isinstance(value, bool) or not isinstance(value, numbers.Real) or not math.isfinite(value):
        raise ValueError(f"{what} takes a finite number, got {value!r}")
    return repr(float(value))


class Simulation(_karvex.Simulation):
    """A flight opened from a scenario and flown frame by frame from Python, in a world of its own
    on a thread of its own.

        with karvex.Simulation("scenarios/reference.scn") as sim:
            sim.run_until(event="release")
            k1 = sim.state("K1")                  # a record: k1["vel_m_s"], k1["mach"], ...
            sim.set_course("Carrier", 90, 230)    # a kinematic vessel, steered
            sim.run_until(time=30)
            result = sim.result()                 # a RunResult, as karvex.run gives it

    `scenario` is a Scenario or the path of a scenario file (FileNotFoundError when there is none);
    `modules` the folder of the vessel modules (default: MODULES); `telemetry` keeps every sample
    (1), the first and every nth after it (n), or none (None). Flown to its end, a simulation gives
    the telemetry, events and summary karvex.run gives, to the bit.

    ``step(n)`` flies n frames and ``run_until(...)`` until a time, an event or a condition;
    ``state()`` gives every live vessel's state as one numpy structured array (``STATE_DTYPE``,
    SI units in the field names), ``state(name)`` one vessel's record; ``on_frame(callback)``
    calls callback(simulation) after every frame, on the simulation's thread, where its calls run
    at once. ``close()`` (or the end of a ``with`` block) ends it; every call after raises
    ValueError. An unknown vessel raises KeyError; a refused call ValueError, with the reason;
    Ctrl-C stops a stepping call with KeyboardInterrupt, and the simulation flies on from there.
    One Python thread at a time may use a simulation; several simulations fly at once.
    """

    STATE_DTYPE = _karvex.READOUT_DTYPE
    """The dtype of state()'s records: float64 fields (pos_m, vel_m_s, ... as (3,) arrays), thruster_count int64."""

    def __init__(self, scenario, modules=None, telemetry=1):
        from . import _every, _modules  # the package's, set once it is imported

        modules, every = _modules(modules), _every(telemetry)
        if isinstance(scenario, Scenario):
            self._name = scenario.path
            super().__init__("", scenario._document, modules, every)
        else:
            path = os.fspath(scenario)
            if not os.path.isfile(path):
                raise FileNotFoundError(2, "no scenario file", path)
            self._name = path
            super().__init__(path, None, modules, every)

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()

    def __repr__(self):
        try:
            return f"<Simulation {self._name!r} at {self.time:.3f} s>"
        except (ValueError, RuntimeError):
            return f"<Simulation {self._name!r}, closed>"

    def run_until(self, time=None, event=None, vessel=None, condition=None):
        """Flies until simulation time `time` (s), event `event` (of `vessel` when given: "release",
        "lock", "ignition", "impact", "gone", or a timeline kind such as "command" or "key"), or
        condition(simulation) is true after a frame: exactly one of the three. True when it came,
        False when the flight ended first."""
        if sum(given is not None for given in (time, event, condition)) != 1:
            raise TypeError("run_until takes exactly one of time, event and condition")
        if vessel is not None and event is None:
            raise TypeError("run_until takes a vessel only with an event")
        if time is not None:
            return self._until_time(float(time))
        if event is not None:
            return self._until_event(event, "" if vessel is None else vessel)
        return self._until(condition)

    @property
    def vessels(self):
        """The live vessels in order (the order of state()'s records), each a VesselInfo."""
        return [VesselInfo(*vessel) for vessel in self._vessels()]

    def state_dict(self):
        """Every live vessel's state by field: views of one structured array, a row per vessel."""
        records = self.state()
        return {name: records[name] for name in records.dtype.names}

    def events(self):
        """The timeline's events since the last call (since opening, at the first): a list of Event."""
        return [Event(time, kind, text, vessel or None) for time, kind, text, vessel in self._new_events()]

    def steer(self, vessel, lines):
        """Gives kinematic `vessel` the steering that `lines` describe (a string, or a list of them):
        the scenario's COURSE, ROUTE, WAYPOINT, WEAVE, TRIGGER and REACTION lines, in place of its
        own. Without a COURSE line it goes on along its track at its speed."""
        self._steer(vessel, lines if isinstance(lines, str) else "\n".join(lines))

    def set_course(self, vessel, course, speed, acceleration=None):
        """Steers kinematic `vessel` onto `course` (deg clockwise from north, over the ground) at
        `speed` (m/s), its speed changing at `acceleration` (m/s^2) when given; the course is taken
        at once."""
        line = f"COURSE {_number(course, 'course')} {_number(speed, 'speed')}"
        if acceleration is not None:
            line += f" {_number(acceleration, 'acceleration')}"
        self.steer(vessel, line)

    def turn(self, vessel, course=None, by=None, rate=None, acceleration=None, speed=None):
        """Turns kinematic `vessel` from its track onto `course` (deg), or `by` degrees (to the right
        when above 0, to the left below), at `rate` (deg/s) or at the rate that gives lateral
        `acceleration` (m/s^2), and on to `speed` (m/s) when given; it starts at the next frame."""
        if (course is None) == (by is None) or (rate is None) == (acceleration is None):
            raise TypeError("turn takes one of course and by, and one of rate and acceleration")
        if course is not None:
            side = f"to {_number(course, 'course')}"
        else:
            side = f"{'right' if by > 0 else 'left'} {_number(abs(by), 'by')}"
        how = f"rate {_number(rate, 'rate')}" if rate is not None else f"accel {_number(acceleration, 'acceleration')}"
        reaction = f"REACTION turn {side} {how}" + ("" if speed is None else f" {_number(speed, 'speed')}")
        self.steer(vessel, [f"TRIGGER time {self.time!r}", reaction])

    def save(self, path=None):
        """Writes the flight as it stands to the scenario file `path`; loaded, it flies on to the same
        bits. Returns it as a Scenario: loaded from `path`, or without one, named as this
        simulation's scenario."""
        if path is not None:
            return Scenario.load(self._save(os.fspath(path)))
        with tempfile.TemporaryDirectory(prefix="karvex-") as folder:
            with open(self._save(os.path.join(folder, "saved.scn"))) as saved:
                return Scenario.parse(saved.read(), self._name)

    def summary(self):
        """What summary.json would hold if the run ended now, as a dict."""
        return json.loads(self._summary_json())

    def result(self):
        """The flight so far as a RunResult, as karvex.run gives a whole run."""
        return RunResult(self._flight())

    def telemetry(self):
        """The telemetry kept so far by column, as RunResult.telemetry gives it; None when the
        simulation keeps none."""
        columns = self._telemetry()
        return _arrays(columns) if columns else None

    def close(self):
        """Ends the flight and frees its world; its RunResult, as karvex.run would give it (None
        when it was closed already)."""
        flight = super().close()
        return None if flight is None else RunResult(flight)
