"""A flight stepped from Python: against karvex.run, in pieces, saved and flown on, commanded as a
launcher commands, steered from a callback, on two threads at once, misused, and under Ctrl-C."""

import json
import math
import os
import pathlib
import subprocess
import sys
import threading

import numpy
import pytest

import karvex

SOURCE = pathlib.Path(__file__).resolve().parent.parent
REFERENCE = SOURCE / "scenarios" / "reference.scn"


def same_columns(got, expected):
    assert list(got) == list(expected)
    for name, values in expected.items():
        assert numpy.array_equal(got[name], values, equal_nan=values.dtype != object), name


def test_stepped_in_pieces_the_flight_is_the_one_karvex_run_flies():
    whole = karvex.run(REFERENCE)
    with karvex.Simulation(REFERENCE) as sim, karvex.Simulation(str(REFERENCE)) as single:
        assert [sim.step() for _ in range(7)] + [sim.step(93)] == [1] * 7 + [93]
        assert [single.step() for _ in range(100)] == [1] * 100
        assert single.state().tobytes() == sim.state().tobytes() and single.frames == sim.frames == 100
        assert sim.run_until(event="release", vessel="K1") and sim.time == pytest.approx(5.01)
        assert [e.kind for e in sim.events()][-5:] == ["release", "thruster", "command", "command", "log"]
        assert sim.run_until(condition=lambda s: s.state("K1")["altitude_m"] < 1500)
        assert sim.run_until(time=20) and not sim.ended
        # The state is the telemetry's, to the bit, and one array holds every vessel's.
        k1 = sim.state("K1")
        telemetry = sim.telemetry()
        row = numpy.flatnonzero(telemetry["vessel"] == "K1")[-1]
        assert telemetry["time_s"][row] == sim.time
        assert (telemetry["x_m"][row], telemetry["mach"][row], telemetry["v_east_m_s"][row]) == (
            k1["pos_m"][0], k1["mach"], k1["local_vel_m_s"][0])
        states = sim.state_dict()
        assert states["quat"].shape == (3, 4) and states["quat"].base is states["mach"].base
        assert states["thruster_count"][sim.index("K1")] == k1["thruster_count"] and k1.dtype == sim.STATE_DTYPE
        assert [v.name for v in sim.vessels] == ["Carrier", "K1", "Target"]

        assert sim.run_until(time=1e9) is False and sim.ended
        result = sim.result()
        assert result.summary == whole.summary == sim.summary()
        assert result.events == whole.events
        same_columns(result.telemetry, whole.telemetry)
        assert sim.close().summary == whole.summary


def test_saved_mid_flight_it_flies_on_to_the_same_bits(tmp_path, monkeypatch):
    # Over the flat ground the saved flight loads to the same positions, velocities and attitudes, and
    # its host-flown vessels fly on to the same bits (the weapon's module saves only its motor clock).
    monkeypatch.chdir(tmp_path)
    with karvex.Simulation(SOURCE / "scenarios" / "moving_target.scn") as first:
        first.run_until(time=5.37)
        saved = first.save("mid.scn")  # against the caller's folder
        assert saved.path == str(tmp_path / "mid.scn") and first.save() == saved
        with karvex.Simulation(saved) as again:
            for field in ("pos_m", "vel_m_s", "quat"):
                assert again.state()[field].tobytes() == first.state()[field].tobytes()
            for sim in (first, again):
                sim.run_until(time=14)
            assert again.time == first.time
            for name in ("Carrier", "Truck"):
                assert again.state(name).tobytes() == first.state(name).tobytes()


def answers(events):
    return [e.text[e.text.find(" sent "):] if e.kind == "command" else e.kind for e in events]


def test_a_launchers_commands_answer_as_the_module_answers_its_carrier():
    unscheduled = karvex.Scenario.load(REFERENCE)
    del unscheduled.vessels["Carrier"]["AT"]
    with karvex.Simulation(REFERENCE) as scheduled, karvex.Simulation(unscheduled) as launcher:
        assert (launcher.command("K1", "GETTYPE"), launcher.command("K1", "WEAPON::ACTIVATE")) == (1, 0)
        for sim in (launcher, scheduled):
            sim.run_until(time=5)
        assert (launcher.command("K1", "ACTIVATE"), launcher.command("K1", "ARM")) == (0, 0)
        launcher.release("Carrier", 0, velocity=(0, -1, 0))
        assert launcher.vessels[1] == ("K1", "Karvex", "dynamic")
        with pytest.raises(ValueError, match="holds nothing"):
            launcher.release("Carrier", 0)
        for sim in (launcher, scheduled):
            sim.run_until(time=20)
        assert launcher.state().tobytes() == scheduled.state().tobytes()
        assert answers(launcher.events()) == answers(scheduled.events())


