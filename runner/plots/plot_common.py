"""What the flight, sweep and envelope plots share: reading numbers and the summary, the grey
note on a panel with nothing to show, a share of successes in bins with its 95 % intervals, and
the command line that turns any failure into one line.
"""
import json
import os
import secrets
import sys

import numpy as np


class InputError(Exception):
    """An input file is missing or cannot be read."""


def number(text):  # empty fields (a sweep's "none", or cut off on a flight's last line) read as NaN
    return float(text) if text and text.strip() else float("nan")


def read_summary(folder, name="summary.json"):
    """The object in the JSON file name of folder; OSError or ValueError when it cannot be read."""
    with open(os.path.join(folder, name), encoding="utf-8") as f:
        summary = json.load(f)
    if not isinstance(summary, dict):
        raise ValueError(f"{name} does not hold an object")
    return summary


def save_figure(fig, folder, name, **options):
    """Writes fig as the PNG folder/name through a new file of its own in folder, renamed over the
    name: a link planted there is replaced, never written through. Returns the path."""
    for _ in range(100):
        temporary = os.path.join(folder, f".{name}.{secrets.token_hex(4)}")
        try:
            fd = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o666)
            break
        except FileExistsError:
            continue
    else:
        raise FileExistsError(f"no new file name for {name} in {folder}")
    try:
        with os.fdopen(fd, "wb") as f:
            fig.savefig(f, format="png", **options)
        out = os.path.join(folder, name)
        os.replace(temporary, out)
    except BaseException:
        os.unlink(temporary)
        raise
    return out


def note(ax, text, y=0.5):
    ax.text(0.5, y, text, transform=ax.transAxes, ha="center", va="center", color="grey")


def wilson(k, n, z=1.96):
    """95 % interval of a proportion (arrays of successes and trials), sound even at 0 or n."""
    p, z2 = k / n, z * z
    centre = (p + z2 / (2 * n)) / (1 + z2 / n)
    half = z * np.sqrt(p * (1 - p) / n + z2 / (4 * n * n)) / (1 + z2 / n)
    return np.maximum(0.0, centre - half), np.minimum(1.0, centre + half)


def binned(ax, values, success, bins, **style):
    """Draws the share of successes in `bins` equal-width bins of `values` (none NaN), with 95 %
    intervals, as error bars in `style`."""
    edges = np.histogram_bin_edges(values, bins=bins)
    which = np.clip(np.digitize(values, edges) - 1, 0, len(edges) - 2)
    n = np.bincount(which, minlength=len(edges) - 1)
    k = np.bincount(which, weights=success.astype(float), minlength=len(edges) - 1)
    full = n > 0
    n, k, centres = n[full], k[full], ((edges[:-1] + edges[1:]) / 2)[full]
    low, high = wilson(k, n)
    p = k / n
    # points at 0 or 1 stay whole
    ax.errorbar(centres, p, yerr=[np.maximum(p - low, 0), np.maximum(high - p, 0)], clip_on=False, **style)


def run(argv, program, folder, plot):
    """Plots the one folder argv names and prints the picture's path; the exit status is 3 when
    an input cannot be read and 1 on any other failure."""
    if len(argv) != 2:
        sys.exit(f"usage: {program} {folder}")
    try:
        print(plot(argv[1]))
    except InputError as e:
        print(f"{program}: cannot read input: {e}", file=sys.stderr)
        return 3
    except Exception as e:  # noqa: BLE001 - one clear line rather than a traceback
        print(f"{program}: {type(e).__name__}: {e}", file=sys.stderr)
        return 1
    return 0
