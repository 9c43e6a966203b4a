"""Plot one flight: reads telemetry.csv and summary.json from an output folder and
writes flight.png beside them (side view, top view, seeker head angles, thrust and mass).

Usage: /usr/bin/python3 runner/plots/plot.py OUTPUT_FOLDER
"""
import csv
import os
import sys

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

from plot_common import InputError, note, number, read_summary, run, save_figure  # noqa: E402

COLUMNS = ("time_s", "x_m", "y_m", "z_m", "mass_kg", "thrust_n", "head_az_rad", "head_el_rad")
ROUND = ("latitude_deg", "longitude_deg", "altitude_m")  # telemetry over a round planet adds these

# The Earth's ellipsoid, for the tangent plane a round planet's flight is drawn on.
A, F = 6378137.0, 1.0 / 298.257223563
E2 = F * (2.0 - F)


def tangent_plane(lat0, lon0):
    """The projections (lat, lon) -> east and lat -> north (m) onto the ground's tangent plane
    at lat0, lon0 (deg)."""
    w = 1.0 - E2 * np.sin(np.radians(lat0)) ** 2
    north = np.radians(A * (1.0 - E2) / w ** 1.5)
    east = np.radians(A / np.sqrt(w) * np.cos(np.radians(lat0)))
    return lambda lat, lon: (np.remainder(lon - lon0 + 180.0, 360.0) - 180.0) * east, lambda lat: (lat - lat0) * north


def read_inputs(folder):
    """Returns (per-vessel dict of column arrays, in order of appearance; summary dict)."""
    try:
        summary = read_summary(folder)
        rows = {}
        with open(os.path.join(folder, "telemetry.csv"), encoding="utf-8", newline="") as f:
            reader = csv.DictReader(f)
            missing = [c for c in ("vessel",) + COLUMNS if c not in (reader.fieldnames or [])]
            if missing:
                raise ValueError(f"telemetry.csv lacks column(s) {', '.join(missing)}")
            columns = COLUMNS + (ROUND if all(c in reader.fieldnames for c in ROUND) else ())
            for row in reader:
                track = rows.setdefault(row["vessel"], {c: [] for c in columns})
                for c in columns:
                    track[c].append(number(row[c]))
    except (OSError, ValueError) as e:  # JSON, CSV and number errors are ValueErrors
        raise InputError(str(e)) from e
    tracks = {name: {c: np.array(v) for c, v in t.items()} for name, t in rows.items()}
    if tracks and all(c in next(iter(tracks.values())) for c in ROUND):
        on_ground(tracks, summary)
    return tracks, summary


def on_ground(tracks, summary):
    """Over a round planet: x east and z north on the ground's tangent plane at the first
    vessel's first sample, y the altitude, for the tracks and the ignition point."""
    first = next(iter(tracks.values()))
    east, north = tangent_plane(first["latitude_deg"][0], first["longitude_deg"][0])
    for t in tracks.values():
        t["x_m"], t["z_m"], t["y_m"] = east(t["latitude_deg"], t["longitude_deg"]), north(t["latitude_deg"]), t["altitude_m"]
    ignition = summary.get("ignition") or {}
    if ignition.get("latitude_deg") is not None:
        lat, lon = ignition["latitude_deg"], ignition["longitude_deg"]
        ignition["position_m"] = [east(lat, lon), ignition["altitude_m"], north(lat)]


def moves(track):
    return any(np.ptp(track[c]) > 1e-6 for c in ("x_m", "y_m", "z_m"))


def sample_at(track, t, step):
    """Index of the first sample at or after t (or the last one if t is within a step of it)."""
    i = int(np.searchsorted(track["time_s"], t - 1e-9))
    if i < len(track["time_s"]):
        return i
    return len(track["time_s"]) - 1 if t - track["time_s"][-1] <= 1.5 * step else None


def milestone_groups(milestones, span):
    """Milestones sorted by time, those closer than 2 % of the flight merged: [(time, label)]."""
    groups = []
    for name, t in sorted(((n, t) for n, t in milestones.items() if t is not None),
                          key=lambda m: m[1]):
        if groups and t - groups[-1][0] < 0.02 * span:
            groups[-1][1].append(name)
        else:
            groups.append((t, [name]))
    return [(t, " / ".join(names).replace("_", " ")) for t, names in groups]


