"""Plot a launch envelope: reads envelope.csv and envelope.json from an envelope's output folder
and writes envelope.png beside them (each release condition's footprint seen from above, and the
range on the release track against release altitude; against a moving target, a panel for each
release condition and target course, a colour a target speed, and the range against its speed).

Usage: /usr/bin/python3 runner/plots/envelope_plot.py ENVELOPE_FOLDER
"""
import csv
import itertools
import os
import sys

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402
from matplotlib.transforms import offset_copy  # noqa: E402

from plot_common import InputError, note, number, read_summary, run, save_figure  # noqa: E402

NEEDED = ("altitude_m", "speed_m_s", "bearing_deg", "interval", "rmin_m", "rmax_m")


def condition_key(row):
    """(altitude, speed), and with the target columns (target speed, course or None when still)."""
    key = (float(row["altitude_m"]), float(row["speed_m_s"]))
    if "target_speed_m_s" not in row:
        return key
    course = row["target_course_deg"]
    return key + (float(row["target_speed_m_s"]), float(course) if course else None)


def read_inputs(folder):
    """Returns (envelope.json's dict, {condition: {bearing: [(rmin, rmax), ...]}}), the conditions
    (condition_key's) in file order and each bearing's hit intervals in rising range, in m."""
    try:
        with open(os.path.join(folder, "envelope.csv"), encoding="utf-8", newline="") as f:
            reader = csv.DictReader(f)
            missing = [c for c in NEEDED if c not in (reader.fieldnames or [])]
            if missing:
                raise ValueError(f"envelope.csv lacks column(s) {', '.join(missing)}")
            rows = list(reader)
        summary = read_summary(folder, "envelope.json")
        conditions = {}
        for r in rows:
            bearings = conditions.setdefault(condition_key(r), {})
            intervals = bearings.setdefault(float(r["bearing_deg"]), [])
            if int(r["interval"]) > 0:  # interval 0 is a bearing without a hit
                intervals.append((number(r["rmin_m"]), number(r["rmax_m"])))
    except (OSError, ValueError, TypeError) as e:  # a short row leaves None in its last fields
        raise InputError(str(e)) from e
    return summary, conditions


def on_map(bearings_deg, ranges_m):
    """Bearing (right of track positive) and range to downrange and cross-range, km."""
    b = np.radians(bearings_deg)
    r = np.asarray(ranges_m, dtype=float) / 1000.0
    return r * np.cos(b), r * np.sin(b)


def pieces(bearings):
    """The bearings in rising order, in runs that a bearing without a hit breaks."""
    ordered = sorted(bearings.items())
    return [list(g) for hit, g in itertools.groupby(ordered, key=lambda b: bool(b[1])) if hit]


def outline(ax, bearings, colour, label):
    """Out along the outermost interval's far edge and back along the innermost's near edge,
    piece by piece."""
    for piece in pieces(bearings):
        angles = [b for b, _ in piece]
        outer, inner = [iv[-1][1] for _, iv in piece], [iv[0][0] for _, iv in piece]
        x, y = on_map(angles + angles[::-1] + angles[:1], outer + inner[::-1] + outer[:1])
        ax.plot(x, y, color=colour, lw=1.4, label=label)
        label = None


def strokes(ax, bearings, colour, shift):
    """Every hit interval as a thin radial stroke, moved sideways by shift points so that the
    conditions' strokes lie side by side and each one's holes show."""
    for bearing, intervals in bearings.items():
        if not intervals:
            continue
        b = np.radians(bearing)
        # the y axis is inverted, so (sin, cos) on the page is square to the bearing
        beside = offset_copy(ax.transData, fig=ax.figure, x=shift * np.sin(b),
                             y=shift * np.cos(b), units="points")
        ranges = np.array([[lo, hi, np.nan] for lo, hi in intervals]).ravel()
        ax.plot(*on_map(np.full(ranges.shape, bearing), ranges), color=colour, lw=1.1,
                transform=beside)


def release(ax, summary, bearings):
    """The release point, the track along bearing 0 and the arcs of the range searched."""
    near, far = summary.get("range_m") or (0.0, 0.0)
    ax.plot(*on_map([0, 0], [0, far]), color="k", ls="-.", lw=0.8, label="release track")
    ax.plot(0, 0, "k^", ms=9, label="release point")
    if bearings:
        span = np.linspace(min(bearings), max(bearings), 60)
        for k, r in enumerate((near, far)):
            ax.plot(*on_map(span, np.full(span.shape, r)), color="grey", ls=":", lw=1,
                    label=None if k else f"range searched, {near / 1000:g} to {far / 1000:g} km")


def target_spot(summary, conditions=None):
    """Where the target is drawn: on the track at the first on-track Rmax, else the range's end."""
    rmax = [c.get("rmax_on_track_m") for c in summary.get("conditions") or []
            if conditions is None or c in conditions]
    known = [r for r in rmax if r is not None]
    return known[0] if known else (summary.get("range_m") or (0.0, 0.0))[1]


