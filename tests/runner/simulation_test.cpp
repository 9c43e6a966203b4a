// A flight stepped from outside: whole, in pieces, saved and flown on, commanded as a launcher
// commands, and refusing what it cannot do.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "runner/flight/simulation.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

std::string Text(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class Stepped : public WorldTest {
protected:
    static runner::RunOptions Options(const std::string& scenario, const std::string& out = "")
    {
        runner::RunOptions options;
        options.scenario = scenario.find('/') == std::string::npos ? std::string(KARVEX_SCENARIO_DIR) + "/" + scenario
                                                                   : scenario;
        options.moduleDir = KARVEX_MODULE_DIR;
        options.outDir = out;
        options.workDir = out.empty() ? fs::current_path().string() : "";
        options.keepTelemetry = true;
        return options;
    }

    /// A state's numbers as their bits.
    static std::vector<uint64_t> Bits(const runner::VesselReadout& state, size_t from = 0,
                                      size_t to = sizeof(runner::VesselReadout))
    {
        std::vector<uint64_t> words((to - from) / sizeof(uint64_t));
        std::memcpy(words.data(), reinterpret_cast<const char*>(&state) + from, to - from);
        return words;
    }

    /// Every live vessel's state, as bits.
    static std::vector<std::vector<uint64_t>> States(const runner::Simulation& sim)
    {
        std::vector<std::vector<uint64_t>> all;
        all.reserve(static_cast<size_t>(sim.VesselCount()));
        for (int v = 0; v < sim.VesselCount(); ++v) {
            all.push_back(Bits(sim.State(v)));
        }
        return all;
    }
};

// Flown in pieces (single frames, n frames, until an event, a time and a condition) the engagement
// writes the files of a whole run byte for byte, on either planet; a second simulation, open
// meanwhile in a world of its own on the same thread, flies the same flight.
TEST_F(Stepped, InPiecesTheFlightWritesWhatAWholeRunWrites)
{
    for (const char* name : {"reference_flat.scn", "reference.scn"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(runner::Run(Options(name, "whole")).exitCode, runner::EXIT_OK);
        runner::Simulation sim(Options(name, "stepped"), true);
        runner::Simulation twin(Options(name, "twin"), true);
        ASSERT_TRUE(sim.Ok()) << sim.Error();
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(sim.Step(), 1);
        }
        EXPECT_EQ(sim.Step(93), 93);
        EXPECT_EQ(sim.StepUntilEvent("release", "K1"), runner::Until::Reached);
        EXPECT_NEAR(sim.Time(), 5.01, 1e-9);
        EXPECT_EQ(sim.NewEvents().size(), sim.Events().size());
        EXPECT_EQ(sim.StepUntilEvent("lock"), runner::Until::Reached);
        EXPECT_EQ(sim.NewEvents().back().kind, "lock");
        const int k1 = sim.IndexOf("K1");
        EXPECT_EQ(sim.StepUntil([&](runner::Simulation& s) { return s.State(k1).altitude < 1500.0; }), runner::Until::Reached);
        EXPECT_LT(sim.State(k1).altitude, 1500.0);
        EXPECT_EQ(sim.StepUntil(20.0), runner::Until::Reached);
        EXPECT_EQ(sim.StepUntilEvent("ignition", "K1"), runner::Until::Reached);
        const runner::RunResult sofar = sim.Result();
        EXPECT_EQ(sofar.endTime, sim.Time());
        EXPECT_EQ(sofar.milestones.ignition, sim.Time()) << "the frame the warhead lit";
        EXPECT_FALSE(std::isnan(sofar.missDistance));
        EXPECT_EQ(sofar.events.size(), sim.Events().size());
        EXPECT_EQ(sim.StepUntilEvent("gone", "K1"), runner::Until::Reached);
        EXPECT_EQ(sim.IndexOf("K1"), -1);
        EXPECT_TRUE(sim.Ended()) << "its watched weapon gone, the flight is over";
        EXPECT_EQ(sim.StepUntil(1e9), runner::Until::Refused);
        EXPECT_EQ(twin.StepUntil(1e9), runner::Until::Ended);
        EXPECT_EQ(States(twin), States(sim)) << "two worlds on one thread";
        twin.Close();
        const runner::RunResult end = sim.Close();
        EXPECT_EQ(end.exitCode, runner::EXIT_OK) << end.error;
        for (const char* file : {"telemetry.csv", "summary.json", "Debug.log", "end.scn"}) {
            EXPECT_EQ(Text(fs::path("stepped") / file), Text(fs::path("whole") / file)) << file;
        }
    }
}

// Saved mid-flight, the flight loads to the same state, and the vessels the host flies (the
// carrier and the target) fly on to the same bits, on either planet; over the round planet the
// carrier's latitude and longitude are read afresh from its place. (The weapon's module saves only
// its motor clock, so its guidance starts afresh.)
TEST_F(Stepped, SavedMidFlightFliesOnToTheSameBits)
{
    constexpr size_t lat = offsetof(runner::VesselReadout, latitude), alt = offsetof(runner::VesselReadout, altitude);
    for (const char* name : {"moving_target.scn", "reference.scn"}) {
        SCOPED_TRACE(name);
        runner::Simulation first(Options(name), true);
        ASSERT_EQ(first.StepUntil(5.37), runner::Until::Reached);
        ASSERT_TRUE(first.Save("mid.scn")) << first.Error();
        runner::Simulation again(Options("./mid.scn"), true);
        ASSERT_TRUE(again.Ok()) << again.Error();
        EXPECT_EQ(again.Time(), first.Time());
        for (int v = 0; v < 3; ++v) {
            EXPECT_EQ(Bits(again.State(v), 0, lat), Bits(first.State(v), 0, lat)) << v;
        }
        first.StepUntil(14.0);
        again.StepUntil(14.0);
        for (int v : {0, 2}) {
            EXPECT_EQ(Bits(again.State(v), 0, lat), Bits(first.State(v), 0, lat)) << v;
            EXPECT_EQ(Bits(again.State(v), alt), Bits(first.State(v), alt)) << v;
        }
    }
}

// Given by hand at the times the carrier's schedule gives them, a launcher's commands and release
// answer as the module answers the carrier and fly the engagement to the same bits.
TEST_F(Stepped, ALaunchersCommandsAnswerAsTheModuleDoes)
{
    std::string text = Text(std::string(KARVEX_SCENARIO_DIR) + "/reference_flat.scn");
    text = std::regex_replace(text, std::regex("  AT [^\n]*\n"), "");
    std::ofstream("unscheduled.scn") << text;
    runner::Simulation scheduled(Options("reference_flat.scn", "scheduled"), true);
    runner::Simulation launcher(Options("./unscheduled.scn", "launcher"), true);
    ASSERT_TRUE(launcher.Ok()) << launcher.Error();
    EXPECT_EQ(launcher.Command("K1", "GETTYPE"), 1);
    EXPECT_EQ(launcher.Command("K1", "WEAPON::ACTIVATE"), 0);
    EXPECT_FALSE(launcher.Command("Carrier", "ARM")) << "the carrier is no weapon";
    EXPECT_NE(launcher.Error().find("\"Carrier\" is not a weapon"), std::string::npos) << launcher.Error();
    EXPECT_FALSE(launcher.Command("K9", "ARM"));
    EXPECT_EQ(launcher.Error(), "no vessel is called \"K9\"");
    launcher.StepUntil(5.0);
    scheduled.StepUntil(5.0);
    EXPECT_EQ(launcher.Command("K1", "ACTIVATE"), 0);
    EXPECT_EQ(launcher.Command("K1", "ARM"), 0);
    EXPECT_FALSE(launcher.Release("Carrier", 1));
    EXPECT_TRUE(launcher.Release("Carrier", 0, {0.0, -1.0, 0.0}));
    EXPECT_FALSE(launcher.Release("Carrier", 0)) << "nothing is left on the station";
    EXPECT_EQ(launcher.Vessels()[1].motion, "dynamic");
    launcher.StepUntil(20.0);
    scheduled.StepUntil(20.0);
    EXPECT_EQ(States(launcher), States(scheduled));
    std::vector<std::string> answers;
    for (const runner::Event& e : launcher.Events()) {
        answers.push_back(e.kind == "command" ? e.text.substr(e.text.find(" sent ")) : e.kind);
    }
    std::vector<std::string> wanted;
    for (const runner::Event& e : scheduled.Events()) {
        wanted.push_back(e.kind == "command" ? e.text.substr(e.text.find(" sent ")) : e.kind);
    }
    EXPECT_EQ(answers, wanted);
}

// A kinematic vessel goes where it is told; what cannot be done is refused with why, and the
// simulation flies on.
TEST_F(Stepped, KinematicVesselsFollowAndMisuseIsRefused)
{
    runner::Simulation sim(Options("moving_target.scn"), true);
    const int target = sim.IndexOf("Truck");
    ASSERT_TRUE(sim.SetVelocity("Truck", {10.0, 0.0, -5.0})) << sim.Error();
    const runner::VesselReadout before = sim.State(target);
    sim.Step(100);
    const runner::VesselReadout after = sim.State(target);
    EXPECT_NEAR(after.pos[0] - before.pos[0], 10.0, 1e-9);
    EXPECT_NEAR(after.pos[2] - before.pos[2], -5.0, 1e-9);
    ASSERT_TRUE(sim.Steer("Truck", "COURSE 90 30 100")) << sim.Error();
    sim.Step(300);
    EXPECT_NEAR(sim.State(target).localVel[0], 30.0, 1e-6) << "east at 30 m/s";
    EXPECT_NEAR(sim.State(target).heading, M_PI / 2, 1e-9);
    EXPECT_FALSE(sim.Steer("Truck", "COURSE 90\nWEAVE 1 2 3"));
    EXPECT_NE(sim.Error().find("steering:1: "), std::string::npos) << sim.Error();
    EXPECT_FALSE(sim.SetVelocity("K1", {0.0, 0.0, 0.0}));
    EXPECT_NE(sim.Error().find("is attached"), std::string::npos) << sim.Error();
    EXPECT_EQ(sim.StepUntilEvent("bang"), runner::Until::Refused);
    EXPECT_EQ(sim.Step(0), -1);
    EXPECT_TRUE(sim.Key("K1", 0x20, true));
    sim.Step();
    EXPECT_EQ(sim.NewEvents().back().kind, "key");
    EXPECT_EQ(sim.StepUntil(1e9), runner::Until::Ended);
    EXPECT_EQ(sim.Step(), -1);
    EXPECT_NE(sim.Error().find("the flight has ended"), std::string::npos);
    EXPECT_EQ(sim.Close().exitCode, runner::EXIT_OK);
    EXPECT_EQ(sim.Step(), -1);
    EXPECT_EQ(sim.Error(), "the simulation is closed");
    EXPECT_TRUE(std::isnan(sim.State(0).altitude));
}

}  // namespace
