"""Browser tests of the replay page: flies the reference engagement (and the moving-target one from
the same folder) with `karvex run --replay`, opens the page in headless Chromium through Selenium
and Debian's chromedriver, and checks what a viewer sees.

Usage: /usr/bin/python3 tests/runner/replay_test.py KARVEX SCENARIO WORK_DIR [--screenshot PNG]
"""
import csv
import io
import json
import os
import shutil
import subprocess
import sys
import unittest

from PIL import Image
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.wheel_input import ScrollOrigin
from selenium.webdriver.common.keys import Keys

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
WIDTH, HEIGHT = 1280, 800
# The target's path as drawn: its points, its length, and how far east its driven part ends (m).
TARGET_PATH = """(() => { const p = karvexReplay.targetPath, d = p.driven.geometry, at = d.attributes.position;
  return { points: p.route.geometry.attributes.position.count, length: p.length, visible: p.route.visible,
           driven: at.getX(d.drawRange.start + d.drawRange.count - 1) - at.getX(d.drawRange.start) }; })()"""


def open_browser():
    """Headless Chromium with WebGL in software, no network of its own, and its console and network
    logs kept for the tests."""
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ("--headless", "--no-sandbox", "--no-first-run", "--disable-background-networking",
                 "--disable-extensions", "--disable-sync", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
                 "--hide-scrollbars", f"--window-size={WIDTH},{HEIGHT}"):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL", "performance": "ALL"})
    browser = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    browser.set_script_timeout(30)
    return browser


