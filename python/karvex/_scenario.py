"""Scenario documents: read, edited and written by the engine's own reader and writer."""

from . import _karvex


def _text(value):
    """The text of a line's arguments: numbers in shortest round-trip form, sequences joined by blanks."""
    if isinstance(value, str):
        return value
    if isinstance(value, bool):
        raise TypeError("a scenario line takes numbers and words, not a bool")
    if isinstance(value, int):
        return str(value)
    if isinstance(value, float):
        return repr(value)  # the shortest text that reads back to the same double
    try:
        return " ".join(_text(item) for item in value)
    except TypeError:
        raise TypeError(f"a scenario line cannot hold {value!r}") from None


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


class Block:
    """A scenario's settings, or one vessel's lines.

    Indexing by a key as files write it ("END", "WIND", "POS", "ATT", ...) reads the arguments of the
    block's last line of that key, and assignment makes that line read so (adding it when there is
    none); ``del`` removes every line of the key. Values are numbers, words, or tuples of them, e.g.
    ``vessel["POS"] = (0.0, 2000.0, 0.0)`` (m). ``lines`` lists every line as the file writes it, and
    ``add`` appends one, read as the file reads it. A line that cannot be read raises ScenarioError.
    """

    def __init__(self, document, index):
        self._document = document
        self._index = index

    def __getitem__(self, key):
        text = self._document.get(self._index, key)
        if text is None:
            raise KeyError(key)
        return _value(text)

    def get(self, key, default=None):
        """The value of the last `key` line, or `default` when there is none."""
        text = self._document.get(self._index, key)
        return default if text is None else _value(text)

    def __setitem__(self, key, value):
        self._document.set(self._index, key, _text(value))

    def __delitem__(self, key):
        if self._document.remove(self._index, key) == 0:
            raise KeyError(key)

    def __contains__(self, key):
        try:
            return self._document.get(self._index, key) is not None
        except KeyError:
            return False

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
        """Reads the scenario file `path`."""
        return cls(_karvex.Document.load(str(path)))

    @classmethod
    def parse(cls, text, name="<text>"):
        """Reads `text`, the content of a scenario file; its errors name it `name`."""
        return cls(_karvex.Document(text, name))

    @property
    def path(self):
        """The name errors and summaries give the scenario: its file, or the name it was parsed with."""
        return self._document.path

    @property
    def settings(self):
        """The run's settings (TIME, STEP, END, WATCH, TARGET, PLANET, WIND, TURBULENCE, ...)."""
        return Block(self._document, -1)

    @property
    def vessels(self):
        """The vessels by name, in file order."""
        names = self._document.vessel_names()
        return {name: Vessel(self._document, index) for index, name in enumerate(names)}

    def set(self, quantity, value):
        """Sets `quantity` as a sweep's VARY line names it: "<vessel>.<field>" with field x, y, z (m),
        vx, vy, vz, speed (m/s), heading, pitch, bank (rad), latitude, longitude (deg), altitude (m),
        release (s), release<station> (s, one station's), ripple (s, between a carrier's releases),
        course (deg, over the ground), weave_amplitude (m), weave_period (s) or trigger_range (m), or
        "wind.speed" (m/s at 20 ft), "wind.from" (deg) or "turbulence.seed"."""
        self._document.set_quantity(quantity, float(value))

    def copy(self):
        """A copy to edit apart."""
        return Scenario(self._document.copy())

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
