"""Sweeps, envelopes and merges: defined by their files or by a Scenario and keywords, their progress
passed to a callback, a notebook's bar or the "karvex" logger, and stopped by Ctrl-C."""

import collections.abc
import errno
import importlib.util
import logging
import numbers
import os
import sys
import time

from . import _karvex
from ._results import EnvelopeResult, SweepResult, need_numpy
from ._scenario import Scenario, _scalar, _text

_LOG = logging.getLogger("karvex")


def _package():
    return sys.modules[__package__]  # read at each call, so that a change to karvex.MODULES counts


def _jobs(jobs):
    if jobs is None:
        return 0
    jobs = _scalar(jobs)
    if isinstance(jobs, bool) or not isinstance(jobs, numbers.Integral) or jobs < 1:
        raise ValueError(f"jobs takes a whole number from 1, got {jobs!r}")
    return int(jobs)


def _shard(shard):
    """(K, N) from "K/N", (K, N) or None (the whole job)."""
    if shard is None:
        return 1, 1
    if isinstance(shard, str):
        k, slash, n = shard.partition("/")
        if slash and k.isdigit() and n.isdigit():
            shard = int(k), int(n)
    if (isinstance(shard, tuple) and len(shard) == 2 and all(isinstance(x, int) for x in shard)
            and 1 <= shard[0] <= shard[1]):
        return shard
    raise ValueError(f"shard takes \"K/N\" or (K, N) with 1 <= K <= N, got {shard!r}")


# The words of a definition's lines, each from its keyword's value; TypeError or ValueError name it.

def _whole(name, value):
    value = _scalar(value)
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise TypeError(f"{name} takes a whole number, got {value!r}")
    return str(int(value))


def _number(name, value):
    value = _scalar(value)
    if isinstance(value, numbers.Integral):
        return _whole(name, value)
    if not isinstance(value, numbers.Real):
        raise TypeError(f"{name} takes a number, got {value!r}")
    return repr(float(value))  # the shortest text that reads back to the same double


def _numbers(name, value):
    value = _scalar(value)
    if isinstance(value, numbers.Real):
        return _number(name, value)
    if isinstance(value, (str, bytes)) or not isinstance(value, collections.abc.Iterable):
        raise TypeError(f"{name} takes a number or a sequence of numbers, got {value!r}")
    return " ".join(_number(name, item) for item in value)


def _interval(name, value):
    if isinstance(value, (str, bytes)) or not isinstance(value, collections.abc.Sequence) or len(value) != 2:
        raise TypeError(f"{name} takes (nearest, farthest), m, got {value!r}")
    return f"{_number(name, value[0])} {_number(name, value[1])}"


def _word(name, value):
    if not isinstance(value, str):
        raise TypeError(f"{name} takes a str, got {value!r}")
    return value


# An envelope's keywords in its file's order, each with what makes its line's words.
_ENVELOPE = {"carrier": _word, "altitudes": _numbers, "speeds": _numbers, "target_speeds": _numbers,
             "target_courses": _numbers, "bearings": _numbers, "range": _interval, "tolerance": _number,
             "scan": _number, "probability": _number, "confidence": _number, "runs": _whole, "seed": _whole}
_ENVELOPE_NEEDS = ("carrier", "altitudes", "speeds", "bearings", "range", "tolerance")
_SWEEP = {"runs": _whole, "seed": _whole}


def _vary(vary):
    if not isinstance(vary, collections.abc.Mapping):
        raise TypeError(f"vary takes a mapping of quantity to (\"normal\", mean, deviation) or (\"uniform\", low, "
                        f"high), got {vary!r}")
    for quantity, law in vary.items():
        place = f"vary[{quantity!r}]"
        if not isinstance(quantity, str):
            raise TypeError(f"vary takes quantities as str, got {quantity!r}")
        if isinstance(law, str) or not isinstance(law, collections.abc.Sequence) or len(law) != 3:
            raise TypeError(f"{place} takes (\"normal\", mean, deviation) or (\"uniform\", low, high), got {law!r}")
        if law[0] not in ("normal", "uniform"):
            raise ValueError(f"{place} takes the distribution \"normal\" or \"uniform\", got {law[0]!r}")
        yield f"VARY {quantity} {law[0]} {_number(place, law[1])} {_number(place, law[2])}", place


