// The karvex runner end to end: the reference engagement flown from its scenario file, the other
// scenarios ending as their comments say, exact save and load, determinism, and bad input.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "missile/guided_missile.h"
#include "runner/cli/commands.h"
#include "runner/flight/flight.h"
#include "runner/flight/telemetry.h"
#include "tests/test_support.h"

namespace {

class Runner : public WorldTest {
protected:
    /// Flies scenario file `name` of the project's scenarios into output folder `out`.
    static runner::RunResult Fly(const std::string& name, const std::string& out,
                                 std::function<void()> afterStep = nullptr)
    {
        runner::RunOptions options;
        options.scenario = std::string(KARVEX_SCENARIO_DIR) + "/" + name;
        options.moduleDir = KARVEX_MODULE_DIR;
        options.outDir = out;
        options.afterStep = std::move(afterStep);
        options.keepTelemetry = true;
        return runner::Run(options);
    }

    /// |v_a - v_b| in the telemetry sample of `r` nearest to simulation time `at`, m/s.
    static double TelemetrySpeedOf(const runner::RunResult& r, double at, const std::string& a, const std::string& b)
    {
        const runner::TelemetryColumns& t = r.telemetry;
        auto column = [&](const char* name) { return size_t(std::ranges::find(t.names, name) - t.names.begin()); };
        const std::vector<double>& time = t.numbers[column("time_s")];
        size_t near = 0;
        for (size_t i = 0; i < time.size(); ++i) {
            near = std::fabs(time[i] - at) < std::fabs(time[near] - at) ? i : near;
        }
        double d[3] = {0.0, 0.0, 0.0};
        for (size_t i = 0; i < time.size(); ++i) {
            const std::string& vessel = t.texts[column("vessel")][i];
            const double sign = time[i] != time[near] ? 0.0 : vessel == a ? 1.0 : vessel == b ? -1.0 : 0.0;
            for (size_t k = 0; k < 3; ++k) {
                d[k] += sign * t.numbers[column("vx_m_s") + k][i];
            }
        }
        return std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    }

