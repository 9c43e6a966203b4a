"""A target steered from Python: the truck of the moving-target engagement drives east at 5, 10 or
15 m/s until the missile closes within 2 km, then turns straight away from it at a lateral
acceleration from 0 (no turn) to 40 m/s^2; the miss distance is drawn against that acceleration,
a line for each speed.

    PYTHONPATH=build/default/python /usr/bin/python3 docs/examples/evading_target.py [picture.png]
"""

import concurrent.futures
import itertools
import math
import os
import pathlib
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

import karvex  # noqa: E402

SCENARIO = pathlib.Path(__file__).resolve().parents[2] / "scenarios" / "moving_target.scn"
SPEEDS = [5, 10, 15]  # m/s, east
ACCELERATIONS = [0, 1, 2, 5, 10, 20, 40]  # m/s^2


def fly(base, speed, acceleration):
    """The engagement with the truck driving east at `speed` m/s and turning away at `acceleration`
    m/s^2 once K1 is within 2 km; the miss distance (m) and the time of the turn (s)."""
    scenario = base.copy()
    scenario.vessels["Truck"]["VEL"] = (speed, 0, 0)
    turned = []

    def evade(sim):
        if not turned and math.dist(sim.state("K1")["pos_m"], sim.state("Truck")["pos_m"]) < 2000.0:
            turned.append(sim.time)
            if acceleration > 0:
                sim.steer("Truck", [f"TRIGGER time {sim.time!r}", f"REACTION turn away accel {acceleration}"])

    with karvex.Simulation(scenario, telemetry=None) as sim:
        sim.run_until(event="release", vessel="K1")
        sim.on_frame(evade)  # from the release on: the truck drives on until then
        sim.run_until(time=60)
        return sim.result().miss_distance, turned[0]


def main(picture):
    base = karvex.Scenario.load(SCENARIO)
    cases = list(itertools.product(SPEEDS, ACCELERATIONS))
    with concurrent.futures.ThreadPoolExecutor(os.cpu_count()) as pool:
        flown = dict(zip(cases, pool.map(lambda case: fly(base, *case), cases)))
    fig, ax = plt.subplots(figsize=(8, 4.5))
    for speed in SPEEDS:
        ax.plot(ACCELERATIONS, [flown[speed, a][0] for a in ACCELERATIONS], "o-", label=f"truck at {speed} m/s")
    ax.axhline(5.0, color="gray", ls="--", lw=1, label="the truck's half-size (5 m)")
    ax.set_xlabel("the truck's lateral acceleration turning away, m/s^2 (0: no turn)")
    ax.set_ylabel("miss distance, m")
    ax.set_title("A truck that turns away once the missile is within 2 km")
    ax.set_ylim(bottom=0)
    ax.grid(alpha=0.3)
    ax.legend(fontsize=8)
    fig.tight_layout()
    fig.savefig(picture, dpi=110)
    for speed in SPEEDS:
        misses = ", ".join(f"{flown[speed, a][0]:.1f}" for a in ACCELERATIONS)
        print(f"{speed:2d} m/s, turning at {flown[speed, 0][1]:.2f} s: miss {misses} m "
              f"at {ACCELERATIONS} m/s^2")
    print(f"wrote {picture}")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "evading-target.png")
