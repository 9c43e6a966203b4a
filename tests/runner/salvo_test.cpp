// Salvos: a seeker whose first lock is the missile ahead, two targets each hit by its own missile,
// a run that ends while both fly, the records against the timeline, a salvo sweep's files whatever
// the jobs and shards, and its summary's counts.
#include <fstream>
#include <sstream>

#include "runner/flight/flight.h"
#include "runner/flight/outcome.h"
#include "runner/program/exit_codes.h"
#include "formats/csv.h"
#include "runner/sweep/sweep.h"
#include "runner/sweep/sweep_rows.h"
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

// A salvo's summary on rows whose answers are known: each weapon's outcomes, each target hit,
// every target hit, a first lock on a friend; a row with a hit of neither 0 nor 1 is no row.
TEST(SweepRows, SalvoSummaryCountsEachWeaponAndTarget)
{
    runner::SweepMeta meta;
    meta.weapons = {"K1", "K2"};
    meta.targets = {"T1", "T2"};
    std::vector<runner::SweepRow> rows;
    for (const char* text : {"0,hit,T1,1,7,,locked_on_friend,,,,3,1,0", "1,hit,T1,2,7,,hit,T2,4,6,,1,1",
                             "2,miss,T2,30,7,,no_lock,,,,,0,0"}) {
        std::istringstream in(text);
        formats::CsvReader csv(in);
        std::vector<std::string> fields;
        ASSERT_TRUE(csv.Next(fields) && runner::ReadRow(fields, meta, rows.emplace_back())) << text;
    }
    std::vector<std::string> two = {"0", "hit", "T1", "1", "", "", "hit", "T1", "", "", "", "2", "0"};
    runner::SweepRow bad;
    EXPECT_FALSE(runner::ReadRow(two, meta, bad));
    const std::string json = runner::SummaryJson(meta, rows);
    EXPECT_NE(json.find("\"K2\": {\n      \"hit\": 1,\n      \"miss\": 0,\n      \"no_lock\": 1,\n      \"dud\": 0,\n"
                        "      \"unfinished\": 0,\n      \"locked_on_friend\": 1"), std::string::npos) << json;
    EXPECT_NE(json.find("\"T2\": {\n      \"p\": 0.3333333333333333"), std::string::npos) << json;
    EXPECT_NE(json.find("\"every_target_hit_probability\": {\n    \"p\": 0.3333333333333333"), std::string::npos);
    EXPECT_NE(json.find("\"friend_lock_probability\": {\n    \"p\": 0.3333333333333333"), std::string::npos);
}

}  // namespace
