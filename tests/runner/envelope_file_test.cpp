// Envelope files: what a bad one is refused for and where, every field of a good one, and what its
// target speeds add to the envelope's own files.
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "runner/envelope/envelope.h"
#include "runner/envelope/envelope_rows.h"
#include "runner/program/exit_codes.h"
#include "tests/test_support.h"

namespace {

using EnvelopeFiles = WorldTest;

const std::string HEAD = "KARVEX-ENVELOPE 1\nSCENARIO " KARVEX_SCENARIO_DIR "/reference.scn\nCARRIER Carrier\n"
                         "ALTITUDES 1000 2000\nSPEEDS 200 250\nBEARINGS -30 0 30\nRANGE 2000 9000\n";
const std::string BODY = HEAD + "TOLERANCE 50\n";

// BODY with its first `from` put as `to`.
std::string With(const std::string& from, const std::string& to)
{
    std::string text = BODY;
    return text.replace(text.find(from), from.size(), to);
}

TEST_F(EnvelopeFiles, BadFilesAreNamedWithLineAndReason)
{
    std::string scenario = ReadFile(KARVEX_SCENARIO_DIR "/reference.scn");
    std::ofstream("untargeted.scn") << scenario.replace(scenario.find("TARGET Target\n"), 14, "");
    const std::pair<std::string, std::string> cases[] = {
        {"KARVEX-SWEEP 1\n" + BODY.substr(BODY.find('\n') + 1), "bad.envelope:1: not an envelope file"},
        {With("BEARINGS -30 0 30\n", ""), "bad.envelope: no BEARINGS line"},
        {With("BEARINGS -30 0 30", "BEARINGS ; none"), "bad.envelope:6: BEARINGS needs one or more bearings, deg"},
        {With("BEARINGS -30 0 30", "BEARINGS 0 30 10"),
         "bad.envelope:6: BEARINGS must rise strictly, got \"10\" after \"30\""},
        {With("SPEEDS 200 250", "SPEEDS 200 0"), "bad.envelope:5: SPEEDS must be numbers above 0, m/s, got \"0\""},
        {With("RANGE 2000 9000", "RANGE 9000 2000"), "bad.envelope:7: RANGE reversed: 9000 is above 2000"},
        {HEAD + "TOLERANCE 0\n",
         "bad.envelope:8: TOLERANCE must be above 0 and no larger than the range (7000 m), got \"0\""},
        {HEAD + "TOLERANCE 7001\n", "bad.envelope:8: TOLERANCE must be above 0 and no larger than the range"},
        {BODY + "SCAN 10\n", "bad.envelope:9: SCAN must be no smaller than the tolerance (50 m)"},
        {BODY + "FOO 1\n", "bad.envelope:9: unknown line \"FOO 1\": expected SCENARIO, CARRIER, ALTITUDES"},
        {BODY + "RANGE 0 100\n", "bad.envelope:9: a second RANGE line: the first is line 7"},
        {BODY + "PROBABILITY 0.5\n", "bad.envelope:9: PROBABILITY needs VARY lines"},
        {BODY + "VARY Carrier.heading normal 0 0.01\n", "bad.envelope: no PROBABILITY line"},
        {BODY + "VARY Carrier.colour uniform 1 2\nPROBABILITY 0.5\n",
         "bad.envelope:9: unknown quantity \"Carrier.colour\""},
        {BODY + "VARY Nobody.y normal 0 1\nPROBABILITY 0.5\n", "bad.envelope: no vessel named \"Nobody\""},
        {BODY + "PROBABILITY 0.5\nVARY Carrier.altitude normal 2000 5\n",
         "bad.envelope:10: the envelope sets Carrier.altitude itself"},
        {BODY + "VARY Target.latitude normal 40 0.01\nPROBABILITY 0.5\n",
         "bad.envelope:9: the envelope sets Target.latitude itself"},
        {With("CARRIER Carrier", "CARRIER Nobody"), "bad.envelope:3: no vessel named \"Nobody\""},
        {With(KARVEX_SCENARIO_DIR "/reference.scn", "untargeted.scn"),
         "bad.envelope: the scenario untargeted.scn has no TARGET line"},
        {BODY + "SETTING TARGET Carrier\n", "bad.envelope: the envelope flies one weapon against one target, and the "
                                            "scenario " KARVEX_SCENARIO_DIR "/reference.scn with its settings watches 1 weapon and names 2 targets"},
    };
    for (const auto& [text, message] : cases) {
        std::ofstream("bad.envelope") << text;
        runner::EnvelopeDefinition def;
        std::string error;
        EXPECT_FALSE(runner::ReadEnvelope("bad.envelope", def, error)) << text;
        EXPECT_EQ(error.rfind(message, 0), 0u) << "got: " << error;
    }
}

TEST_F(EnvelopeFiles, GoodFileReadsBackEveryField)
{
    std::ofstream("good.envelope") << "; release conditions to search\nKARVEX-ENVELOPE 1  \n\n"
                                      "scenario " KARVEX_SCENARIO_DIR "/reference.scn\nCarrier Carrier ; the host\n"
                                      "ALTITUDES 1500 2500.5\nSPEEDS 230\nTARGET_SPEEDS 12 0\n"
                                      "TARGET_COURSES 90 -45\nBEARINGS -45 0 12.5 180\n"
                                      "RANGE 1000 9000\nTOLERANCE 25\nSETTING WIND 4 270\n"
                                      "VARY Carrier.heading normal 0 0.01\nPROBABILITY 0.8\nSEED 17\n";
    runner::EnvelopeDefinition def;
    std::string error;
    ASSERT_TRUE(runner::ReadEnvelope("good.envelope", def, error)) << error;
    EXPECT_EQ(def.path, "good.envelope");
    EXPECT_EQ(def.batch.scenarioPath, KARVEX_SCENARIO_DIR "/reference.scn");
    EXPECT_EQ(def.carrier, "Carrier");
    EXPECT_EQ(def.target, "Target");
    EXPECT_EQ(def.altitudes, (std::vector<double>{1500.0, 2500.5}));
    EXPECT_EQ(def.speeds, (std::vector<double>{230.0}));
    EXPECT_EQ(def.bearings, (std::vector<double>{-45.0, 0.0, 12.5, 180.0}));
    const std::vector<runner::TargetMotion> motions = runner::TargetMotions(def.targetSpeeds, def.targetCourses);
    EXPECT_EQ(motions, (std::vector<runner::TargetMotion>{{12.0, 90.0}, {12.0, -45.0}, {0.0, NAN}}))
        << "a still target has no course, and is flown once";
    EXPECT_EQ(def.rangeMin, 1000.0);
    EXPECT_EQ(def.rangeMax, 9000.0);
    EXPECT_EQ(def.tolerance, 25.0);
    EXPECT_EQ(def.scan, 500.0) << "a sixteenth of the range";
    EXPECT_EQ(def.probability, 0.8);
    EXPECT_EQ(def.confidence, 0.9);
    EXPECT_EQ(def.batch.runs, runner::DEFAULT_POINT_RUNS);
    EXPECT_EQ(def.batch.seed, 17u);
    ASSERT_EQ(def.batch.settings.size(), 1u);
    EXPECT_EQ(def.batch.settings[0].key, formats::Key::Wind);
    EXPECT_EQ(def.batch.settings[0].number[0], 4.0);
    ASSERT_EQ(def.batch.dispersions.size(), 1u);
    EXPECT_EQ(def.batch.dispersions[0].quantity, "Carrier.heading");
    EXPECT_TRUE(def.batch.dispersions[0].normal);
    EXPECT_EQ(def.batch.dispersions[0].b, 0.01);
    EXPECT_TRUE(def.Probabilistic());

    // Without dispersions each probe point is one flight; a SCAN given is kept.
    std::ofstream("plain.envelope") << BODY + "SCAN 100\n";
    ASSERT_TRUE(runner::ReadEnvelope("plain.envelope", def, error)) << error;
    EXPECT_FALSE(def.Probabilistic());
    EXPECT_EQ(def.batch.runs, 1);
    EXPECT_EQ(def.scan, 100.0);
    EXPECT_TRUE(std::isnan(def.probability));
    EXPECT_FALSE(def.TargetConditions());
    std::ofstream("still.envelope") << BODY + "TARGET_SPEEDS 0\n";
    ASSERT_TRUE(runner::ReadEnvelope("still.envelope", def, error)) << error;
    EXPECT_EQ(def.targetCourses, (std::vector<double>{0.0})) << "along the track unless the file says";
}

// Target speeds add their columns and fields, and only they do: the still target's figures are
// those of the file without them.
TEST_F(EnvelopeFiles, TargetSpeedsAddColumns)
{
    std::string still = ReadFile(KARVEX_TEST_DATA_DIR "/small.envelope");
    still.replace(still.find("large_target.scn"), 16, KARVEX_TEST_DATA_DIR "/large_target.scn");
    std::ofstream("still.envelope") << still;
    std::ofstream("moving.envelope") << still + "TARGET_SPEEDS 0 15\nTARGET_COURSES 90 180\n";
    auto fly = [](const char* file, const std::string& out) {
        runner::EnvelopeOptions o;
        o.envelopeFile = file;
        o.moduleDir = KARVEX_MODULE_DIR;
        o.outDir = out;
        o.plot = false;
        o.quiet = true;
        EXPECT_EQ(runner::Envelope(o), runner::EXIT_OK) << out;
    };
    fly("still.envelope", "still");
    fly("moving.envelope", "moving");
    std::istringstream stillCsv(ReadFile("still/envelope.csv")), movingCsv(ReadFile("moving/envelope.csv"));
    std::vector<runner::EnvelopeRow> stillRows, movingRows;
    std::string error;
    bool targets = true;
    ASSERT_TRUE(runner::ReadEnvelopeRows(stillCsv, stillRows, error, &targets)) << error;
    EXPECT_FALSE(targets);
    ASSERT_TRUE(runner::ReadEnvelopeRows(movingCsv, movingRows, error, &targets)) << error;
    EXPECT_TRUE(targets);
    ASSERT_EQ(movingRows.size(), stillRows.size() * 3) << "one row a bearing here, for three target conditions";
    for (size_t k = 0; k < stillRows.size(); ++k) {
        EXPECT_EQ(movingRows[k].rmin, stillRows[k].rmin);
        EXPECT_EQ(movingRows[k].rmax, stillRows[k].rmax);
        EXPECT_EQ(movingRows[k].flights, stillRows[k].flights);
    }
    nlohmann::json stillJson = nlohmann::json::parse(ReadFile("still/envelope.json"));
    nlohmann::json movingJson = nlohmann::json::parse(ReadFile("moving/envelope.json"));
    EXPECT_FALSE(stillJson.contains("target_speeds_m_s"));
    ASSERT_EQ(movingJson["conditions"].size(), 3u);
    nlohmann::json& first = movingJson["conditions"][0];
    EXPECT_TRUE(first["target_course_deg"].is_null());
    first.erase("target_speed_m_s");
    first.erase("target_course_deg");
    EXPECT_EQ(first, stillJson["conditions"][0]);
}

}  // namespace
