"""Browser tests of the replay page: flies the reference engagement with `karvex run --replay`,
opens the page in headless Chromium (Debian's package) over the DevTools protocol on a pipe, and
checks what a viewer sees.

Usage: /usr/bin/python3 tests/replay_test.py KARVEX SCENARIO WORK_DIR [--screenshot PNG]
"""
import base64
import fcntl
import io
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from PIL import Image

CHROMIUM = "/usr/bin/chromium"
WIDTH, HEIGHT = 1280, 800


class Browser:
    """Headless Chromium driven through --remote-debugging-pipe (NUL-separated JSON on fds 3 and 4)."""

    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix="karvex-chromium-")
        reader, self._out = os.pipe()
        self._in, writer = os.pipe()
        # Out of the way of 3 and 4 first, so neither dup2 below overwrites the other end.
        to_browser, from_browser = (fcntl.fcntl(fd, fcntl.F_DUPFD_CLOEXEC, 10) for fd in (reader, writer))

        def pipes():  # the browser reads commands on fd 3 and answers on fd 4 (both inherited)
            os.dup2(to_browser, 3)
            os.dup2(from_browser, 4)

        self.process = subprocess.Popen(
            [CHROMIUM, "--headless", "--remote-debugging-pipe", "--no-sandbox", "--no-first-run",
             "--disable-background-networking", "--disable-extensions", "--disable-sync",
             "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--hide-scrollbars",
             f"--window-size={WIDTH},{HEIGHT}", f"--user-data-dir={self.profile}", "about:blank"],
            close_fds=False, preexec_fn=pipes,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for fd in (reader, writer, to_browser, from_browser):
            os.close(fd)
        self._buffer = b""
        self._id = 0
        self.events = []
        self.session = None

    def close(self):
        self.process.kill()
        self.process.wait()
        os.close(self._out)
        os.close(self._in)
        shutil.rmtree(self.profile, ignore_errors=True)

    def _read_message(self, deadline):
        while b"\0" not in self._buffer:
            if time.monotonic() > deadline:
                raise TimeoutError("the browser did not answer")
            chunk = os.read(self._in, 1 << 20)
            if not chunk:
                raise RuntimeError("the browser closed its pipe")
            self._buffer += chunk
        message, self._buffer = self._buffer.split(b"\0", 1)
        return json.loads(message)

    def send(self, method, timeout=30, **params):
        self._id += 1
        message = {"id": self._id, "method": method, "params": params}
        if self.session and not method.startswith("Target."):
            message["sessionId"] = self.session
        os.write(self._out, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while True:
            reply = self._read_message(deadline)
            if reply.get("id") == self._id:
                if "error" in reply:
                    raise RuntimeError(f"{method}: {reply['error']}")
                return reply.get("result", {})
            self.events.append(reply)

    def wait_for_event(self, method, timeout=30):
        deadline = time.monotonic() + timeout
        while not any(e.get("method") == method for e in self.events):
            self.events.append(self._read_message(deadline))

    def evaluate(self, expression):
        result = self.send("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")


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
        cls.browser = Browser()
        target = cls.browser.send("Target.createTarget", url="about:blank")["targetId"]
        cls.browser.session = cls.browser.send("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
        for domain in ("Page", "Runtime", "Log", "Network"):
            cls.browser.send(f"{domain}.enable")
        cls.browser.send("Emulation.setDeviceMetricsOverride", width=WIDTH, height=HEIGHT, deviceScaleFactor=1,
                         mobile=False)
        cls.browser.send("Page.navigate", url="file://" + cls.page)
        cls.browser.wait_for_event("Page.loadEventFired")
        cls.opened_ms = cls.browser.evaluate("window.karvexReplay ? karvexReplay.openedMs : null")
        print(f"replay.html: {os.path.getsize(cls.page) / 1e6:.2f} MB, ready {cls.opened_ms} ms after it "
              "was asked for", file=sys.stderr)

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()

    def scrub(self, t):
        """Drags the time slider to `t` as a user would, and returns the seeker's state on the panel."""
        return self.browser.evaluate(
            f"(() => {{ const s = document.getElementById('slider'); s.value = {t!r};"
            " s.dispatchEvent(new Event('input')); return document.getElementById('hud-seeker').textContent; })()")

    def press(self, key, code):
        for kind in ("keyDown", "keyUp"):
            self.browser.send("Input.dispatchKeyEvent", type=kind, key=key, code=code,
                              text=" " if key == " " else "", windowsVirtualKeyCode=32 if key == " " else 39)

    def screenshot(self):
        data = self.browser.send("Page.captureScreenshot", format="png")["data"]
        return Image.open(io.BytesIO(base64.b64decode(data))).convert("RGB")

    def test_loads_offline_without_errors(self):
        self.assertIsNotNone(self.opened_ms, "the page never started its replay")
        errors = [e for e in self.browser.events
                  if e.get("method") == "Runtime.exceptionThrown"
                  or (e.get("method") == "Runtime.consoleAPICalled" and e["params"]["type"] == "error")
                  or (e.get("method") == "Log.entryAdded" and e["params"]["entry"]["level"] == "error")]
        self.assertEqual(errors, [])
        requests = [e["params"]["request"]["url"] for e in self.browser.events
                    if e.get("method") == "Network.requestWillBeSent"]
        self.assertEqual([u for u in requests if u != "file://" + self.page], [])

    def test_panel_shows_the_lock_from_the_lock_time(self):
        lock = self.summary["milestones"]["lock"]
        self.assertEqual(self.scrub(lock - 0.2), "searching")
        self.assertEqual(self.scrub(lock), "LOCKED")
        self.assertIn("seeker head is on", self.browser.evaluate("document.getElementById('event').textContent"))

    def test_panel_shows_the_wind(self):
        self.scrub(self.summary["milestones"]["release"] + 1.0)
        self.assertFalse(self.browser.evaluate("document.getElementById('wind-row').hidden"))
        self.assertEqual(self.browser.evaluate("document.getElementById('hud-wind').textContent"),
                         "1.0 m/s from 270\u00b0")

    def test_missile_meets_the_target_in_the_top_view(self):
        self.browser.evaluate("document.querySelector('[data-view=top]').click()")
        milestones = self.summary["milestones"]
        where = f"[karvexReplay.screenOf({self.summary['missile']!r}), karvexReplay.screenOf({self.summary['target']!r})]"
        for _ in range(40):  # zoom in with the mouse wheel, about eight times
            self.browser.send("Input.dispatchMouseEvent", type="mouseWheel", x=WIDTH // 2, y=HEIGHT // 2,
                              deltaX=0, deltaY=-100)  # wheel up
        self.scrub(milestones["release"])
        missile, target = self.browser.evaluate(where)
        pixels = abs(missile["y"] - target["y"])  # for the 8 km from the release to the target
        self.assertGreater(pixels, 2000, "the wheel zoomed in to a few metres a pixel")
        self.scrub(milestones["ignition"])
        missile, target = self.browser.evaluate(where)
        self.assertTrue(0 <= target["x"] < WIDTH and 0 <= target["y"] < HEIGHT, target)
        self.assertLess(abs(missile["x"] - target["x"]) + abs(missile["y"] - target["y"]), 4.0,
                        f"at {8000 / pixels:.1f} m a pixel")

    def test_mid_flight_screenshot_is_not_blank(self):
        self.browser.evaluate("document.querySelector('[data-view=chase]').click()")
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
        self.press(" ", "Space")
        self.assertTrue(self.browser.evaluate("karvexReplay.state().playing"))
        self.press(" ", "Space")
        self.assertFalse(self.browser.evaluate("karvexReplay.state().playing"))
        before = self.browser.evaluate("karvexReplay.state().t")
        self.press("ArrowRight", "ArrowRight")
        after = self.browser.evaluate("karvexReplay.state().t")
        self.assertAlmostEqual(after - before, 0.05, delta=0.051)
        self.assertGreater(after, before)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