def test_a_kinematic_vessel_follows_what_a_callback_tells_it():
    with karvex.Simulation(SOURCE / "scenarios" / "reference_flat.scn") as sim:
        def slow_down(s):
            if s.frames == 10:
                s.set_velocity("Carrier", (20.0, 0.0, -10.0))
        sim.on_frame(slow_down)
        sim.step(10)
        before = sim.state("Carrier")["pos_m"]
        sim.step(100)
        carrier = sim.state("Carrier")
        assert list(carrier["vel_m_s"]) == [20.0, 0.0, -10.0]
        assert carrier["pos_m"] - before == pytest.approx([20.0, 0.0, -10.0], abs=1e-6)

        sim.on_frame(lambda s: s.set_course("Carrier", 90, 230, acceleration=100) if s.frames == 200 else None)
        sim.run_until(time=4)
        sim.on_frame(None)
        carrier = sim.state("Carrier")
        assert carrier["local_vel_m_s"] == pytest.approx([230, 0, 0], abs=1e-6)
        assert math.degrees(carrier["heading_rad"]) == pytest.approx(90)
        # A turn at 9.8 m/s^2 across 230 m/s goes round at 9.8 / 230 rad/s.
        sim.turn("Carrier", course=0, acceleration=9.8)
        sim.step(300)
        assert math.degrees(sim.state("Carrier")["heading_rad"]) == pytest.approx(90 - math.degrees(3 * 9.8 / 230),
                                                                                   abs=0.01)


def fly(scenario, flights, name):
    with karvex.Simulation(scenario) as sim:
        seen = []
        sim.on_frame(lambda s: seen.append(s.state(0)["pos_m"].tobytes()))
        while sim.step(50) == 50:
            pass
        flights[name] = (sim.state().tobytes(), sim.summary(), seen)


def test_two_simulations_on_two_threads_fly_as_each_flies_alone():
    scenarios = {"reference": REFERENCE, "moving": SOURCE / "scenarios" / "moving_target.scn"}
    alone, together = {}, {}
    for name, scenario in scenarios.items():
        fly(scenario, alone, name)
    threads = [threading.Thread(target=fly, args=(scenario, together, name)) for name, scenario in scenarios.items()]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert together == alone and len(alone["reference"][2]) == 2945


def test_misuse_is_refused_clearly_and_the_simulation_flies_on(tmp_path):
    with pytest.raises(FileNotFoundError):
        karvex.Simulation(tmp_path / "none.scn")
    with pytest.raises(karvex.ModuleError):
        karvex.Simulation(REFERENCE, modules=tmp_path)
    (tmp_path / "bad.scn").write_text("ZELVAR-STANDIN-SCENARIO 1\nWOBBLE 3\n")
    with pytest.raises(karvex.ScenarioError, match="bad.scn:2: unknown key"):
        karvex.Simulation(tmp_path / "bad.scn")
    sim = karvex.Simulation(REFERENCE)
    sim.key("K1", 0x20)
    assert sim.step() == 1 and sim.events()[0].text == "key 0x20 pressed on K1: ignored"
    for call, error, text in [
        (lambda: sim.state("K9"), KeyError, '"K9"'),
        (lambda: sim.command("K9", "ARM"), KeyError, '"K9"'),
        (lambda: sim.command("Carrier", "ARM"), ValueError, '"Carrier" is not a weapon'),
        (lambda: sim.set_velocity("K1", (0, 0, 0)), ValueError, '"K1" is attached'),
        (lambda: sim.steer("Carrier", ["COURSE 90"]), ValueError, "steering:1: "),
        (lambda: sim.run_until(time=3, event="release"), TypeError, "exactly one"),
        (lambda: sim.run_until(event="bang"), ValueError, 'no event is called "bang"'),
    ]:
        with pytest.raises(error, match=text):
            call()

    def stop_at_the_fifth(s):
        if s.frames == 5:
            raise ArithmeticError("fifth")
    sim.on_frame(stop_at_the_fifth)
    with pytest.raises(ArithmeticError, match="fifth"):
        sim.step(100)
    assert sim.frames == 5  # the frame it raised in, and no further
    sim.on_frame(lambda s: s.step())
    with pytest.raises(RuntimeError, match="from its own on_frame callback"):
        sim.run_until(time=1)
    sim.on_frame(None)
    assert sim.step(3) == 3 and sim.run_until(time=1e9) is False
    with pytest.raises(ValueError, match="the flight has ended"):
        sim.step()
    sim.close()
    for call in (sim.step, sim.state, lambda: sim.time, sim.events):
        with pytest.raises(ValueError, match="the simulation is closed"):
            call()
    assert sim.close() is None


