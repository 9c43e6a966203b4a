// A sweep's files: runs.csv's rows read back, the summary's counts and quantiles, and sweep files
// that cannot be read, named with their line and why.
#include <fstream>
#include <string>
#include <vector>

#include "formats/csv.h"
#include "runner/program/exit_codes.h"
#include "runner/sweep/sweep.h"
#include "runner/sweep/sweep_definition.h"
#include "runner/sweep/sweep_rows.h"
#include "tests/runner/sweep_fixture.h"
#include "tests/test_support.h"

namespace {

// A row that does not start with its run number is no run: a resume flies it again and a merge
// refuses it, instead of taking it for run 0.
TEST(SweepRows, RunNumberOnlyFromALeadingNumberAndComma)
{
    auto run = [](std::vector<std::string> fields) {
        runner::SweepRow row;
        return runner::ReadRow(fields, 0, row) ? row.run : -1;
    };
    EXPECT_EQ(run({"12", "hit", "3.5", "20", "7", "0", "3.5"}), 12);
    EXPECT_EQ(run({"0", "miss", "", "", "", "", ""}), 0);
    EXPECT_EQ(run({"x", "hit", "3.5", "20", "7", "0", "3.5"}), -1);
    EXPECT_EQ(run({"12"}), -1);
    EXPECT_EQ(run({"-3", "hit", "3.5", "20", "7", "0", "3.5"}), -1);
    EXPECT_EQ(run({"99999999999999999999", "hit", "3.5", "20", "7", "0", "3.5"}), -1);
    EXPECT_EQ(run({"12", "won", "3.5", "20", "7", "0", "3.5"}), -1) << "an unknown outcome";
    EXPECT_EQ(run({"12", "hit", "3.5m", "20", "7", "0", "3.5"}), -1) << "a value that is no number";
}

// The summary's statistics on rows whose answers are known.
TEST_F(Sweeps, SummaryCountsOutcomesAndQuantiles)
{
    runner::SweepMeta meta;
    meta.sweep = "s";
    meta.runs = 5;
    std::vector<runner::SweepRow> rows = Rows("0,hit,1,20,7,0,1\n1,hit,3,20,7,0,3\n2,miss,12,20,7,0,12\n"
                                              "3,no_lock,60,20,,0,60\n4,dud,,50,7,,\n");
    std::string json = runner::SummaryJson(meta, rows);
    EXPECT_NE(json.find("\"outcomes\": {\n    \"hit\": 2,\n    \"miss\": 1,\n    \"no_lock\": 1,\n    \"dud\": 1"),
              std::string::npos) << json;
    // Within 5 m: 2 of 5; Wilson's interval for 2/5 is [0.1176, 0.7693].
    EXPECT_NE(json.find("\"p\": 0.4,\n      \"ci95\": [\n        0.117"), std::string::npos) << json;
    // The median of the four misses 1, 3, 12, 60 is 7.5.
    EXPECT_NE(json.find("\"cep_m\": {\n    \"value\": 7.5"), std::string::npos) << json;
}

// Bad sweep files are refused with the file, the line and the reason.
TEST_F(Sweeps, BadSweepFilesAreNamedWithLineAndReason)
{
    const std::string head = "KARVEX-SWEEP 1\nSCENARIO " KARVEX_SCENARIO_DIR "/reference.scn\nRUNS 4\n";
    const std::pair<std::string, std::string> cases[] = {
        {"", "bad.sweep:1: not a sweep file"},
        {head + "VARY Carrier.colour uniform 1 2\n", "bad.sweep:4: unknown quantity \"Carrier.colour\""},
        {head + "VARY Carrier.y gauss 1 2\n", "bad.sweep:4: unknown distribution \"gauss\""},
        {head + "VARY Carrier.y uniform 2500 1500\n", "bad.sweep:4: uniform bounds reversed: 2500 is above 1500"},
        {head + "VARY Carrier.y normal 2000 -5\n", "bad.sweep:4: negative deviation -5"},
        {head + "VARY Carrier.y normal 2000\n", "bad.sweep:4: expected \"VARY <vessel>.<quantity>"},
        {head + "VARY Nobody.y normal 2000 5\n", "bad.sweep: no vessel named \"Nobody\""},
        {head + "VARY K1.release uniform 1 2\n", "bad.sweep: \"K1\" releases nothing"},
        {"KARVEX-SWEEP 1\nSCENARIO " KARVEX_SCENARIO_DIR "/reference.scn\nRUNS 0\n", "bad.sweep:3: RUNS must be a whole"},
        {"KARVEX-SWEEP 1\nSCENARIO nowhere.scn\n", "bad.sweep:2: cannot read the scenario"},
        {"KARVEX-SWEEP 1\nRUNS 3\n", "bad.sweep:2: no SCENARIO line"},
        {head + "SEED -1\n", "bad.sweep:4: SEED must be a whole number"},
        {head + "SPEED 3\n", "bad.sweep:4: unknown line \"SPEED 3\""},
        {head + "SETTING WIND -1 0\n", "bad.sweep:4: expected \"WIND <speed, m/s, 0 or more>"},
        {head + "SETTING POS 1 2 3\n", "bad.sweep:4: unknown key \"POS\""},
        {head + "VARY wind.gusts uniform 1 2\n", "bad.sweep:4: unknown quantity \"wind.gusts\""},
        {head + "VARY turbulence.seed uniform 0 9\n", "bad.sweep: the scenario " KARVEX_SCENARIO_DIR},
    };
    for (const auto& [text, message] : cases) {
        std::ofstream("bad.sweep") << text;
        runner::BatchDefinition spec;
        std::string error;
        EXPECT_FALSE(runner::ReadSweep("bad.sweep", spec, error)) << text;
        EXPECT_EQ(error.rfind(message, 0), 0u) << "got: " << error;
    }
    runner::SweepOptions o = Options("out");
    o.sweepFile = "bad.sweep";
    EXPECT_EQ(runner::Sweep(o), runner::EXIT_SCENARIO);
}

}  // namespace
