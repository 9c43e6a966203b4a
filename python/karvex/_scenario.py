"""Scenario documents: read, edited and written by the engine's own reader and writer."""

import collections.abc
import math
import numbers
import os

from . import _karvex


def _scalar(value):
    """A numpy 0-d array's or scalar's Python value; anything else as it is."""
    if getattr(value, "ndim", None) == 0 and hasattr(value, "item"):
        return value.item()
    return value


def _text(value, key):
    """The text of a line's arguments: numbers in shortest round-trip form, sequences (tuples, numpy
    arrays) joined by blanks. NaN is refused with the key it was meant for."""
    value = _scalar(value)
    if isinstance(value, str):
        return value
    if isinstance(value, bool):
        raise TypeError(f"{key}: a scenario line takes numbers and words, not a bool")
    if isinstance(value, numbers.Integral):
        return str(int(value))
    if isinstance(value, numbers.Real):
        number = float(value)
        if math.isnan(number):
            raise _karvex.ScenarioError(f"{key} = nan: not a number")
        return repr(number)  # the shortest text that reads back to the same double
    try:
        return " ".join(_text(item, key) for item in value)
    except TypeError as error:
        if "bool" in str(error):
            raise
        raise TypeError(f"{key}: a scenario line cannot hold {value!r}") from None


def _number(value, quantity):
    """`value` as a float: a Python or numpy number, a 0-d array or a one-element array."""
    value = _scalar(value)
    if getattr(value, "shape", None) == (1,):
        value = _scalar(value[0])
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError(f"{quantity} takes a number, got {value!r}")
    return float(value)


def _word(word):
    for kind in (int, float):
        try:
            return kind(word)
        except ValueError:
            pass
    return word


def _value(text):
    """A line's arguments as Python: one value alone, several as a tuple; whole numbers int, other numbers float, words str."""
    values = tuple(_word(word) for word in text.split())
    return values[0] if len(values) == 1 else values


class Block(collections.abc.MutableMapping):
    """A scenario's settings, or one vessel's lines, as a mapping from each key, as files write it
    ("END", "WATCH", "POS", "ATT", or a module's own such as a carrier's "AT"), to its lines' arguments.

    A key with one line gives that line's arguments: a number, a word, or a tuple of them, e.g.
    ``vessel["POS"]`` is ``(0.0, 2000.0, 0.0)`` (m). A key with several lines (a salvo's WATCH
    lines, a carrier's AT schedule) gives a list, one item per line. Assigning a list writes one
    line per item; anything else (a number, a word, a tuple or a numpy array) writes one line; the
    key's lines are replaced in place, and a key the block lacks is added. ``del`` removes every line
    of the key. ``lines`` lists every line as the file writes it, and ``add`` appends one. A line
    that cannot be read raises ScenarioError and changes nothing.
    """

    def __init__(self, document, index):
        self._document = document
        self._index = index

    def __getitem__(self, key):
        if not isinstance(key, str):
            raise KeyError(key)
        values = [_value(text) for text in self._document.values(self._index, key)]
        if not values:
            raise KeyError(key)
        return values[0] if len(values) == 1 else values

    def __setitem__(self, key, value):
        items = value if isinstance(value, list) else [value]
        self._document.put(self._index, key, [_text(item, key) for item in items])

    def __delitem__(self, key):
        if self._document.remove(self._index, key) == 0:
            raise KeyError(key)

    def __contains__(self, key):
        try:
            return bool(self._document.values(self._index, key))
        except (KeyError, TypeError):
            return False

    def __iter__(self):
        return iter(self._document.keys(self._index))

    def __len__(self):
        return len(self._document.keys(self._index))

    @property
    def lines(self):
        """Every line of the block, in order, as the file writes it."""
        return self._document.lines(self._index)

    def add(self, line):
        """Appends `line` (a host line, or for a vessel any line of its module's)."""
        self._document.add(self._index, line)

    def __repr__(self):
        return f"<{type(self).__name__} {self.lines!r}>"


class Vessel(Block):
    """One vessel of a scenario: its name, its module class ("" for a plain body) and its lines."""

    @property
    def name(self):
        return self._document.vessel_names()[self._index]

    @property
    def class_name(self):
        return self._document.vessel_class(self._index)

    def __repr__(self):
        return f"<Vessel {self.name}:{self.class_name} {self.lines!r}>"


class Scenario:
    """A scenario document: its settings and its vessels, each read and set in Python.

    ``Scenario.load(path)`` reads a scenario file and ``Scenario.parse(text)`` its text; both raise
    ScenarioError with "file:line: reason" for a line they cannot read. ``settings`` and
    ``vessels["<name>"]`` are Blocks; ``set("<vessel>.<field>", value)`` sets a quantity as a
    sweep's VARY line names it; ``save(path)`` writes the file, and ``text`` is its text.
    """

    def __init__(self, document):
        self._document = document

    @classmethod
    def load(cls, path):
        """Reads the scenario file `path`; FileNotFoundError when there is none."""
        path = os.fspath(path)
        if not os.path.isfile(path):
            raise FileNotFoundError(2, "no scenario file", path)
        return cls(_karvex.Document.load(path))

    @classmethod
    def parse(cls, text, name="<text>"):
        """Reads `text`, the content of a scenario file; its errors name it `name`."""
        return cls(_karvex.Document(text, os.fspath(name)))

    @property
    def path(self):
        """The name errors and summaries give the scenario: its file, or the name it was parsed with."""
        return self._document.path

    @property
    def settings(self):
        """The run's settings (TIME, STEP, END, WATCH, TARGET, PLANET, WIND, TURBULENCE, ...), a Block."""
        return Block(self._document, -1)

    @property
    def vessels(self):
        """The vessels by name, in file order: each a Vessel, a Block of its lines."""
        names = self._document.vessel_names()
        return {name: Vessel(self._document, index) for index, name in enumerate(names)}

    def set(self, quantity, value):
        """Sets `quantity` as a sweep's VARY line names it: "<vessel>.<field>" with field x, y, z (m),
        vx, vy, vz, speed (m/s), heading, pitch, bank (rad), latitude, longitude (deg), altitude (m),
        release (s), release<station> (s, one station's), ripple (s, between a carrier's releases),
        course (deg, over the ground), weave_amplitude (m), weave_period (s) or trigger_range (m), or
        "wind.speed" (m/s at 20 ft), "wind.from" (deg) or "turbulence.seed"."""
        self._document.set_quantity(quantity, _number(value, quantity))

    def copy(self):
        """A copy to edit apart."""
        return Scenario(self._document.copy())

    __copy__ = copy

    def __deepcopy__(self, memo):
        return self.copy()

    def __eq__(self, other):
        """Scenarios are equal when their files would read the same, whatever their names."""
        return isinstance(other, Scenario) and self.text == other.text

    __hash__ = None  # edited in place

    def __reduce__(self):
        return Scenario.parse, (self.text, self.path)

    @property
    def text(self):
        """The scenario as the text of a file."""
        return self._document.text()

    def save(self, path):
        """Writes the scenario to the file `path`."""
        self._document.save(str(path))

    def __str__(self):
        return self.text

    def __repr__(self):
        return f"<Scenario {self.path!r}: {len(self._document.vessel_names())} vessels>"
