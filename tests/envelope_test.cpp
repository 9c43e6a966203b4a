// Envelopes: bisection that finds what a dense scan finds, the same files for any thread count or
// sharding, and the sequential decision of a probabilistic point.
#include <filesystem>
#include <string>
#include <vector>

#include "runner/envelope.h"
#include "runner/envelope_point.h"
#include "runner/envelope_probe.h"
#include "runner/exit_codes.h"
#include "test_support.h"

namespace {

class Envelopes : public WorldTest {
protected:
    static runner::EnvelopeOptions Options(const std::string& file, const std::string& out)
    {
        runner::EnvelopeOptions o;
        o.envelopeFile = KARVEX_TEST_DATA_DIR "/" + file;
        o.moduleDir = KARVEX_MODULE_DIR;
        o.outDir = out;
        o.plot = false;
        o.quiet = true;
        return o;
    }
};

// The hit intervals of `hits` (one per range of `ranges`, rising).
std::vector<runner::RangeInterval> Intervals(const std::vector<double>& ranges, const std::vector<bool>& hits)
{
    std::vector<runner::RangeInterval> found;
    for (size_t i = 0; i < ranges.size(); ++i) {
        if (hits[i] && (i == 0 || !hits[i - 1])) {
            found.push_back({ranges[i], ranges[i]});
        }
        if (hits[i]) {
            found.back().rmax = ranges[i];
        }
    }
    return found;
}

// On two bearings the bisected intervals are the dense scan's, each end within the tolerance.
TEST_F(Envelopes, BisectionFindsTheDenseScansIntervals)
{
    runner::EnvelopeDefinition def;
    std::string error;
    ASSERT_TRUE(runner::ReadEnvelope(KARVEX_TEST_DATA_DIR "/small.envelope", def, error)) << error;
    ASSERT_EQ(def.bearings.size(), 2u);
    runner::ReleaseCondition c;
    ASSERT_EQ(runner::PrepareCondition(def, KARVEX_MODULE_DIR, def.altitudes[0], def.speeds[0], c, error),
              runner::EXIT_OK)
        << error;
    for (double bearing : def.bearings) {
        auto probe = [&](double range) { return runner::ProbePoint(def, KARVEX_MODULE_DIR, c, bearing, range, error); };
        const runner::BearingSearch bisected =
            runner::SearchBearing(def.rangeMin, def.rangeMax, def.scan, def.tolerance, probe);
        std::vector<double> ranges;
        std::vector<bool> hits;
        for (double r = def.rangeMin; r <= def.rangeMax; r += def.tolerance) {
            ranges.push_back(r);
            hits.push_back(probe(r).verdict == runner::Verdict::HIT);
        }
        ASSERT_TRUE(error.empty()) << error;
        const std::vector<runner::RangeInterval> dense = Intervals(ranges, hits);
        ASSERT_FALSE(dense.empty()) << "the case must hit somewhere on bearing " << bearing;
        ASSERT_EQ(bisected.intervals.size(), dense.size()) << "bearing " << bearing;
        for (size_t i = 0; i < dense.size(); ++i) {
            EXPECT_NEAR(bisected.intervals[i].rmin, dense[i].rmin, def.tolerance) << "bearing " << bearing;
            EXPECT_NEAR(bisected.intervals[i].rmax, dense[i].rmax, def.tolerance) << "bearing " << bearing;
        }
        EXPECT_LT(bisected.flights * 2, static_cast<long long>(ranges.size())) << "bisection flies far fewer";
    }
}

// One thread, two, or three shards merged: the same envelope.csv and envelope.json, byte for byte,
// for a probabilistic envelope whose draws are keyed by each point's coordinates.
TEST_F(Envelopes, JobsAndShardsWriteTheSameFiles)
{
    runner::EnvelopeOptions one = Options("small_p.envelope", "one");
    one.jobs = 1;
    ASSERT_EQ(runner::Envelope(one), runner::EXIT_OK);
    runner::EnvelopeOptions two = Options("small_p.envelope", "two");
    two.jobs = 2;
    ASSERT_EQ(runner::Envelope(two), runner::EXIT_OK);
    std::vector<std::string> shards;
    for (int k = 1; k <= 3; ++k) {
        runner::EnvelopeOptions o = Options("small_p.envelope", "shard" + std::to_string(k));
        o.shard = k;
        o.shards = 3;
        ASSERT_EQ(runner::Envelope(o), runner::EXIT_OK);
        shards.push_back(o.outDir);
    }
    ASSERT_EQ(runner::MergeEnvelope(shards, "merged", false, ""), runner::EXIT_OK);
    std::swap(shards[0], shards[2]);
    ASSERT_EQ(runner::MergeEnvelope(shards, "reordered", false, ""), runner::EXIT_OK);
    ASSERT_EQ(runner::MergeEnvelope({shards[0], shards[1]}, "short", false, ""), runner::EXIT_SCENARIO);
    for (const char* dir : {"two", "merged", "reordered"}) {
        for (const char* file : {"/envelope.csv", "/envelope.json"}) {
            EXPECT_EQ(ReadFile(std::string(dir) + file), ReadFile(std::string("one") + file)) << dir << file;
        }
    }
    EXPECT_NE(ReadFile("one/envelope.csv").find(",1,"), std::string::npos) << "some point decided a hit";
}

// A point that always hits is decided above the required probability, one that never hits below,
// and one that hits every other run stays open to the cap.
TEST(EnvelopePoints, DecidedAboveBelowOrUndecidedAtTheCap)
{
    auto always = [](long long) { return true; };
    auto never = [](long long) { return false; };
    auto half = [](long long run) { return run % 2 == 0; };
    const double z = runner::ConfidenceZ(0.9);
    runner::Probe above = runner::SequentialPoint(0.5, z, 100, always);
    runner::Probe below = runner::SequentialPoint(0.5, z, 100, never);
    runner::Probe open = runner::SequentialPoint(0.5, z, 40, half);
    EXPECT_EQ(above.verdict, runner::Verdict::HIT);
    EXPECT_EQ(below.verdict, runner::Verdict::MISS);
    EXPECT_EQ(open.verdict, runner::Verdict::UNDECIDED);
    EXPECT_EQ(open.flights, 40);
    // 3 of 3 puts Wilson's 90% interval at [0.526, 1], above 0.5; 2 of 2 only at [0.425, 1].
    EXPECT_EQ(above.flights, 3);
    EXPECT_EQ(below.flights, 3);
    EXPECT_NEAR(runner::ConfidenceZ(0.9), 1.6448536269514722, 1e-15);
    EXPECT_NEAR(runner::ConfidenceZ(0.95), 1.959963984540054, 1e-15);
}

}  // namespace