def _settings(settings):
    if isinstance(settings, collections.abc.Mapping):
        for key, value in settings.items():
            yield f"SETTING {_word('settings', key)} {_text(value, f'settings[{key!r}]')}", f"settings[{key!r}]"
    elif isinstance(settings, (list, tuple)):
        for index, line in enumerate(settings):
            yield f"SETTING {_word(f'settings[{index}]', line)}", f"settings[{index}]"
    else:
        raise TypeError(f"settings takes a mapping of key to value or a list of settings lines, got {settings!r}")


def _definition(scenario, magic, suffix, words, needs, definition):
    """The arguments of _karvex.sweep and .envelope that say what it flies: (name, document, lines,
    places) for a Scenario with `definition`'s keywords, each turned into its line by `words`."""
    unknown = set(definition) - set(words) - {"vary", "settings"}
    if unknown:
        raise TypeError(f"unknown keyword {sorted(unknown)[0]!r}: expected {', '.join([*words, 'vary', 'settings'])}")
    if not isinstance(scenario, Scenario):
        if definition:
            raise TypeError(f"{next(iter(definition))} defines the job with a Scenario; the file "
                            f"{os.fspath(scenario)} gives its own")
        return os.fspath(scenario), None, [], []
    missing = [name for name in needs if definition.get(name) is None]
    if missing:
        raise TypeError(f"with a Scenario this needs {', '.join(missing)}")
    name = os.path.splitext(os.path.basename(scenario.path))[0] + suffix
    lines = [(magic, name)]
    lines += [(f"{key.upper()} {make(key, definition[key])}", key) for key, make in words.items()
              if definition.get(key) is not None]
    lines += _settings(definition.get("settings") or {})
    lines += _vary(definition.get("vary") or {})
    for line, place in lines:
        if any(c in line for c in "\r\n\0;"):
            raise ValueError(f"{place} holds a line break, a NUL or a ';', which the line cannot")
    return name, scenario._document, [line for line, _ in lines], [place for _, place in lines]


class _Log:
    """Progress as messages of the "karvex" logger at INFO: every few seconds, and the last."""

    EVERY = 5.0  # s

    def __init__(self, job, things):
        self.job, self.things = job, things
        self.start = self.shown = time.monotonic()
        self.first = None

    def __call__(self, done, total):
        now = time.monotonic()
        if self.first is None:
            self.first = done  # a resumed sweep's rate counts only the runs it flies
        if done < total and now - self.shown < self.EVERY:
            return
        self.shown = now
        rate = (done - self.first) / (now - self.start) if now > self.start else 0.0
        left = (total - done) / rate if rate > 0 else 0.0
        _LOG.info("%s: %d/%d %s, %.1f %s/s, %.0f s left", self.job, done, total, self.things, rate, self.things,
                  left)


class _Bar:
    """Progress as a notebook's bar."""

    def __init__(self, things):
        self.things, self.bar = things, None

    def __call__(self, done, total):
        if self.bar is None:
            import tqdm.auto
            self.bar = tqdm.auto.tqdm(total=total, initial=done, unit=self.things[:-1])
        self.bar.update(done - self.bar.n)

    def close(self):
        if self.bar is not None:
            self.bar.close()


def _notebook():
    """Whether an IPython kernel runs this (a notebook's cell) and tqdm is there to draw a bar."""
    ipython = sys.modules.get("IPython")
    shell = ipython.get_ipython() if ipython is not None else None
    return hasattr(shell, "kernel") and importlib.util.find_spec("tqdm") is not None


def _reporter(progress, job, things):
    """What the engine passes (done, total) to, or None."""
    if progress is None or progress is False:
        return None
    if progress is True:
        return _Bar(things) if _notebook() else _Log(job, things)
    if callable(progress):
        return progress
    raise TypeError(f"progress takes False, None, True or a callable progress(done, total), got {progress!r}")


