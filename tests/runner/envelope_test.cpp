// Envelopes: bisection that finds what a dense scan finds, the same files for any thread count or
// sharding, targets placed from the release point, and envelope.json's figures.
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "runner/envelope/envelope.h"
#include "runner/envelope/envelope_probe.h"
#include "runner/envelope/envelope_rows.h"
#include "runner/program/exit_codes.h"
#include "runtime/local_frame.h"
#include "tests/test_support.h"

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
    const runner::SequentialRule rule = runner::RuleOf(def);
    ASSERT_EQ(runner::PrepareCondition(def, KARVEX_MODULE_DIR, def.altitudes[0], def.speeds[0], c, error),
              runner::EXIT_OK)
        << error;
    for (double bearing : def.bearings) {
        auto probe = [&](double range) {
            return runner::ProbePoint(def, rule, KARVEX_MODULE_DIR, c, {}, bearing, range, error);
        };
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

// The release point is where the carrier lets the missile go, and a target placed at a range and
// bearing lies there on the ground, right of the track positive: over the flat ground and over the
// Earth, whose longitudes are the planet's own, not the turned global frame's.
TEST_F(Envelopes, TargetsArePlacedFromTheReleasePointAlongTheTrack)
{
    auto release = [](const char* scenario) {
        formats::ScenarioDocument doc;
        std::ifstream in(scenario);
        std::string error;
        EXPECT_TRUE(formats::ParseScenario(scenario, in, doc, error)) << error;
        runner::RunOptions fly;
        fly.moduleDir = KARVEX_MODULE_DIR;
        fly.scenario = scenario;
        fly.document = &doc;
        runner::ReleasePoint point;
        EXPECT_EQ(runner::FindRelease(fly, point, error), runner::EXIT_OK) << error;
        return point;
    };
    // Both carriers fly north and release 8 km short of the target (z 9,150 m; latitude 40.0824067).
    const runner::ReleasePoint flat = release(KARVEX_SCENARIO_DIR "/reference_flat.scn");
    EXPECT_NEAR(flat.track, 0.0, 1e-9);
    EXPECT_EQ(flat.targetSize, 10.0);
    double x = 0.0, z = 0.0;
    runner::TargetPlace(flat, 8000.0, 0.0, x, z);
    EXPECT_NEAR(x, 0.0, 1e-6);
    EXPECT_NEAR(z, 9150.0, 5.0);
    runner::TargetPlace(flat, 8000.0, 90.0, x, z);
    EXPECT_NEAR(x, 8000.0, 1e-6) << "right of a northward track is east";
    const runner::ReleasePoint earth = release(KARVEX_SCENARIO_DIR "/reference.scn");
    EXPECT_NEAR(earth.track, 0.0, 1e-4);
    double latitude = 0.0, longitude = 0.0;
    runner::TargetPlace(earth, 8000.0, 0.0, latitude, longitude);
    EXPECT_NEAR(latitude, 40.0824067, 5e-5);  // 5.5 m
    EXPECT_NEAR(longitude, 15.0, 1e-5) << "the planet-fixed longitude";
    // Ranges are in the level plane at the release point: two targets 8 km out, 90 degrees apart,
    // are 8 km × √2 apart, to the few centimetres the ground falls away below that plane.
    auto ground = [&](double bearing) {
        double lat = 0.0, lon = 0.0;
        runner::TargetPlace(earth, 8000.0, bearing, lat, lon);
        const double deg = std::numbers::pi / 180.0;
        return physics::PositionOf(earth.planet, {lat * deg, lon * deg, 0.0});
    };
    EXPECT_NEAR((ground(-45.0) - ground(45.0)).norm(), 8000.0 * std::numbers::sqrt2, 0.1);
}

// Where the target stands and how it moves over the ground, deg and m/s, at the end of the frame
// that lets the missile go, flying `doc`: latitude and longitude over a round planet, x and z over
// the flat ground.
struct Seen {
    double first = NAN, second = NAN, course = NAN, speed = NAN;
};

Seen TargetAtRelease(const formats::ScenarioDocument& doc)
{
    Seen seen;
    bool held = false;
    runner::RunOptions fly;
    fly.moduleDir = KARVEX_MODULE_DIR;
    fly.scenario = doc.path;
    fly.document = &doc;
    fly.afterStep = [&]() {
        const standin::World& w = standin::world();
        const standin::Vessel *missile = nullptr, *target = nullptr;
        for (int slot : w.order) {
            const standin::Vessel& v = w.vessels[static_cast<size_t>(slot)];
            missile = v.name == w.run.watch ? &v : missile;
            target = v.name == w.run.target ? &v : target;
        }
        const bool carried = missile != nullptr && !missile->attachments.empty() &&
                             missile->attachments[0].toParent && standin::Find(missile->attachments[0].mate) != nullptr;
        if (held && !carried && std::isnan(seen.speed)) {
            const physics::Planet& planet = w.physics.planet;
            const physics::Geodetic where = standin::GeographicOf(planet, target->state, w.simt);
            const double deg = std::numbers::pi / 180.0;
            seen.first = planet.round ? where.latitude / deg : target->state.pos.x;
            seen.second = planet.round ? where.longitude / deg : target->state.pos.z;
            const VECTOR3 ground =
                standin::ToLocal(planet, target->state, standin::GroundVelocity(planet, target->state));
            seen.course = std::fmod(std::atan2(ground.x, ground.z) / deg + 360.0, 360.0);
            seen.speed = std::hypot(ground.x, ground.z);
        }
        held = held || carried;
    };
    EXPECT_EQ(runner::Run(fly).exitCode, runner::EXIT_OK);
    return seen;
}

// A target driving at 20 m/s on a course 135 degrees right of the track starts back along it, so
// that when the missile is let go it stands at its range and bearing, on that course at that speed:
// over the flat ground and over the Earth.
TEST_F(Envelopes, MovingTargetsStandAtTheirRangeAndBearingAtRelease)
{
    for (const char* scenario : {KARVEX_TEST_DATA_DIR "/large_target.scn", KARVEX_SCENARIO_DIR "/reference.scn"}) {
        std::ofstream("moving.envelope") << "KARVEX-ENVELOPE 1\nSCENARIO " << scenario
                                         << "\nCARRIER Carrier\nALTITUDES 2000\nSPEEDS 230\nTARGET_SPEEDS 20\n"
                                            "TARGET_COURSES 135\nBEARINGS 15\nRANGE 6000 9000\nTOLERANCE 50\n";
        runner::EnvelopeDefinition def;
        std::string error;
        ASSERT_TRUE(runner::ReadEnvelope("moving.envelope", def, error)) << error;
        runner::ReleaseCondition c;
        ASSERT_EQ(runner::PrepareCondition(def, KARVEX_MODULE_DIR, 2000.0, 230.0, c, error), runner::EXIT_OK) << error;
        formats::ScenarioDocument doc;
        ASSERT_TRUE(runner::PointScenario(def, c, {20.0, 135.0}, 15.0, 7000.0, {}, doc, error)) << error;
        const Seen seen = TargetAtRelease(doc);
        double first = 0.0, second = 0.0;
        runner::TargetPlace(c.release, 7000.0, 15.0, first, second);
        // Metres of a degree of latitude and of longitude, or 1 over the flat ground.
        const double north = c.release.round ? 111.0e3 : 1.0, east = c.release.round ? 85.0e3 : 1.0;
        EXPECT_NEAR(std::hypot((seen.first - first) * north, (seen.second - second) * east), 0.0, 0.01) << scenario;
        EXPECT_NEAR(seen.speed, 20.0, 1e-6) << scenario;
        EXPECT_NEAR(seen.course, 135.0, 0.1) << scenario << ": the track runs north";
    }
}

// envelope.json's figures come from the rows: Rmin and Rmax on the track, the largest cross-range,
// and the area with each bearing standing for the angle halfway to its neighbours; and its own
// fields and tallies read back for a merge.
TEST(EnvelopeJson, FiguresFromTheRowsAndReadBack)
{
    runner::EnvelopeMeta meta;
    meta.envelope = "e.envelope";
    meta.rangeMin = 1000.0;
    meta.rangeMax = 9000.0;
    meta.tolerance = 25.0;
    meta.scan = 400.0;
    meta.altitudes = {2000.0};
    meta.speeds = {200.0, 250.0};
    meta.bearings = {-30.0, 0.0, 30.0};
    const std::vector<runner::EnvelopeRow> rows = {
        {2000.0, 200.0, -30.0, 1, 4000.0, 6000.0, 9},  {2000.0, 200.0, 0.0, 1, 3000.0, 5000.0, 12},
        {2000.0, 200.0, 0.0, 2, 6000.0, 8000.0, 12},   {2000.0, 200.0, 30.0, 0, NAN, NAN, 7},
        {2000.0, 250.0, -30.0, 0, NAN, NAN, 5},        {2000.0, 250.0, 0.0, 0, NAN, NAN, 5},
        {2000.0, 250.0, 30.0, 0, NAN, NAN, 5},
    };
    const std::vector<runner::ConditionTally> tallies = {{30, 28, 2}, {15, 15, 0}};
    const std::string text = runner::EnvelopeJson(meta, rows, tallies);
    const nlohmann::json json = nlohmann::json::parse(text);
    const nlohmann::json& hit = json["conditions"][0];
    EXPECT_EQ(hit["rmin_on_track_m"], 3000.0);
    EXPECT_EQ(hit["rmax_on_track_m"], 8000.0);
    EXPECT_NEAR(hit["max_cross_range_m"].get<double>(), 3000.0, 1e-9);  // 6 km at 30 degrees
    // -30 stands for 15 degrees, 0 for 30: ½ (6² - 4²) × π/12 + ½ (5² - 3² + 8² - 6²) × π/6 km².
    const double area = 0.5 * 20.0 * std::numbers::pi / 12.0 + 0.5 * 44.0 * std::numbers::pi / 6.0;
    EXPECT_NEAR(hit["area_km2"].get<double>(), area, 1e-12);
    EXPECT_TRUE(json["conditions"][1]["rmin_on_track_m"].is_null());
    EXPECT_EQ(json["conditions"][1]["area_km2"], 0.0);
    EXPECT_EQ(json["flights"], 43);
    EXPECT_EQ(json["undecided"], 2);
    EXPECT_EQ(json["dense_probes"], 321 * 3 * 2);
    EXPECT_EQ(json["scan_m"], 400.0);
    runner::EnvelopeMeta back;
    std::vector<runner::ConditionTally> read;
    std::istringstream in(text);
    ASSERT_TRUE(runner::ReadEnvelopeJson(in, back, read));
    EXPECT_EQ(back.bearings, meta.bearings);
    EXPECT_EQ(read[0].flights, 28);
    EXPECT_EQ(read[0].undecided, 2);
    EXPECT_EQ(runner::EnvelopeJson(back, rows, read), text) << "a merge writes it again to the byte";
}

}  // namespace
