"""What the flight, sweep and envelope plots share: reading numbers and the summary, the grey
note on a panel with nothing to show, and the command line that turns any failure into one line.
"""
import json
import os
import sys


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


def note(ax, text, y=0.5):
    ax.text(0.5, y, text, transform=ax.transAxes, ha="center", va="center", color="grey")


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