def _fly(call, progress, job, things, *arguments):
    """`call`(*arguments, reporter), the progress passed on as `progress` asks."""
    need_numpy()
    reporter = _reporter(progress, job, things)
    try:
        return call(*arguments, reporter)
    finally:
        if isinstance(reporter, _Bar):
            reporter.close()


def sweep(path, jobs=None, shard=None, out=None, modules=None, progress=False, resume=False, **definition):
    """Flies a sweep on `jobs` threads (default: one per core), or only shard "K/N" of its runs: the
    sweep file `path`, or a Scenario with the definition as keywords, as the file's lines give it:
    runs, seed, vary (quantity -> ("normal", mean, deviation) or ("uniform", low, high)) and settings
    (key -> value, or a list of settings lines). A Scenario's sweep is named after it ("reference.sweep"
    for "reference.scn"). With `out`, writes runs.csv and summary.json there as `karvex sweep` does;
    a sweep stopped by Ctrl-C keeps its finished runs there, and `resume=True` flies only the rest.
    `progress`: False or None for none, a callable progress(done, total) called on this thread, or
    True for a notebook's bar or the "karvex" logger's messages. Returns a SweepResult: runs
    (DataFrame), columns (numpy arrays) and summary (dict)."""
    k, n = _shard(shard)
    if resume and out is None:
        raise ValueError("resume takes the folder a stopped sweep wrote: give it as out")
    package = _package()
    given = _definition(path, "KARVEX-SWEEP 1", ".sweep", _SWEEP, ("runs",), definition)
    columns, summary = _fly(_karvex.sweep, progress, "sweep", "runs", *given, package._modules(modules),
                            package._out(out), _jobs(jobs), k, n, bool(resume))
    return SweepResult(columns, summary, package._out(out))


def envelope(path, jobs=None, shard=None, out=None, modules=None, progress=False, **definition):
    """Computes a launch envelope on `jobs` threads (default: one per core), or only shard "K/N" of
    its bearings: the envelope file `path`, or a Scenario with the definition as keywords, one for
    each of the file's lines: carrier, altitudes, speeds, bearings, range (nearest, farthest), tolerance
    (these needed), scan, target_speeds, target_courses, probability, confidence, runs, seed, vary and
    settings, as for a sweep. A Scenario's envelope is named after it. With `out`, writes envelope.csv
    and envelope.json there as `karvex envelope` does. `progress` as for a sweep, counting bearings.
    Returns an EnvelopeResult: intervals (DataFrame), columns and summary."""
    k, n = _shard(shard)
    package = _package()
    given = _definition(path, "KARVEX-ENVELOPE 1", ".envelope", _ENVELOPE, _ENVELOPE_NEEDS, definition)
    columns, summary = _fly(_karvex.envelope, progress, "envelope", "bearings", *given, package._modules(modules),
                            package._out(out), _jobs(jobs), k, n)
    return EnvelopeResult(columns, summary, package._out(out))


def merge(shard_dirs, out=None):
    """Merges the folders the shards of one sweep or one envelope wrote (a list of them) into what the
    whole job writes (into `out` when given). Returns a SweepResult or an EnvelopeResult."""
    if isinstance(shard_dirs, (str, bytes, os.PathLike)):
        raise TypeError(f"merge takes a list of shard folders, got the one path {shard_dirs!r}")
    dirs = [os.fspath(d) for d in shard_dirs]
    if not dirs:
        raise ValueError("merge takes one or more shard folders")
    for folder in dirs:
        if not os.path.exists(folder):
            raise FileNotFoundError(errno.ENOENT, os.strerror(errno.ENOENT), folder)
    need_numpy()
    out = _package()._out(out)
    kind, columns, summary = _karvex.merge(dirs, out)
    result = EnvelopeResult if kind == "envelope" else SweepResult
    return result(columns, summary, out)
