"""Miss distance against release heading: the reference engagement flown with the carrier's heading
turned from 2.5 degrees left to 2.5 degrees right of the target, each case edited in Python and
flown on every core, and the result drawn with matplotlib.

    PYTHONPATH=build/default/python /usr/bin/python3 docs/examples/release_heading.py [picture.png]
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

SCENARIO = pathlib.Path(__file__).resolve().parents[2] / "scenarios" / "reference.scn"


def fly(base, heading_deg):
    """The reference engagement released on `heading_deg` (degrees east of north)."""
    scenario = base.copy()
    scenario.set("Carrier.heading", math.radians(heading_deg))  # turns the course with the nose
    return karvex.run(scenario)


def main(picture):
    base = karvex.Scenario.load(SCENARIO)
    target_size = base.vessels["Target"]["SIZE"]
    headings = [k / 20 for k in range(-50, 51)]
    with concurrent.futures.ThreadPoolExecutor(os.cpu_count()) as pool:
        results = list(pool.map(lambda h: fly(base, h), headings))

    hit = [(h, r.miss_distance) for h, r in zip(headings, results) if r.miss_distance is not None]
    lost = [h for h, r in zip(headings, results) if r.miss_distance is None]
    fig, ax = plt.subplots(figsize=(8, 4.5))
    ax.plot(*zip(*hit), "o-", ms=3, label="miss distance at warhead ignition")
    ax.plot(lost, [0] * len(lost), "x", color="tab:red", label="no lock: the seeker never finds the target")
    ax.axhline(target_size, color="gray", ls="--", lw=1, label=f"target size ({target_size} m)")
    ax.set_xlabel("release heading, degrees east of north (the target is due north)")
    ax.set_ylabel("miss distance, m")
    ax.set_title("The reference engagement against release heading")
    ax.set_ylim(bottom=-0.5)
    ax.grid(alpha=0.3)
    ax.legend(loc="lower center", fontsize=8)
    fig.tight_layout()
    fig.savefig(picture, dpi=110)
    print(f"{len(hit)} of {len(headings)} headings lock on, from {min(h for h, _ in hit)} to "
          f"{max(h for h, _ in hit)} degrees; wrote {picture}")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "release-heading.png")
