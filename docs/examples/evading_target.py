"""A target steered from Python: the truck of the moving-target engagement drives east until the
missile closes within 2 km, then turns straight away from it at a lateral acceleration from 0 (no
turn) to 40 m/s^2; the miss distance is drawn against that acceleration.

    PYTHONPATH=build/default/python /usr/bin/python3 docs/examples/evading_target.py [picture.png]
"""

import concurrent.futures
import math
import os
import pathlib
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

import karvex  # noqa: E402

SCENARIO = pathlib.Path(__file__).resolve().parents[2] / "scenarios" / "moving_target.scn"
ACCELERATIONS = [0, 2, 5, 10, 15, 20, 30, 40]  # m/s^2


def fly(acceleration):
    """The engagement with the truck turning away at `acceleration` m/s^2 once K1 is within 2 km;
    the miss distance (m, None without ignition) and the time of the turn (s)."""
    turned = []

    def evade(sim):
        if turned:
            return
        k1, truck = sim.state("K1"), sim.state("Truck")
        if math.dist(k1["pos_m"], truck["pos_m"]) < 2000.0:
            turned.append(sim.time)
            if acceleration > 0:
                sim.steer("Truck", [f"TRIGGER time {sim.time!r}", f"REACTION turn away accel {acceleration}"])

    with karvex.Simulation(SCENARIO, telemetry=None) as sim:
        sim.run_until(event="release", vessel="K1")
        sim.on_frame(evade)
        sim.run_until(time=60)
        return sim.result().miss_distance, turned[0] if turned else None


def main(picture):
    with concurrent.futures.ThreadPoolExecutor(os.cpu_count()) as pool:
        flown = list(pool.map(fly, ACCELERATIONS))
    fig, ax = plt.subplots(figsize=(8, 4.5))
    ax.plot(ACCELERATIONS, [miss for miss, _ in flown], "o-")
    ax.axhline(5.0, color="gray", ls="--", lw=1, label="the truck's half-size (5 m)")
    ax.set_xlabel("the truck's lateral acceleration turning away, m/s^2")
    ax.set_ylabel("miss distance, m")
    ax.set_title("Turning away once the missile is within 2 km")
    ax.grid(alpha=0.3)
    ax.legend(fontsize=8)
    fig.tight_layout()
    fig.savefig(picture, dpi=110)
    for a, (miss, at) in zip(ACCELERATIONS, flown):
        print(f"{a:5.1f} m/s^2: turned at {at:.2f} s, miss distance {miss:.2f} m")
    print(f"wrote {picture}")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "evading-target.png")
