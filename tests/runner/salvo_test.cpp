// Salvos: a seeker whose first lock is the missile ahead, two targets each hit by its own missile,
// a run that ends while both fly, the records against the timeline, and a salvo sweep's files
// whatever the jobs and shards.
#include <fstream>
#include <sstream>

#include "runner/flight/flight.h"
#include "runner/flight/outcome.h"
#include "runner/program/exit_codes.h"
#include "runner/sweep/sweep.h"
#include "tests/test_support.h"

namespace {

using runner::Outcome;

class Salvos : public WorldTest {
protected:
    static formats::ScenarioDocument Document(const std::string& file)
    {
        const std::string path = KARVEX_SCENARIO_DIR "/" + file;
        std::ifstream in(path);
        formats::ScenarioDocument doc;
        std::string error;
        EXPECT_TRUE(formats::ParseScenario(path, in, doc, error)) << error;
        return doc;
    }
    static runner::RunResult Fly(const formats::ScenarioDocument& doc)
    {
        runner::RunOptions options;
        options.scenario = doc.path;
        options.document = &doc;
        options.moduleDir = KARVEX_MODULE_DIR;
        options.workDir = ".";
        runner::RunResult r = runner::Run(options);
        EXPECT_EQ(r.exitCode, runner::EXIT_OK) << r.error;
        return r;
    }
    // The time of the first event of `kind` concerning `weapon`, NaN for none.
    static double First(const runner::RunResult& r, const std::string& kind, const std::string& weapon)
    {
        for (const runner::Event& e : r.events) {
            if (e.kind == kind && e.weapon == weapon) {
                return e.time;
            }
        }
        return NAN;
    }
};

// A second missile 1 s behind the first, on nearly its line, finds it before the target.
TEST_F(Salvos, FirstLockOnTheMissileAheadIsAFriend)
{
    formats::ScenarioDocument doc = Document("ripple_salvo.scn");
    ASSERT_TRUE(formats::SetRipple(*formats::FindVessel(doc, "Carrier"), 1.0));
    const runner::RunResult r = Fly(doc);
    ASSERT_EQ(r.weapons.size(), 2u);
    const runner::WeaponRecord& k1 = r.weapons[0];
    const runner::WeaponRecord& k2 = r.weapons[1];
    EXPECT_NEAR(k2.milestones.release - k1.milestones.release, 1.0, 1e-9);
    EXPECT_EQ(runner::OutcomeOf(k1), Outcome::HIT);
    EXPECT_EQ(runner::OutcomeOf(k2), Outcome::FRIEND);
    EXPECT_EQ(k2.friendName, "K1");
    EXPECT_EQ(k2.friendLock, First(r, "friend", "K2"));
    EXPECT_EQ(r.targets[0].hitBy, std::vector<std::string>{"K1"});
    EXPECT_NE(runner::SummaryJson("s", r).find("\"outcome\": \"locked_on_friend\""), std::string::npos);
}

// Each missile leaves pointing at its own target and hits it; every record agrees with the timeline.
TEST_F(Salvos, TwoTargetsEachHitByItsOwnMissile)
{
    const runner::RunResult r = Fly(Document("two_targets.scn"));
    ASSERT_EQ(r.targets.size(), 2u);
    EXPECT_EQ(r.targets[0].hitBy, std::vector<std::string>{"K1"});
    EXPECT_EQ(r.targets[1].hitBy, std::vector<std::string>{"K2"});
    for (const runner::WeaponRecord& w : r.weapons) {
        SCOPED_TRACE(w.name);
        EXPECT_EQ(runner::OutcomeOf(w), Outcome::HIT);
        EXPECT_EQ(w.carrier, "Carrier");
        EXPECT_EQ(w.milestones.release, First(r, "release", w.name));
        EXPECT_EQ(w.milestones.lock, First(r, "lock", w.name));
        EXPECT_EQ(w.milestones.impact, First(r, "impact", w.name));
        EXPECT_EQ(w.milestones.removal, First(r, "deleted", w.name));
        EXPECT_EQ(w.milestones.burnOut, w.milestones.removal);
        EXPECT_LE(w.missDistance, w.targetSize);
    }
    // Every line that names a weapon says which (and so does a removal's reason, naming none).
    for (const runner::Event& e : r.events) {
        const bool names = e.text.find("K1") != std::string::npos || e.text.find("K2") != std::string::npos;
        EXPECT_TRUE(!names || !e.weapon.empty()) << e.text;
    }
}

TEST_F(Salvos, ARunThatEndsWhileBothFlyLeavesThemUnfinished)
{
    formats::ScenarioDocument doc = Document("two_targets.scn");
    for (formats::HostLine& line : doc.settings) {
        line.number[0] = line.key == formats::Key::End ? 15.0 : line.number[0];
    }
    const runner::RunResult r = Fly(doc);
    EXPECT_NEAR(r.endTime, 15.0, 1e-9);
    for (const runner::WeaponRecord& w : r.weapons) {
        EXPECT_EQ(runner::OutcomeOf(w), Outcome::UNFINISHED) << w.name;
    }
    EXPECT_TRUE(r.targets[0].hitBy.empty() && r.targets[1].hitBy.empty());
}

// A salvo sweep writes the same files on one thread, on two, and as merged shards.
TEST_F(Salvos, SweepWritesTheSameFilesWhateverTheJobsAndShards)
{
    auto options = [](const std::string& out, int jobs, int shard, int shards) {
        return runner::SweepOptions{.sweepFile = KARVEX_TEST_DATA_DIR "/salvo.sweep", .moduleDir = KARVEX_MODULE_DIR,
                                    .outDir = out, .jobs = jobs, .shard = shard, .shards = shards, .plot = false,
                                    .quiet = true, .plotScript = ""};
    };
    ASSERT_EQ(runner::Sweep(options("one", 1, 1, 1)), runner::EXIT_OK);
    ASSERT_EQ(runner::Sweep(options("two", 2, 1, 1)), runner::EXIT_OK);
    ASSERT_EQ(runner::Sweep(options("half1", 1, 1, 2)), runner::EXIT_OK);
    ASSERT_EQ(runner::Sweep(options("half2", 1, 2, 2)), runner::EXIT_OK);
    ASSERT_EQ(runner::Merge({"half1", "half2"}, "merged", false, ""), runner::EXIT_OK);
    for (const char* file : {"/runs.csv", "/summary.json"}) {
        EXPECT_EQ(ReadFile(std::string("two") + file), ReadFile(std::string("one") + file)) << file;
        EXPECT_EQ(ReadFile(std::string("merged") + file), ReadFile(std::string("one") + file)) << file;
    }
    const std::string header = ReadFile("one/runs.csv").substr(0, ReadFile("one/runs.csv").find('\n'));
    EXPECT_EQ(header, "run,Carrier.ripple_s,Carrier.release0_s,Target.latitude_deg,K1.outcome,K1.target,K1.miss_m,"
                      "K1.lock_after_release_s,K1.friend_lock_after_release_s,K2.outcome,K2.target,K2.miss_m,"
                      "K2.lock_after_release_s,K2.friend_lock_after_release_s,Target.hit");
    EXPECT_NE(ReadFile("one/summary.json").find("\"friend_lock_probability\""), std::string::npos);
}

}  // namespace