    /// The kinds of the run's events, in order, without thruster, debug and log lines.
    static bool Happened(const runner::RunResult& r, const std::string& kind)
    {
        for (const runner::Event& e : r.events) {
            if (e.kind == kind) {
                return true;
            }
        }
        return false;
    }
};

// The reference engagement over the flat ground: carried, commanded, released, lit, boosted for
// 1.5 s, locked, and detonated on ground contact next to its target; the lock holds until impact.
TEST_F(Runner, ReferenceEngagementHitsItsTarget)
{
    double lockedAt = NAN, lostAt = NAN;
    runner::RunResult r = Fly("reference_flat.scn", "out", [&]() {
        VESSEL* iface = zapiGetVesselInterface(zapiGetVesselByIndex(1));
        if (iface == nullptr || std::strcmp(iface->GetName(), "K1") != 0) {
            return;
        }
        auto* missile = static_cast<GuidedMissile*>(static_cast<VESSEL2*>(iface));
        if (missile->targetLocked && std::isnan(lockedAt)) {
            lockedAt = zapiGetSimTime();
        } else if (!missile->targetLocked && !std::isnan(lockedAt) && std::isnan(lostAt)) {
            lostAt = zapiGetSimTime();
        }
    });
    ASSERT_EQ(r.exitCode, runner::EXIT_OK) << r.error;
    const runner::Milestones& m = r.milestones;
    const double step = 0.01;
    EXPECT_NEAR(m.release, 5.0 + step, 1e-9) << "released in the frame after the carrier let go at 5 s";
    EXPECT_EQ(m.motorLit, m.release);
    EXPECT_NEAR(m.boosterCut - m.motorLit, 1.5, step + 1e-9) << "the booster cuts out after 1.5 s of burn";
    EXPECT_LT(m.boosterCut, m.lock);
    EXPECT_EQ(m.lock, lockedAt) << "the host sees the head on the target when the seeker locks";
    EXPECT_NEAR(m.lock - m.release, 7.0, 1.0) << "the first downward sweep finds it";
    EXPECT_LT(m.lock, m.impact);
    EXPECT_NEAR(m.ignition, m.impact, step + 1e-9);
    EXPECT_LT(m.ignition, m.burnOut);
    EXPECT_NEAR(m.burnOut - m.ignition, 0.1, 1e-9) << "the charge burns in 0.1 s";
    EXPECT_EQ(m.removal, m.burnOut);
    EXPECT_TRUE(std::isnan(lostAt) || lostAt >= m.impact) << "lock lost at " << lostAt << " s, impact " << m.impact;
    EXPECT_LT(r.ignitionPoint.y, 2.0) << "ignition on ground contact";
    std::printf("miss distance %.2f m, lock %.2f s after release, flight %.2f s\n", r.missDistance,
                m.lock - m.release, m.removal - m.release);
    EXPECT_LT(r.missDistance, 10.0) << "a hit on the 10 m target";
    EXPECT_NE(ReadFile("out/Debug.log").find("Carrier sent WEAPON::ARM to K1: answer 0 at 5.000000s."), std::string::npos)
        << "the carrier logs each command and its answer";
    EXPECT_EQ(std::count_if(r.events.begin(), r.events.end(), [](const runner::Event& e) { return e.kind == "command"; }),
              4)
        << "the observer tells the carrier's four commands from its release and the other log lines";

    // The same scenario flies to the same bytes.
    ASSERT_EQ(Fly("reference_flat.scn", "again").exitCode, runner::EXIT_OK);
    for (const char* file : {"telemetry.csv", "summary.json", "end.scn", "Debug.log"}) {
        EXPECT_EQ(ReadFile(std::string("out/") + file), ReadFile(std::string("again/") + file)) << file;
    }
    EXPECT_EQ(ReadFile("out/telemetry.csv").rfind("time_s,vessel,x_m,y_m,z_m,vx_m_s", 0), 0u);
}

// The other scenarios end as their comments say.
TEST_F(Runner, EachScenarioEndsAsItsCommentSays)
{
    runner::RunResult safe = Fly("safe_release.scn", "safe");
    ASSERT_EQ(safe.exitCode, runner::EXIT_OK) << safe.error;
    EXPECT_FALSE(std::isnan(safe.milestones.release));
    EXPECT_TRUE(std::isnan(safe.milestones.motorLit)) << "released safe: no motor";
    EXPECT_TRUE(std::isnan(safe.milestones.ignition));
    EXPECT_FALSE(std::isnan(safe.milestones.removal));
    char line[64];
    std::snprintf(line, sizeof line, "Confirm finalize of K1 at %fs.\n", safe.milestones.removal);
    EXPECT_EQ(ReadFile("safe/Debug.log").substr(ReadFile("safe/Debug.log").find("Confirm")), line)
        << "only the weapon base's line after the carrier's";

    runner::RunResult free = Fly("free_launch.scn", "free");
    EXPECT_NEAR(free.milestones.motorLit, 0.01, 1e-12) << "self-activation lights the motor in the first step";
    EXPECT_TRUE(std::isnan(free.milestones.release));
    EXPECT_FALSE(std::isnan(free.milestones.ignition));
    EXPECT_EQ(free.milestones.removal - free.milestones.ignition, free.milestones.burnOut - free.milestones.ignition);

    runner::RunResult keys = Fly("keyboard_launch.scn", "keys");
    EXPECT_NEAR(keys.milestones.motorLit, 1.01, 1e-9) << "key 0x17 lights the motor";
    EXPECT_FALSE(std::isnan(keys.milestones.ignition));
    EXPECT_TRUE(Happened(keys, "key"));
    EXPECT_LT(keys.ignitionPoint.y, 2.0) << "unguided to the ground";

    runner::RunResult moving = Fly("moving_target.scn", "moving");
    EXPECT_FALSE(std::isnan(moving.milestones.lock));
    EXPECT_FALSE(std::isnan(moving.milestones.ignition));
    EXPECT_LT(moving.ignitionPoint.y, 2.0);
    // Closest after release, within the flight, no farther than at ignition; the speed relative to
    // the driving truck at ignition is the telemetry's then, up to what half a sample's interval changes.
    EXPECT_LE(moving.closestApproach, moving.missDistance);
    EXPECT_GE(moving.closestApproachTime, moving.milestones.release);
    EXPECT_LE(moving.closestApproachTime, moving.endTime);
    EXPECT_NEAR(moving.relativeSpeed, TelemetrySpeedOf(moving, moving.milestones.ignition, "K1", "Truck"), 1.0);
    EXPECT_TRUE(std::isnan(free.closestApproach)) << "never released";

    runner::RunResult miss = Fly("miss.scn", "miss");
    EXPECT_TRUE(std::isnan(miss.milestones.lock)) << "out of the seeker's sweep";
    EXPECT_GT(miss.milestones.ignition - miss.milestones.release, 115.4) << "the flight-time limit ignites it";
    EXPECT_NE(ReadFile("miss/summary.json").find("Exceeded flight time limit of 115.5 seconds"), std::string::npos);
}

// Every unreadable input is refused with the file, the line and the reason, and the right exit
// status; nothing is left half loaded.
TEST_F(Runner, BadScenariosAreNamedWithFileLineAndReason)
{
    const std::string head = "ZELVAR-STANDIN-SCENARIO 1\n";
    const std::string carrier = "Carrier:Carrier\n  STATION 0 -1.5 0\nEND\n";
    struct Case {
        std::string text;
        int exit;
        std::string message;
    };
    const Case cases[] = {
        {"", 3, "bad.scn:1: not a scenario file"},
        {std::string("ZELVAR\0\x01\x02", 9), 3, "bad.scn:1: holds a NUL byte: not a text file"},
        {head + "SPEED 3\nBEGIN_VESSELS\nEND_VESSELS\n", 3, "bad.scn:2: unknown key \"SPEED\""},
        {head + "STEP -1\nBEGIN_VESSELS\nEND_VESSELS\n", 3, "bad.scn:2: expected one finite positive number after STEP"},
        {head + "STEP\nBEGIN_VESSELS\nEND_VESSELS\n", 3, "bad.scn:2: expected one finite positive number after STEP"},
        {head + "BEGIN_VESSELS\nt:\n  FUEL 3\nEND\nEND_VESSELS\n", 3, "bad.scn:4: unknown key \"FUEL\""},
        {head + "BEGIN_VESSELS\nt:\n  POS 1 x 3\nEND\nEND_VESSELS\n", 3, "bad.scn:4: expected three finite numbers"},
        {head + "BEGIN_VESSELS\nt:Nowhere\nEND\nEND_VESSELS\n", 4, "bad.scn:3: cannot create vessel \"t\": cannot load module"},
        {head + "BEGIN_VESSELS\nt:\nEND\nt:\nEND\nEND_VESSELS\n", 3, "bad.scn:5: a second vessel named \"t\""},
        {head + "BEGIN_VESSELS\n:Karvex\nEND\nEND_VESSELS\n", 3, "bad.scn:3: vessel \"\": a vessel needs a name"},
        {head + "BEGIN_VESSELS\n" + carrier + "K1:Karvex\n  ATTACHED 0 7 Carrier\nEND\nEND_VESSELS\n", 3,
         "bad.scn:7: \"Carrier\" has no point 7 to carry a child on"},
        {head + "BEGIN_VESSELS\n" + carrier + "K1:Karvex\n  ATTACHED 0 0 Nobody\nEND\nEND_VESSELS\n", 3,
         "bad.scn:7: \"K1\" hangs from \"Nobody\", which is no vessel"},
        {head + "BEGIN_VESSELS\nK1:Karvex\n  ATTACHED 4294967296 0 Carrier\nEND\nEND_VESSELS\n", 3,
         "bad.scn:4: expected \"ATTACHED <point> <parent point> <parent name>\""},
        {head + "BEGIN_VESSELS\nK1:Karvex\n  PRP 5 1\nEND\nEND_VESSELS\n", 3,
         "bad.scn:4: propellant resource 5 is out of range: the vessel has 2"},
        {head + "BEGIN_VESSELS\nK1:Karvex\n  PRP 3e9 0\nEND\nEND_VESSELS\n", 3, "bad.scn:4: expected an index"},
        {head + "BEGIN_VESSELS\nK1:Karvex\n  THL 40 1\nEND\nEND_VESSELS\n", 3, "bad.scn:4: thruster 40 is out of range"},
        {head + "BEGIN_VESSELS\nK1:Karvex\n  KEY 1 0x100 press\nEND\nEND_VESSELS\n", 3, "bad.scn:4: expected \"KEY"},
        {head + "WATCH K9\nBEGIN_VESSELS\nK1:Karvex\nEND\nEND_VESSELS\n", 3, "bad.scn:2: WATCH names \"K9\", which is no vessel"},
        {head + "BEGIN_VESSELS\nt:\nEND\n", 3, "bad.scn:4: the file ends before \"END_VESSELS\""},
    };
    for (const Case& c : cases) {
        std::ofstream("bad.scn", std::ios::binary) << c.text;
        runner::RunOptions options;
        options.scenario = "bad.scn";
        options.moduleDir = KARVEX_MODULE_DIR;
        runner::RunResult r = runner::Run(options);
        EXPECT_EQ(r.exitCode, c.exit) << c.text;
        EXPECT_EQ(r.error.rfind(c.message, 0), 0u) << "got: " << r.error;
    }
    // Names that would not read back from a file are refused when the vessel is made, and a world
    // with two vessels of one name is not saved.
    ResetWorld();
    standin::VesselDesc desc;
    for (const char* name : {"a;b", "a:b", "a\nb", " a", ""}) {
        desc.name = name;
        EXPECT_EQ(standin::CreateBody(desc), nullptr) << name;
    }
    desc.name = std::string("a\0b", 3);
    EXPECT_EQ(standin::CreateBody(desc), nullptr);
    desc.name = "twin";
    standin::CreateBody(desc);
    standin::CreateBody(desc);
    EXPECT_FALSE(standin::SaveScenario("twins.scn"));
    EXPECT_NE(standin::LastError().find("two vessels are named \"twin\""), std::string::npos);

    runner::RunOptions missing;
    missing.scenario = "missing.scn";
    runner::RunResult r = runner::Run(missing);
    EXPECT_EQ(r.exitCode, runner::EXIT_SCENARIO);
    EXPECT_EQ(r.error.rfind("cannot read scenario file missing.scn", 0), 0u) << r.error;
}

// The program's own exit statuses, from its command line.
TEST_F(Runner, ProgramExitStatusesFollowTheirMeaning)
{
    auto status = [](std::vector<std::string> args) { return RunProgram(KARVEX_PROGRAM, std::move(args)); };
    EXPECT_EQ(status({"--help"}), 0);
    EXPECT_EQ(status({"run", "--help"}), 0);
    EXPECT_EQ(status({}), 2) << "a subcommand is required";
    EXPECT_EQ(status({"fly", "x.scn"}), 2);
    EXPECT_EQ(status({"run"}), 2);
    EXPECT_EQ(status({"run", "missing.scn"}), 3);
    EXPECT_EQ(status({"inspect", "Karvex", "--modules", "/nonexistent"}), 4);
    EXPECT_EQ(status({"plot", "nowhere"}), 3);
    EXPECT_EQ(status({"replay", "nowhere"}), 3);
    std::filesystem::create_directory("empty");
    std::ofstream("empty/summary.json") << "{}";
    std::ofstream("empty/telemetry.csv") << runner::TELEMETRY_HEADER << "\n";
    EXPECT_EQ(status({"replay", "empty"}), 3) << "a run without samples has nothing to replay";
    EXPECT_EQ(status({"run", std::string(KARVEX_SCENARIO_DIR) + "/safe_release.scn", "-q", "--out", "ok"}), 0);
}

// The replay page carries a run's data whole and safely: a long run is thinned but keeps its end,
// a name with a comma keeps its columns, and no text from the run can end the page's script early
// or change how the page reads it: the data holds no < or & of its own.
TEST_F(Runner, ReplayPageCarriesTheRunSafely)
{
    const std::string hostile = "</script><script>alert(1)</script> \"quoted\" <!--<script> a && b > c";
    nlohmann::json summary = {{"missile", "K,1"}, {"target", nullptr}, {"milestones", {{"release", 1.0}}},
                              {"events", {{{"time_s", 2.0}, {"kind", "debug"}, {"text", hostile}}}}};
    std::filesystem::create_directory("run");
    std::ofstream("run/summary.json") << summary.dump();
    std::ofstream telemetry("run/telemetry.csv");
    telemetry << runner::TELEMETRY_HEADER << "\n";
    const int rows = 10001;
    for (int i = 0; i < rows; ++i) {
        telemetry << i * 0.01 << ",\"K,1\"," << i << ",2000,0,0,0,230,0,0,0,2000,0.7,1,300,"
                  << (i < 150 ? 5000 : 0) << ",1;2,0;1,0,0,0,0.01,-0.02\n";
    }
    telemetry.close();
    ASSERT_EQ(RunProgram(KARVEX_PROGRAM, {"replay", "run"}), 0);

    const std::string page = ReadFile("run/replay.html");
    const std::string open = "<script id=\"karvex-data\" type=\"application/json\">";
    size_t from = page.find(open);
    ASSERT_NE(from, std::string::npos);
    from += open.size();
    const std::string text = page.substr(from, page.find("</script>", from) - from);
    EXPECT_EQ(text.find_first_of("<&"), std::string::npos) << text.substr(0, 200);
    nlohmann::json data = nlohmann::json::parse(text);
    EXPECT_EQ(data["events"][0]["text"], hostile);
    EXPECT_EQ(page.find("</script><script>alert"), std::string::npos);
    ASSERT_EQ(data["vessels"].size(), 1u);
    const nlohmann::json& k1 = data["vessels"][0];
    EXPECT_EQ(k1["name"], "K,1");
    EXPECT_LE(k1["t"].size(), 4001u);
    EXPECT_GE(k1["t"].size(), 3000u);
    EXPECT_EQ(k1["t"].back(), 100.0);
    EXPECT_EQ(k1["x"].back(), 10000.0);
    EXPECT_EQ(k1["az"][0], 0.01);
    EXPECT_EQ(k1["speed"][0], 230.0);
    EXPECT_EQ(k1["phase"][0], 0) << "carried before release";
    EXPECT_EQ(k1["phase"][k1["phase"].size() / 2], 3) << "gliding once the thrust is gone";
}

}  // namespace