# A child interpreter presses Ctrl-C during a long run_until with a callback at every frame, and
# prints how long KeyboardInterrupt took, and the frames a step flies afterwards.
CHILD = r"""
import json, os, signal, sys, threading, time
import karvex

signal.signal(signal.SIGINT, signal.default_int_handler)
endless = karvex.Scenario.load(sys.argv[1])
del endless.settings["WATCH"]
endless.settings["END"] = 30000
with karvex.Simulation(endless) as sim:
    sim.on_frame(lambda s: s.state("Target"))
    sent = []
    def press():
        sent.append(time.monotonic())
        os.kill(os.getpid(), signal.SIGINT)
    threading.Timer(0.5, press).start()
    try:
        sim.run_until(time=20000)
    except KeyboardInterrupt:
        print(json.dumps({"latency": time.monotonic() - sent[0], "after": sim.step(3)}))
"""


def test_ctrl_c_stops_a_long_run_until_and_the_simulation_flies_on():
    child = subprocess.run([sys.executable, "-c", CHILD, REFERENCE], capture_output=True, text=True, timeout=300)
    assert child.returncode == 0, child.stderr
    report = json.loads(child.stdout)
    assert report["latency"] < 0.5 and report["after"] == 3


# A child interpreter saves flights over the Earth while their weapons are still carried, at several
# frames, and flies each saved file on past the release; it prints what each came to.
SAVE_CHILD = r"""
import json, sys
import karvex

report = []
for scenario, frames in ((sys.argv[1], (0, 1, 250, 500)), (sys.argv[2], (300,))):
    with karvex.Simulation(scenario) as sim:
        for frame in frames:
            if frame > sim.frames:
                sim.step(frame - sim.frames)
            saved = sim.save(f"saved-{len(report)}.scn")
            with karvex.Simulation(saved) as again:
                carrier = again.state("Carrier")["pos_m"].tolist() == sim.state("Carrier")["pos_m"].tolist()
                released = again.run_until(event="release", vessel="K1")
                report.append({"frame": frame, "carrier": carrier, "released": released, "at": again.time,
                               "flown": again.step(100)})
print(json.dumps(report))
"""


def test_saved_over_the_earth_with_a_weapon_carried_it_loads_and_flies_on(tmp_path):
    ripple = SOURCE / "scenarios" / "ripple_salvo.scn"
    child = subprocess.run([sys.executable, "-c", SAVE_CHILD, REFERENCE, ripple], capture_output=True, text=True,
                           timeout=300, cwd=tmp_path)
    assert child.returncode == 0, child.stderr
    report = json.loads(child.stdout)
    assert [r["frame"] for r in report] == [0, 1, 250, 500, 300]
    for r in report:
        # Each saved file starts where the carrier was, releases at the carrier's own time and flies on.
        assert r["carrier"] and r["released"] and r["flown"] == 100, r
        assert r["at"] == pytest.approx(5.01), r


# A child interpreter leaves a daemon thread inside a call that runs a Python callback, and exits.
EXIT_CHILD = r"""
import sys, threading, time
import karvex

endless = karvex.Scenario.load(sys.argv[1])
del endless.settings["WATCH"]
endless.settings["END"] = 30000
sim = karvex.Simulation(endless)
calls = {
    "on_frame": lambda: (sim.on_frame(lambda s: s.time), sim.run_until(time=20000)),
    "condition": lambda: sim.run_until(condition=lambda s: s.time > 20000),
    "progress": lambda: karvex.sweep(karvex.Scenario.load(sys.argv[1]), runs=400, jobs=1,
                                     progress=lambda done, total: None),
}
threading.Thread(target=calls[sys.argv[2]], daemon=True).start()
time.sleep(0.5)
"""


@pytest.mark.parametrize("call", ["on_frame", "condition", "progress"])
def test_the_interpreter_exits_cleanly_with_a_daemon_thread_inside_a_callback_call(tmp_path, call):
    scratch = tmp_path / "tmp"
    scratch.mkdir()
    env = {**os.environ, "TMPDIR": str(scratch)}
    for _ in range(3):
        child = subprocess.run([sys.executable, "-c", EXIT_CHILD, REFERENCE, call], capture_output=True, text=True,
                               timeout=120, env=env)
        assert child.returncode == 0, child.stderr  # negative: ended by a signal
        assert list(scratch.iterdir()) == [], "scratch folders left behind"
