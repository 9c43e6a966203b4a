"""A launcher written in Python: a truck lies 20 degrees off the carrier's nose; the launcher turns
the carrier toward it (aiming afresh every second) and holds its weapon until the truck bears within
1 degree of the nose; then it activates, arms and releases it, and the missile flies on to the truck.

    PYTHONPATH=build/default/python /usr/bin/python3 docs/examples/python_launcher.py [picture.png]
"""

import math
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

import karvex  # noqa: E402

# The carrier holds no schedule of its own: only the launcher below commands its weapon.
SCENARIO = """ZELVAR-STANDIN-SCENARIO 1
STEP 0.01
END 60
TELEMETRY 20
WATCH K1
TARGET Truck
BEGIN_VESSELS
Carrier:Carrier
  POS 0 2000 0
  VEL 0 0 230
  ATT 0 0 0
  MOTION kinematic
  STATION 0 -1.5 0
END
K1:Karvex
  ATTACHED 0 0 Carrier
END
Truck:
  POS 3300 0 9000
  SIZE 10
  MASS 15000
  MOTION landed
END
END_VESSELS
"""


def bearing(carrier, target):
    """How far `target` bears from `carrier`'s nose over the ground, degrees (right above 0)."""
    east, north = target["pos_m"][0] - carrier["pos_m"][0], target["pos_m"][2] - carrier["pos_m"][2]
    off = math.degrees(math.atan2(east, north) - carrier["heading_rad"])
    return (off + 180.0) % 360.0 - 180.0


class Launcher:
    """Turns the carrier toward the truck and holds K1 until the truck bears within 1 degree of the
    carrier's nose, then lets it go."""

    def __init__(self):
        self.released_at = None
        self.answers = {}
        self.bearings = []
        self.aim_at = 0.0  # s: when to aim the carrier at the truck again

    def __call__(self, sim):
        if self.released_at is not None:
            return
        carrier = sim.state("Carrier")
        off = bearing(carrier, sim.state("Truck"))
        self.bearings.append((sim.time, off))
        if sim.time >= self.aim_at and abs(off) > 0.5:
            # A standard-rate turn (3 deg/s) onto the course that points at the truck now.
            sim.turn("Carrier", course=math.degrees(carrier["heading_rad"]) + off, rate=3.0)
            self.aim_at = sim.time + 1.0
        if abs(off) <= 1.0:
            self.answers = {command: sim.command("K1", command) for command in ("ACTIVATE", "ARM")}
            sim.release("Carrier", 0, (0.0, -1.0, 0.0))
            self.released_at = sim.time


def main(picture):
    launcher = Launcher()
    with karvex.Simulation(karvex.Scenario.parse(SCENARIO, "python_launcher.scn")) as sim:
        sim.on_frame(launcher)
        sim.run_until(event="release", vessel="K1")
        sim.on_frame(None)
        sim.run_until(event="gone", vessel="K1")
        result = sim.result()
        tracks = result.telemetry_frame()

    fig, (top, off) = plt.subplots(1, 2, figsize=(10, 4.5))
    for name, style in (("Carrier", "-"), ("K1", "-"), ("Truck", "s")):
        track = tracks[tracks.vessel == name]
        top.plot(track.x_m / 1000, track.z_m / 1000, style, ms=6, label=name)
    at = tracks[(tracks.vessel == "Carrier") & (tracks.time_s >= launcher.released_at)].iloc[0]
    top.plot(at.x_m / 1000, at.z_m / 1000, "k*", ms=10, label=f"release at {launcher.released_at:.2f} s")
    top.set_xlabel("east, km")
    top.set_ylabel("north, km")
    top.set_aspect("equal")
    top.grid(alpha=0.3)
    top.legend(fontsize=8, loc="upper left")
    top.set_title("Seen from above")
    off.plot(*zip(*launcher.bearings))
    off.axhspan(-1, 1, color="tab:green", alpha=0.2, label="within 1 degree: release")
    off.set_xlabel("simulation time, s")
    off.set_ylabel("truck's bearing off the nose, degrees")
    off.grid(alpha=0.3)
    off.legend(fontsize=8)
    off.set_title("What the launcher watched")
    fig.tight_layout()
    fig.savefig(picture, dpi=110)
    print(f"released at {launcher.released_at:.2f} s, the truck {launcher.bearings[-1][1]:+.2f} degrees off "
          f"the nose; answers {launcher.answers}; outcome {result.outcome}, miss distance "
          f"{result.miss_distance:.2f} m; wrote {picture}")
    if result.miss_distance is None or result.miss_distance > 10.0:
        sys.exit("the missile missed the truck")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "python-launcher.png")
