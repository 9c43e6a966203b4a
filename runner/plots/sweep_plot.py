"""Plot a sweep: reads runs.csv and summary.json from a sweep's output folder and writes
sweep.png beside them (impact points around the target with the CEP, and the hit
probability against each dispersed quantity).

Usage: /usr/bin/python3 runner/plots/sweep_plot.py SWEEP_FOLDER
"""
import csv
import math
import os
import sys

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

from plot_common import InputError, binned, note, number, read_summary, run, save_figure  # noqa: E402

NEEDED = ("run", "outcome", "impact_east_m", "impact_north_m")
COLOURS = {"hit": "tab:green", "miss": "tab:red", "no_lock": "tab:orange", "dud": "grey", "unfinished": "tab:blue"}


def read_inputs(folder):
    """Returns (dispersed quantity names, {column: array}, outcomes array, summary dict)."""
    try:
        summary = read_summary(folder)
        with open(os.path.join(folder, "runs.csv"), encoding="utf-8", newline="") as f:
            reader = csv.DictReader(f)
            header = reader.fieldnames or []
            missing = [c for c in NEEDED if c not in header]
            if missing:
                raise ValueError(f"runs.csv lacks column(s) {', '.join(missing)}")
            rows = list(reader)
        # the dispersed quantities sit between the run number and the outcome
        quantities = header[1:header.index("outcome")]
        columns = {c: np.array([number(r[c]) for r in rows], dtype=float)
                   for c in quantities + ["impact_east_m", "impact_north_m"]}
    except (OSError, ValueError) as e:  # JSON, CSV and number errors are ValueErrors
        raise InputError(str(e)) from e
    outcomes = np.array([(r["outcome"] or "").strip() for r in rows], dtype=str)
    return quantities, columns, outcomes, summary


def scatter(ax, east, north, outcomes, cep, label):
    """The impact points by outcome, the target centre and the CEP circle."""
    for outcome, colour in COLOURS.items():
        pick = outcomes == outcome
        if pick.any():
            ax.plot(east[pick], north[pick], ".", color=colour, ms=4, alpha=0.7,
                    label=f"{outcome.replace('_', ' ')} ({pick.sum()})" if label else None)
    ax.plot(0, 0, "kX", ms=10, label="target centre" if label else None)
    if cep:
        ax.add_patch(plt.Circle((0, 0), cep, color="k", fill=False, ls="--"))
        ax.annotate(f"CEP {cep:.1f} m", (cep * 0.71, cep * 0.71), xytext=(3, 3),
                    textcoords="offset points", fontsize=8)
    ax.set_aspect("equal")


def impact_panel(ax, columns, outcomes, cep):
    east, north = columns["impact_east_m"], columns["impact_north_m"]
    has = np.isfinite(east) & np.isfinite(north)
    east, north, outcomes = east[has], north[has], outcomes[has]
    radius = np.hypot(east, north)
    ax.set(title="Impact points around the target", xlabel="east offset (m)",
           ylabel="north offset (m)")
    scatter(ax, east, north, outcomes, cep, True)
    reach = max(1.3 * (cep or 0), 1.0)
    if radius.size:
        # far misses would squash the cluster into a dot: the view stops at 3x the 90th percentile
        reach = max(reach, min(1.05 * radius.max(), 3 * np.percentile(radius, 90)))
        outside = int((np.maximum(abs(east), abs(north)) > reach).sum())
        if outside:
            note(ax, f"{outside} of {radius.size} points beyond the view "
                     f"(farthest {radius.max():.0f} m)", y=0.03)
    else:
        note(ax, "no run has an impact point", y=0.35)
    if cep is None:
        note(ax, "no CEP: no run has a miss distance", y=0.97)
    ax.set(xlim=(-reach, reach), ylim=(-reach, reach))
    ax.legend(fontsize=8, loc="upper right")
    if cep and reach > 10 * cep:  # the core is still a blob at this scale: zoom in on it
        inset = ax.inset_axes([0.09, 0.62, 0.34, 0.34])
        scatter(inset, east, north, outcomes, cep, False)
        inset.set(xlim=(-4 * cep, 4 * cep), ylim=(-4 * cep, 4 * cep))
        inset.tick_params(labelsize=7)
        ax.indicate_inset_zoom(inset, edgecolor="grey")


def hit_panel(ax, name, values, hits):
    """Hit probability against one dispersed quantity, in equal-width bins with 95 % intervals."""
    ax.set(xlabel=name, ylabel="hit probability", ylim=(0, 1))
    known = ~np.isnan(values)
    values, hits = values[known], hits[known]
    if not values.size:
        return note(ax, "no values")
    binned(ax, values, hits, min(10, max(4, values.size // 10)), fmt="o", ms=4, capsize=2, color="tab:blue")
    ax.axhline(hits.mean(), color="grey", ls=":", lw=1, label=f"all runs ({hits.mean():.2f})")


def title(summary, runs, cep):
    name = os.path.basename(summary.get("sweep") or "unnamed sweep")
    total = summary.get("runs")
    counted = f"{runs} of {total} runs" if total not in (None, runs) else f"{runs} runs"
    within = (summary.get("hit_probability") or {}).get("within_10_m") or {}
    p, ci = within.get("p"), within.get("ci95") or [None]
    hit = "P(within 10 m) n/a" if p is None else f"P(within 10 m) {p:.3f}"
    hit += f" [{ci[0]:.3f}, {ci[1]:.3f}]" if p is not None and None not in ci else ""
    return f"{name}: {counted}, {hit}, " + (f"CEP {cep:.1f} m" if cep is not None else "no CEP")


def plot(folder):
    try:
        salvo = "weapons" in read_summary(folder)
    except (OSError, ValueError) as e:
        raise InputError(str(e)) from e
    if salvo:
        import salvo_plot  # a salvo's runs.csv has a column set of its own
        return salvo_plot.plot(folder)
    quantities, columns, outcomes, summary = read_inputs(folder)
    count = len(quantities)  # small panels in 1 to 3 columns beside the impact plot
    cols = 0 if count == 0 else 1 if count <= 2 else 2 if count <= 6 else 3
    rows = math.ceil(count / cols) if cols else 1
    height = max(6.5, 3.0 * rows + 1.0)
    fig = plt.figure(figsize=(max(height + 4.2 * cols, 9.0), height))
    grid = fig.add_gridspec(rows, 1 + cols, width_ratios=[3.0 * max(rows, 2)] + [4.0] * cols)
    cep = (summary.get("cep_m") or {}).get("value")
    impact_panel(fig.add_subplot(grid[:, 0]), columns, outcomes, cep)
    hits = (outcomes == "hit").astype(float)
    for k, name in enumerate(quantities):
        ax = fig.add_subplot(grid[k // cols, 1 + k % cols])
        hit_panel(ax, name, columns[name], hits)
        if k == 0 and ax.get_legend_handles_labels()[0]:
            ax.legend(fontsize=7, loc="lower right")
    for ax in fig.axes:
        ax.grid(alpha=0.3)
    fig.suptitle(title(summary, len(outcomes), cep), fontsize=13)
    fig.tight_layout(rect=(0, 0, 1, 0.97))  # the suptitle keeps its own strip
    # no version stamp: same runs, same PNG
    out = save_figure(fig, folder, "sweep.png", dpi=100, metadata={"Software": None})
    plt.close(fig)
    return out


if __name__ == "__main__":
    sys.exit(run(sys.argv, "sweep_plot.py", "SWEEP_FOLDER", plot))