class ReplayPage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        karvex, scenario, work = sys.argv[1:4]
        out = os.path.join(work, "reference")
        shutil.rmtree(out, ignore_errors=True)
        # The engagement in a light wind from the west, which the panel shows.
        with open(scenario, encoding="utf-8") as f:
            magic, rest = f.read().split("\n", 1)
        os.makedirs(work, exist_ok=True)
        windy = os.path.join(work, "reference_windy.scn")
        with open(windy, "w", encoding="utf-8") as f:
            f.write(f"{magic}\nWIND 1 270\n{rest}")
        subprocess.run([karvex, "run", windy, "-q", "-o", out, "--replay"], check=True, stdout=subprocess.DEVNULL)
        cls.page = os.path.abspath(os.path.join(out, "replay.html"))
        with open(os.path.join(out, "summary.json"), encoding="utf-8") as f:
            cls.summary = json.load(f)
        cls.browser = open_browser()
        cls.browser.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                    {"width": WIDTH, "height": HEIGHT, "deviceScaleFactor": 1, "mobile": False})
        cls.browser.get("file://" + cls.page)
        # What the page logged and asked the network for while it loaded.
        cls.console = cls.browser.get_log("browser")
        cls.network = [json.loads(e["message"])["message"] for e in cls.browser.get_log("performance")]
        cls.opened_ms = cls.evaluate("window.karvexReplay ? karvexReplay.openedMs : null")
        print(f"replay.html: {os.path.getsize(cls.page) / 1e6:.2f} MB, ready {cls.opened_ms} ms after it "
              "was asked for", file=sys.stderr)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()

    @classmethod
    def evaluate(cls, expression):
        return cls.browser.execute_script("return " + expression)

    def scrub(self, t):
        """Drags the time slider to `t` as a user would, and returns the seeker's state on the panel."""
        return self.evaluate(
            f"(() => {{ const s = document.getElementById('slider'); s.value = {t!r};"
            " s.dispatchEvent(new Event('input')); return document.getElementById('hud-seeker').textContent; })()")

    def press(self, key):
        ActionChains(self.browser).send_keys(key).perform()

    def screenshot(self):
        return Image.open(io.BytesIO(self.browser.get_screenshot_as_png())).convert("RGB")

    def test_loads_offline_without_errors(self):
        self.assertIsNotNone(self.opened_ms, "the page never started its replay")
        self.assertEqual([e for e in self.console if e["level"] == "SEVERE"], [])
        requests = [e["params"]["request"]["url"] for e in self.network if e["method"] == "Network.requestWillBeSent"]
        self.assertEqual([u for u in requests if u != "file://" + self.page], [])

    def test_panel_shows_the_lock_from_the_lock_time(self):
        lock = self.summary["milestones"]["lock"]
        self.assertEqual(self.scrub(lock - 0.2), "searching")
        self.assertEqual(self.scrub(lock), "LOCKED")
        self.assertIn("seeker head is on", self.evaluate("document.getElementById('event').textContent"))

    def test_panel_shows_the_wind_and_the_still_target(self):
        self.scrub(self.summary["milestones"]["release"] + 1.0)
        self.assertFalse(self.evaluate("document.getElementById('wind-row').hidden"))
        self.assertEqual(self.evaluate("document.getElementById('hud-wind').textContent"),
                         "1.0 m/s from 270\u00b0")
        self.assertEqual(self.evaluate("document.getElementById('hud-target').textContent"), "0 m/s")
        path = self.evaluate(TARGET_PATH)
        self.assertEqual((path["length"], path["visible"]), (0, False))

    def test_moving_target_shows_its_speed_and_path(self):
        """The truck of moving_target.scn drives east at 15 m/s; the reference page is opened again after."""
        out = os.path.join(sys.argv[3], "moving_target")
        subprocess.run([sys.argv[1], "run", os.path.join(os.path.dirname(sys.argv[2]), "moving_target.scn"), "-q",
                        "-o", out, "--replay"], check=True, stdout=subprocess.DEVNULL)
        try:
            self.browser.get("file://" + os.path.abspath(os.path.join(out, "replay.html")))
            truck = self.evaluate("karvexReplay.data.vessels.find((v) => v.name === karvexReplay.data.target).t")
            self.evaluate(f"karvexReplay.seek({(truck[0] + truck[-1]) / 2})")
            self.assertEqual(self.evaluate("document.getElementById('hud-target').textContent"), "15 m/s")
            path = self.evaluate(TARGET_PATH)
            self.assertEqual(path["points"], len(truck))
            self.assertAlmostEqual(path["length"], 15 * (truck[-1] - truck[0]), delta=0.5)
            self.assertAlmostEqual(path["driven"], path["length"] / 2, delta=0.5)
        finally:
            self.browser.get("file://" + self.page)

    def test_salvo_shows_both_weapons_and_w_chases_the_next(self):
        """The reference engagement with a second missile released half a second after the first."""
        with open(sys.argv[2], encoding="utf-8") as f:
            text = f.read()
        for old, new in (("WATCH K1\n", "WATCH K2\n"), ("  STATION 0 -1.5 0\n", "  STATION 1.5 -1.5 0\n"),
                         ("  AT 5 0 RELEASE 0 -1 0\n", "  AT 0 1 ACTIVATE\n  AT 5.5 1 ACTIVATE\n  AT 5.5 1 ARM\n"
                                                        "  AT 5.5 1 RELEASE 0 -1 0\n"),
                         ("K1:Karvex\n  ATTACHED 0 0 Carrier\nEND\n", "K2:Karvex\n  ATTACHED 0 1 Carrier\nEND\n")):
            text = text.replace(old, old + new)
        out = os.path.join(sys.argv[3], "salvo")
        os.makedirs(out, exist_ok=True)
        with open(os.path.join(out, "salvo.scn"), "w", encoding="utf-8") as f:
            f.write(text)
        subprocess.run([sys.argv[1], "run", os.path.join(out, "salvo.scn"), "-q", "-o", out, "--replay"], check=True,
                       stdout=subprocess.DEVNULL)
        try:
            self.browser.get_log("browser")  # what the other pages logged
            self.browser.get("file://" + os.path.abspath(os.path.join(out, "replay.html")))
            self.assertEqual([e for e in self.browser.get_log("browser") if e["level"] == "SEVERE"], [])
            phases = self.evaluate("karvexReplay.data.vessels.find((v) => v.name === 'K2').phase")
            self.assertIn(1, phases, "the second missile's trail shows its own boost")
            self.evaluate("document.querySelector('[data-view=top]').click(); karvexReplay.seek(15)")
            shown = self.evaluate("Object.fromEntries([...document.querySelectorAll('#view div')].filter((d) =>"
                                  " d.style.display !== 'none').map((d) => [d.textContent, d.style.color]))")
            white = "rgb(255, 255, 255)"  # a missile's dot, where a carrier's is blue
            self.assertEqual((shown.get("K1"), shown.get("K2"), "Target" in shown), (white, white, True), shown)
            weapon = "document.getElementById('hud-weapon').textContent"
            self.assertEqual(self.evaluate(weapon), "K1 (1 of 2)")
            self.press("w")
            self.assertEqual(self.evaluate(weapon), "K2 (2 of 2)")
            self.press("w")
            self.assertEqual(self.evaluate(weapon), "K1 (1 of 2)")
        finally:
            self.browser.get("file://" + self.page)

    def test_hostile_names_and_events_leave_the_player_running(self):
        """The reference run replayed again with its missile renamed and an event added, each holding
        text that, put raw in the page, would change how the browser reads the data's script element."""
        hostile = "K1<!--<script> </script><b>&amp; x > y"
        out = os.path.join(sys.argv[3], "hostile")
        shutil.rmtree(out, ignore_errors=True)
        os.makedirs(out)
        release = self.summary["milestones"]["release"]
        events = list(self.summary["events"])
        at = sum(1 for e in events if e["time_s"] <= release)  # the last event at the release, as the panel shows
        events.insert(at, {"time_s": release, "kind": "debug", "text": "<!--<script>" + hostile})
        summary = dict(self.summary, missile=hostile, events=events)
        with open(os.path.join(out, "summary.json"), "w", encoding="utf-8") as f:
            json.dump(summary, f)
        reference = os.path.dirname(self.page)
        with open(os.path.join(reference, "telemetry.csv"), encoding="utf-8", newline="") as f:
            rows = list(csv.reader(f))
        vessel = rows[0].index("vessel")
        for row in rows[1:]:
            if row[vessel] == self.summary["missile"]:
                row[vessel] = hostile
        with open(os.path.join(out, "telemetry.csv"), "w", encoding="utf-8", newline="") as f:
            csv.writer(f, lineterminator="\n").writerows(rows)
        subprocess.run([sys.argv[1], "replay", out], check=True, stdout=subprocess.DEVNULL)
        try:
            self.browser.get_log("browser")  # what the other pages logged
            self.browser.get("file://" + os.path.abspath(os.path.join(out, "replay.html")))
            self.assertEqual([e for e in self.browser.get_log("browser") if e["level"] == "SEVERE"], [])
            self.assertIsNotNone(self.evaluate("window.karvexReplay ? karvexReplay.openedMs : null"),
                                 "the page never started its replay")
            self.assertEqual(self.evaluate("karvexReplay.data.missile"), hostile)
            self.assertIn(hostile, self.evaluate("karvexReplay.data.vessels.map((v) => v.name)"))
            self.scrub(release)
            self.assertIn("<!--<script>" + hostile, self.evaluate("document.getElementById('event').textContent"))
        finally:
            self.browser.get("file://" + self.page)

    def test_missile_meets_the_target_in_the_top_view(self):
        self.evaluate("document.querySelector('[data-view=top]').click()")
        milestones = self.summary["milestones"]
        where = f"[karvexReplay.screenOf({self.summary['missile']!r}), karvexReplay.screenOf({self.summary['target']!r})]"
        wheel = ActionChains(self.browser)
        for _ in range(40):  # zoom in with the mouse wheel, about eight times
            wheel.scroll_from_origin(ScrollOrigin.from_viewport(WIDTH // 2, HEIGHT // 2), 0, -100)  # wheel up
        wheel.perform()
        self.scrub(milestones["release"])
        missile, target = self.evaluate(where)
        pixels = abs(missile["y"] - target["y"])  # for the 8 km from the release to the target
        self.assertGreater(pixels, 2000, "the wheel zoomed in to a few metres a pixel")
        self.scrub(milestones["ignition"])
        missile, target = self.evaluate(where)
        self.assertTrue(0 <= target["x"] < WIDTH and 0 <= target["y"] < HEIGHT, target)
        self.assertLess(abs(missile["x"] - target["x"]) + abs(missile["y"] - target["y"]), 4.0,
                        f"at {8000 / pixels:.1f} m a pixel")

    def test_mid_flight_screenshot_is_not_blank(self):
        self.evaluate("document.querySelector('[data-view=chase]').click()")
        milestones = self.summary["milestones"]
        self.scrub((milestones["release"] + milestones["impact"]) / 2)
        image = self.screenshot()
        self.assertEqual(image.size, (WIDTH, HEIGHT))
        view = image.crop((300, 120, WIDTH - 200, HEIGHT - 80)).convert("P", palette=Image.ADAPTIVE, colors=64)
        shares = sorted(view.histogram(), reverse=True)
        self.assertLess(shares[0] / sum(shares), 0.9)  # not one flat colour: sky, ground and grid at least
        if len(sys.argv) > 5 and sys.argv[4] == "--screenshot":
            image.save(sys.argv[5])

    def test_keyboard_plays_pauses_and_steps(self):
        self.scrub(self.summary["milestones"]["release"])
        self.press(Keys.SPACE)
        self.assertTrue(self.evaluate("karvexReplay.state().playing"))
        self.press(Keys.SPACE)
        self.assertFalse(self.evaluate("karvexReplay.state().playing"))
        before = self.evaluate("karvexReplay.state().t")
        self.press(Keys.ARROW_RIGHT)
        after = self.evaluate("karvexReplay.state().t")
        self.assertAlmostEqual(after - before, 0.05, delta=0.051)
        self.assertGreater(after, before)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