def side_view(ax, tracks, missile, target, groups, step):
    origin = missile if missile in tracks else next(iter(tracks), None)
    x0, z0 = (tracks[origin]["x_m"][0], tracks[origin]["z_m"][0]) if origin else (0.0, 0.0)
    downrange = {n: np.hypot(t["x_m"] - x0, t["z_m"] - z0) for n, t in tracks.items()}
    for name, track in tracks.items():
        if moves(track):
            ax.plot(downrange[name], track["y_m"], label=name, lw=2 if name == missile else 1)
    if target in tracks:
        ax.plot(downrange[target][-1], tracks[target]["y_m"][-1], "rX", ms=10,
                label=f"{target} (target)")
    if missile in tracks:
        for k, (t, label) in enumerate(groups):
            i = sample_at(tracks[missile], t, step)
            if i is None:
                continue
            # alternate above and below the path; near the far end, label leftwards
            d, y = downrange[missile][i], tracks[missile]["y_m"][i]
            right = d > 0.7 * downrange[missile].max()
            ax.plot(d, y, "k.", ms=7)
            ax.annotate(label, (d, y), xytext=(-4 if right else 4, 5 if k % 2 == 0 else -12),
                        textcoords="offset points", ha="right" if right else "left", fontsize=7)
    ax.set(title="Side view", ylabel="altitude (m)",
           xlabel=f"downrange from {origin or 'origin'} start (m)")


def top_view(ax, tracks, target, summary):
    for name, track in tracks.items():
        if moves(track):
            ax.plot(track["x_m"], track["z_m"], label=name)
        elif name != target:
            ax.plot(track["x_m"][-1], track["z_m"][-1], "s", label=name)
    if target in tracks:
        tx, tz = tracks[target]["x_m"][-1], tracks[target]["z_m"][-1]
        ax.plot(tx, tz, "rX", ms=10, label=f"{target} (target)")
        if summary.get("target_size_m"):
            ax.add_patch(plt.Circle((tx, tz), summary["target_size_m"], color="r", fill=False))
    ignition = summary.get("ignition")
    if ignition and ignition.get("position_m"):
        px, _, pz = ignition["position_m"]
        ax.plot(px, pz, "*", color="orange", ms=14, mec="k", label="ignition")
    ax.set_aspect("equal", adjustable="datalim")
    ax.set(title="Top view", xlabel="east x (m)", ylabel="north z (m)")


def seeker_panel(ax, track, summary, absent):
    ax.set(title="Seeker head angles", xlabel="time (s)", ylabel="angle (deg)")
    if track is None:
        return note(ax, absent)
    ax.plot(track["time_s"], np.degrees(track["head_az_rad"]), label="azimuth")
    ax.plot(track["time_s"], np.degrees(track["head_el_rad"]), label="elevation")
    if summary.get("time_of_lock_s") is not None:
        ax.axvline(summary["time_of_lock_s"], color="k", ls="--", lw=1, label="lock")


def propulsion_panel(ax, track, groups, absent):
    ax.set(title="Thrust and mass", xlabel="time (s)", ylabel="thrust (N)")
    if track is None:
        return note(ax, absent)
    lines = ax.plot(track["time_s"], track["thrust_n"], color="tab:red", label="thrust")
    right = ax.twinx()
    lines += right.plot(track["time_s"], track["mass_kg"], color="tab:blue", label="mass")
    right.set_ylabel("mass (kg)")
    for t, label in groups:
        ax.axvline(t, color="grey", ls=":", lw=1)
        ax.text(t, 0.98, " " + label, transform=ax.get_xaxis_transform(), rotation=90, va="top",
                fontsize=7, color="dimgrey", bbox=dict(fc="white", ec="none", alpha=0.7, pad=1))
    ax.legend(lines, [line.get_label() for line in lines], fontsize=8, loc="center right")


def plot(folder):
    tracks, summary = read_inputs(folder)
    missile, target = summary.get("missile"), summary.get("target")
    track = tracks.get(missile)
    step = summary.get("step_s") or 0.0
    span = (track["time_s"][-1] - track["time_s"][0]) if track is not None else 0.0
    groups = milestone_groups(summary.get("milestones") or {}, span)
    fig, axes = plt.subplots(2, 2, figsize=(15, 10))
    if not tracks:
        for ax in axes[0]:
            note(ax, "no telemetry")
    side_view(axes[0, 0], tracks, missile, target, groups, step)
    top_view(axes[0, 1], tracks, target, summary)
    absent = f"no telemetry for {missile}" if missile else "no missile in this scenario"
    seeker_panel(axes[1, 0], track, summary, absent)
    propulsion_panel(axes[1, 1], track, groups, absent)
    for ax in axes.flat:
        ax.grid(alpha=0.3)
        if ax.get_legend() is None and ax.get_legend_handles_labels()[0]:
            ax.legend(fontsize=8)

    miss = summary.get("miss_distance_m")
    outcome = f"miss {miss:.1f} m" if miss is not None else "no ignition"
    name = os.path.basename(summary.get("scenario") or "unnamed scenario")
    fig.suptitle(f"{name}: {outcome}", fontsize=14)
    fig.tight_layout()
    out = save_figure(fig, folder, "flight.png", dpi=100)
    plt.close(fig)
    return out


if __name__ == "__main__":
    sys.exit(run(sys.argv, "plot.py", "OUTPUT_FOLDER", plot))