def draw(ax, summary, footprints, colours=None, spot=None):
    """The footprints ({label: bearings}), the release and the target, on the panel or on its
    magnified inset."""
    colours = colours or plt.get_cmap("tab10" if len(footprints) <= 10 else "tab20").colors
    for k, (label, bearings) in enumerate(footprints.items()):
        colour = colours[k % len(colours)]
        outline(ax, bearings, colour, label)
        strokes(ax, bearings, colour, 1.5 * (k - (len(footprints) - 1) / 2))
    release(ax, summary, [b for c in footprints.values() for b in c])
    size = summary.get("target_size_m") or 0.0
    ax.add_patch(plt.Circle(((spot or target_spot(summary)) / 1000.0, 0), size / 1000.0, color="r",
                            fill=False, lw=1.2))


def zoom(ax, summary, footprints):
    """The target at the same true scale, magnified, with the footprint edges beside it."""
    half = 4.0 * max(summary.get("target_size_m") or 0.0, summary.get("tolerance_m") or 0.0, 1.0)
    x = target_spot(summary)
    inset = ax.inset_axes([0.64, 0.03, 0.33, 0.33])
    draw(inset, summary, footprints)
    inset.set(xlim=((x - half) / 1000, (x + half) / 1000), ylim=(half / 1000, -half / 1000),
              xticks=[], yticks=[], aspect="equal")
    inset.set_title(f"around the target, {2 * half:g} m across", fontsize=7)
    ax.indicate_inset_zoom(inset, edgecolor="grey")


def footprint_panel(ax, summary, conditions):
    footprints = {f"{a:,g} m, {s:,g} m/s": bearings for (a, s), bearings in conditions.items()}
    draw(ax, summary, footprints)
    ax.plot([], [], "o", mfc="none", mec="r", label="target, to scale")
    if not any(iv for c in conditions.values() for iv in c.values()):
        note(ax, "no release condition hits the target", y=0.9)
    ax.set_aspect("equal", adjustable="datalim")
    ax.invert_yaxis()  # seen from above with the track to the right, its right side is below
    ax.set(title="Footprints seen from above", xlabel="downrange along the release track (km)",
           ylabel="cross-range (km), right of the track below it")
    ax.legend(fontsize=8, loc="upper left")
    zoom(ax, summary, footprints)


def range_panel(ax, summary, groups, colours, xlabel, empty):
    """Rmin (dashed) and Rmax (solid) on the track of each group ({name: [(x, condition), ...]})
    against x, a colour each, with the range searched."""
    for (name, members), colour in zip(groups.items(), colours):
        for key, style, face, what in (("rmax_on_track_m", "-", colour, "Rmax"),
                                       ("rmin_on_track_m", "--", "white", "Rmin")):
            points = sorted((x, c[key] / 1000.0) for x, c in members if c.get(key) is not None)
            if points:
                ax.plot(*zip(*points), ls=style, marker="o", color=colour, mfc=face,
                        label=f"{what}, {name}")
    hits = bool(ax.get_lines())
    for k, r in enumerate(summary.get("range_m") or ()):
        ax.axhline(r / 1000.0, color="grey", ls=":", lw=1, label=None if k else "range searched")
    if hits:
        ax.legend(fontsize=8)
    else:
        note(ax, empty)
    ax.set(title="Range on the release track", xlabel=xlabel,
           ylabel="range from the release point (km)")


def on_track_panel(ax, summary):
    """Rmin and Rmax on the track against altitude, a colour for each speed."""
    conditions = summary.get("conditions") or []
    speeds = sorted({c["speed_m_s"] for c in conditions})
    groups = {f"{s:,g} m/s": [(c["altitude_m"], c) for c in conditions if c["speed_m_s"] == s]
              for s in speeds}
    colours = [plt.get_cmap("viridis")(0.8 * k / max(len(speeds) - 1, 1))
               for k in range(len(speeds))]
    range_panel(ax, summary, groups, colours, "release altitude (m)",
                "no release condition hits the target on the track")


SPEED_COLOURS = ("k", "tab:blue", "tab:orange", "tab:green", "tab:purple", "tab:brown", "tab:pink")
COURSE_NAMES = {0: "away from the carrier", 90: "crossing left to right",
                180: "toward the carrier", 270: "crossing right to left"}


def course_title(course):
    name = None if course is None else COURSE_NAMES.get(course % 360)
    return ("target still" if course is None else f"target course {course:g}° off the track") + (
        f": {name}" if name else "")


