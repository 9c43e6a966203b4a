"""Plot a salvo's sweep: reads runs.csv and summary.json from the sweep's output folder and
writes sweep.png beside them: against each dispersed quantity, the chance that each target is
hit, that every target is, that each weapon hits, and that a seeker's first lock is on a friend.

Usage: /usr/bin/python3 runner/plots/sweep_plot.py SWEEP_FOLDER (it hands a salvo's folder here)
"""
import csv
import math
import os

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

from plot_common import InputError, binned, note, number, read_summary, save_figure  # noqa: E402


def read_inputs(folder):
    """Returns (summary, dispersed quantity names, {column: array of numbers or texts})."""
    try:
        summary = read_summary(folder)
        weapons, targets = summary["weapons"], summary["targets"]
        with open(os.path.join(folder, "runs.csv"), encoding="utf-8", newline="") as f:
            reader = csv.DictReader(f)
            header = reader.fieldnames or []
            rows = list(reader)
        first = f"{weapons[0]}.outcome" if weapons else f"{targets[0]}.hit"
        if first not in header:
            raise ValueError(f"runs.csv lacks the column {first}")
        quantities = header[1:header.index(first)]
        columns = {c: np.array([number(r[c]) for r in rows], dtype=float) for c in quantities}
        for w in weapons:
            columns[w] = np.array([r[f"{w}.outcome"] for r in rows], dtype=str)
            columns[w + " friend"] = np.array([r[f"{w}.friend_lock_after_release_s"] != "" for r in rows])
        for t in targets:
            columns[t] = np.array([r[f"{t}.hit"] == "1" for r in rows])
    except (OSError, ValueError, KeyError, TypeError) as e:
        raise InputError(str(e)) from e
    return summary, quantities, columns


def share(ax, values, success, label, style):
    """The share of successes against `values` (NaN left out), in bins of about 40 runs."""
    known = ~np.isnan(values)
    bins = min(12, max(4, int(known.sum()) // 40))
    binned(ax, values[known], success[known], bins, fmt=style, ms=4, capsize=2, label=label)


def plot(folder):
    summary, quantities, columns = read_inputs(folder)
    weapons, targets = summary["weapons"], summary["targets"]
    count = max(len(quantities), 1)
    cols = min(count, 2)
    fig, axes = plt.subplots(math.ceil(count / cols), cols, figsize=(7.0 * cols, 4.6 * math.ceil(count / cols)),
                             squeeze=False)
    friend = np.any([columns[w + " friend"] for w in weapons], axis=0) if weapons else None
    every = np.all([columns[t] for t in targets], axis=0) if targets else None
    for ax, name in zip(axes.flat, quantities):
        values = columns[name]
        ax.set(xlabel=name, ylabel="probability", ylim=(0, 1))
        for t in targets:
            share(ax, values, columns[t], f"{t} hit", "o-")
        if len(targets) > 1:
            share(ax, values, every, "every target hit", "s-")
        for w in weapons:
            share(ax, values, columns[w] == "hit", f"{w} hits", ".:")
        if friend is not None:
            share(ax, values, friend, "a seeker's first lock on a friend", "x--")
        ax.grid(alpha=0.3)
        ax.legend(fontsize=7, loc="best")
    for ax in list(axes.flat)[len(quantities):]:
        note(ax, "no dispersed quantity") if not quantities else ax.set_visible(False)
    p = (summary.get("every_target_hit_probability") or {}).get("p")
    f = (summary.get("friend_lock_probability") or {}).get("p")
    runs = summary.get("runs_in_file")
    fig.suptitle(f"{os.path.basename(summary.get('sweep') or 'unnamed sweep')}: {runs} runs, "
                 f"{len(weapons)} weapons at {len(targets)} target(s), "
                 + (f"P(every target hit) {p:.3f}" if p is not None else "P(every target hit) n/a")
                 + (f", P(lock on a friend) {f:.3f}" if f is not None else ""), fontsize=12)
    fig.tight_layout(rect=(0, 0, 1, 0.95))
    # no version stamp: same runs, same PNG
    out = save_figure(fig, folder, "sweep.png", dpi=100, metadata={"Software": None})
    plt.close(fig)
    return out
