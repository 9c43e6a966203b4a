"""The envelope plot: draws a small envelope's picture, and names the file it lacks.

Usage: /usr/bin/python3 tests/envelope_plot_test.py (ctest runs it so), or under pytest
"""
import json
import os
import subprocess
import sys
import tempfile
import unittest

import matplotlib.image
import numpy as np

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "runner", "plots",
                      "envelope_plot.py")

# Two conditions over three bearings: the first misses at 30 deg, the second hits twice at 0 deg.
CSV = """altitude_m,speed_m_s,bearing_deg,interval,rmin_m,rmax_m,flights
1500,200,-30,1,4200,8800,18
1500,200,0,1,4000,9500,16
1500,200,30,0,,,12
3000,250,-30,1,5000,10400,20
3000,250,0,1,4800,7000,26
3000,250,0,2,7600,11900,26
3000,250,30,1,5100,10300,19
"""
SUMMARY = {
    "envelope": "small.envelope", "scenario": "reference.scn", "target": "Target",
    "target_size_m": 10, "range_m": [2000, 14000], "tolerance_m": 25, "scan_m": 400,
    "bearings_deg": [-30, 0, 30], "probability": None, "confidence": None, "runs_cap": None,
    "seed": None, "flights": 137, "dense_probes": 1440,
    "conditions": [
        {"altitude_m": 1500, "speed_m_s": 200, "rmin_on_track_m": 4000, "rmax_on_track_m": 9500,
         "max_cross_range_m": 4400, "area_km2": 21.5, "flights": 46, "undecided": 0},
        {"altitude_m": 3000, "speed_m_s": 250, "rmin_on_track_m": 4800, "rmax_on_track_m": 11900,
         "max_cross_range_m": 5200, "area_km2": 33.1, "flights": 91, "undecided": 0}]}


# Against a moving target: still, and at 12 m/s on two courses, from one release condition.
TARGET_CSV = """altitude_m,speed_m_s,target_speed_m_s,target_course_deg,bearing_deg,interval,\
rmin_m,rmax_m,flights
2000,230,0,,0,1,6500,9700,20
2000,230,12,0,0,1,5900,6200,18
2000,230,12,90,0,0,,,15
"""
TARGET_CONDITIONS = [
    {"altitude_m": 2000, "speed_m_s": 230, "target_speed_m_s": 0, "target_course_deg": None,
     "rmin_on_track_m": 6500, "rmax_on_track_m": 9700},
    {"altitude_m": 2000, "speed_m_s": 230, "target_speed_m_s": 12, "target_course_deg": 0,
     "rmin_on_track_m": 5900, "rmax_on_track_m": 6200},
    {"altitude_m": 2000, "speed_m_s": 230, "target_speed_m_s": 12, "target_course_deg": 90,
     "rmin_on_track_m": None, "rmax_on_track_m": None}]


def plot(folder):
    return subprocess.run([sys.executable, SCRIPT, folder], capture_output=True, text=True,
                          timeout=120)


class EnvelopePlot(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.TemporaryDirectory(prefix="karvex-envelope-")
        self.folder = self.work.name
        with open(os.path.join(self.folder, "envelope.json"), "w", encoding="utf-8") as f:
            json.dump(SUMMARY, f)

    def tearDown(self):
        self.work.cleanup()

    def test_draws_a_picture_with_content(self):
        with open(os.path.join(self.folder, "envelope.csv"), "w", encoding="utf-8") as f:
            f.write(CSV)
        done = plot(self.folder)
        self.assertEqual(done.returncode, 0, done.stderr)
        image = matplotlib.image.imread(os.path.join(self.folder, "envelope.png"))
        height, width = image.shape[:2]
        self.assertGreater(width, 800)
        self.assertGreater(height, 400)
        self.assertGreater(len(np.unique(image.reshape(-1, image.shape[2]), axis=0)), 10)

    def test_draws_a_panel_for_each_target_course(self):
        with open(os.path.join(self.folder, "envelope.csv"), "w", encoding="utf-8") as f:
            f.write(TARGET_CSV)
        with open(os.path.join(self.folder, "envelope.json"), "w", encoding="utf-8") as f:
            json.dump(dict(SUMMARY, bearings_deg=[0], target_speeds_m_s=[0, 12],
                           target_courses_deg=[0, 90], conditions=TARGET_CONDITIONS), f)
        done = plot(self.folder)
        self.assertEqual(done.returncode, 0, done.stderr)
        image = matplotlib.image.imread(os.path.join(self.folder, "envelope.png"))
        self.assertGreater(image.shape[1], 1600, "two course panels beside the range panel")

    def test_names_the_missing_table(self):
        done = plot(self.folder)
        self.assertNotEqual(done.returncode, 0)
        self.assertIn("envelope.csv", done.stderr)
        self.assertFalse(os.path.exists(os.path.join(self.folder, "envelope.png")))


if __name__ == "__main__":
    unittest.main(verbosity=2)