def target_panels(fig, grid, summary, conditions):
    """A footprint panel for each release condition (rows) and target course (columns): the still
    target in each beside the moving ones, a colour for each target speed."""
    releases = list(dict.fromkeys(k[:2] for k in conditions))
    courses = list(dict.fromkeys(k[3] for k in conditions if k[3] is not None)) or [None]
    speeds = list(dict.fromkeys(k[2] for k in conditions))
    summaries = {(c["altitude_m"], c["speed_m_s"], c.get("target_speed_m_s"),
                  c.get("target_course_deg")): c for c in summary.get("conditions") or []}
    for i, (altitude, speed) in enumerate(releases):
        for j, course in enumerate(courses):
            ax = fig.add_subplot(grid[i, j])
            keys = [k for k in conditions if k[:2] == (altitude, speed) and k[3] in (course, None)]
            footprints = {(f"target at {k[2]:g} m/s" if k[2] else "target still"): conditions[k]
                          for k in keys}
            colours = [SPEED_COLOURS[speeds.index(k[2]) % len(SPEED_COLOURS)] for k in keys]
            spot = target_spot(summary, [summaries.get(k, {}) for k in keys])
            draw(ax, summary, footprints, colours, spot)
            for (label, bearings), colour in zip(footprints.items(), colours):
                if not any(bearings.values()):  # a target speed without a hit is named too
                    ax.plot([], [], color=colour, lw=1.4, ls=":", label=f"{label}: no hit")
            if course is not None:  # the target's way over the ground at release
                x, y = on_map(course, 0.07 * (summary.get("range_m") or (0.0, 16000.0))[1])
                ax.annotate("", xy=(spot / 1000.0 + x, y), xytext=(spot / 1000.0, 0),
                            arrowprops={"arrowstyle": "-|>", "color": "r", "lw": 1.4})
            ax.plot([], [], "o", mfc="none", mec="r", label="target, to scale; arrow: its way")
            ax.set_aspect("equal", adjustable="datalim")
            ax.invert_yaxis()
            ax.set(title=f"{course_title(course)}\nreleased at {altitude:,g} m, {speed:,g} m/s",
                   xlabel="downrange along the release track (km)",
                   ylabel="cross-range (km), right below")
            ax.legend(fontsize=7, loc="upper left")


def target_track_panel(ax, summary):
    """Rmin and Rmax on the track against the target's speed, a colour for each target course (and
    release condition); the still target starts every line."""
    conditions = summary.get("conditions") or []
    lines = dict.fromkeys((c["altitude_m"], c["speed_m_s"], c["target_course_deg"])
                          for c in conditions if c.get("target_course_deg") is not None)
    several = len({line[:2] for line in lines}) > 1
    groups = {}
    for altitude, speed, course in lines:
        name = f"target course {course:g}°"
        name += f", {altitude:,g} m, {speed:,g} m/s" if several else ""
        groups[name] = [(c["target_speed_m_s"], c) for c in conditions
                        if (c["altitude_m"], c["speed_m_s"]) == (altitude, speed)
                        and c.get("target_course_deg") in (course, None)]
    range_panel(ax, summary, groups, plt.get_cmap("tab10").colors * (1 + len(groups) // 10),
                "target speed (m/s)", "no condition hits the target on the track")


def title(summary):
    name = os.path.basename(summary.get("envelope") or "unnamed envelope")
    scenario = os.path.basename(summary.get("scenario") or "its scenario")
    flights = summary.get("flights")
    head = f"{name}: {scenario} against {summary.get('target') or 'the target'}"
    head += f", {flights:,} flights" if flights is not None else ""
    if summary.get("shard"):
        head += f" (shard {summary['shard']})"  # "K/N", written only for a shard
    tolerance, scan = summary.get("tolerance_m"), summary.get("scan_m")
    p, c = summary.get("probability"), summary.get("confidence")
    at = f" at {c:.0%} confidence" if c is not None else ""
    detail = [f"edges to within {tolerance:g} m" if tolerance is not None else None,
              f"narrowest interval sure to be found: the scan step, {scan:g} m" if scan else None,
              f"P(hit) ≥ {p:g}{at}" if p is not None else None]
    return head + "\n" + "; ".join(d for d in detail if d)


def plot_targets(summary, conditions):
    """The figure of an envelope against a moving target."""
    releases = len({k[:2] for k in conditions})
    courses = max(len({k[3] for k in conditions if k[3] is not None}), 1)
    fig = plt.figure(figsize=(5.5 * courses + 6, 5.5 * releases + 1.3))
    grid = fig.add_gridspec(releases, courses + 1)
    target_panels(fig, grid, summary, conditions)
    target_track_panel(fig.add_subplot(grid[:, courses]), summary)
    return fig


def plot(folder):
    summary, conditions = read_inputs(folder)
    if conditions and len(next(iter(conditions))) == 4:
        fig = plot_targets(summary, conditions)
    else:
        fig = plt.figure(figsize=(15, 7.5))
        grid = fig.add_gridspec(1, 2, width_ratios=[3, 2])
        left, right = fig.add_subplot(grid[0, 0]), fig.add_subplot(grid[0, 1])
        footprint_panel(left, summary, conditions)
        on_track_panel(right, summary)
    for ax in fig.axes:
        ax.grid(alpha=0.3)
    fig.suptitle(title(summary), fontsize=13)
    fig.tight_layout(rect=(0, 0, 1, 0.96))  # the two-line suptitle keeps its own strip
    # no version stamp: same runs, same PNG
    out = save_figure(fig, folder, "envelope.png", dpi=100, metadata={"Software": None})
    plt.close(fig)
    return out


if __name__ == "__main__":
    sys.exit(run(sys.argv, "envelope_plot.py", "ENVELOPE_FOLDER", plot))
