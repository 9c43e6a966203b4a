// Sweeps: the same files whatever the thread count or sharding, runs that fly alone from their
// written inputs, resumption after a kill, names with commas, statistics, and bad sweep files.
#include <signal.h>
#include <sys/wait.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "formats/csv.h"
#include "runner/flight/flight.h"
#include "runner/program/exit_codes.h"
#include "runner/replay/replay_telemetry.h"
#include "runner/sweep/sweep.h"
#include "runner/sweep/sweep_definition.h"
#include "runner/sweep/sweep_rows.h"
#include "tests/test_support.h"

namespace {

class Sweeps : public WorldTest {
protected:
    static runner::SweepOptions Options(const std::string& out)
    {
        return {.sweepFile = KARVEX_TEST_DATA_DIR "/small.sweep", .moduleDir = KARVEX_MODULE_DIR, .outDir = out,
                .plot = false, .quiet = true, .plotScript = ""};
    }

    /// Expects `dir`'s runs.csv and summary.json to equal `reference`'s, byte for byte.
    static void ExpectSameFiles(const std::string& dir, const std::string& reference)
    {
        for (const char* file : {"/runs.csv", "/summary.json"}) {
            EXPECT_EQ(ReadFile(dir + file), ReadFile(reference + file)) << dir << file;
        }
    }
};

// The rows of runs.csv `text` past any header, each a record of a sweep with `inputs` dispersions.
std::vector<runner::SweepRow> Rows(const std::string& text, size_t inputs = 0)
{
    std::istringstream in(text);
    formats::CsvReader csv(in);
    std::vector<runner::SweepRow> rows;
    runner::SweepMeta meta;
    meta.inputs.resize(inputs);
    for (std::vector<std::string> fields; csv.Next(fields);) {
        if (fields[0] == "run") {
            continue;
        }
        runner::SweepRow row;
        EXPECT_TRUE(runner::ReadRow(fields, meta, row)) << fields[0];
        rows.push_back(row);
    }
    return rows;
}

// Thread count and sharding change nothing in what a sweep writes, and any run flies alone from its
// written inputs to the same outcome.
TEST_F(Sweeps, JobsAndShardsWriteTheSameFiles)
{
    runner::SweepOptions one = Options("one");
    one.jobs = 1;
    one.writeInputs = true;
    ASSERT_EQ(runner::Sweep(one), runner::EXIT_OK);
    for (int jobs : {2, 4}) {
        runner::SweepOptions o = Options("jobs" + std::to_string(jobs));
        o.jobs = jobs;
        ASSERT_EQ(runner::Sweep(o), runner::EXIT_OK);
        ExpectSameFiles(o.outDir, "one");
    }
    std::vector<std::string> shards;
    for (int k = 1; k <= 3; ++k) {
        runner::SweepOptions o = Options("shard" + std::to_string(k));
        o.shard = k;
        o.shards = 3;
        ASSERT_EQ(runner::Sweep(o), runner::EXIT_OK);
        shards.push_back(o.outDir);
    }
    EXPECT_NE(ReadFile("shard1/summary.json").find("\"shard\": \"1/3\""), std::string::npos);
    ASSERT_EQ(runner::Merge(shards, "merged", false, ""), runner::EXIT_OK);
    ExpectSameFiles("merged", "one");
    EXPECT_EQ(runner::Merge({"shard1", "shard3"}, "gap", false, ""), runner::EXIT_SCENARIO) << "a shard missing";
    EXPECT_EQ(runner::Merge({"shard1", "shard1", "shard2", "shard3"}, "twice", false, ""), runner::EXIT_SCENARIO);
    std::string summary = ReadFile("shard1/summary.json");
    summary.replace(summary.find("\"runs\": "), 8, "\"runs\": -");
    std::ofstream("shard1/summary.json") << summary;
    EXPECT_EQ(runner::Merge(shards, "negative", false, ""), runner::EXIT_SCENARIO) << "a count of runs below 1";

    // Run 5, flown alone from the scenario the sweep wrote for it, comes to the same miss.
    const runner::SweepRow row = Rows(ReadFile("one/runs.csv"), 5).at(5);
    runner::RunOptions alone;
    alone.scenario = "one/inputs/run-000005.scn";
    alone.moduleDir = KARVEX_MODULE_DIR;
    runner::RunResult r = runner::Run(alone);
    ASSERT_EQ(r.exitCode, runner::EXIT_OK) << r.error;
    EXPECT_EQ(row.run, 5);
    EXPECT_TRUE(row.miss == r.missDistance || (std::isnan(row.miss) && std::isnan(r.missDistance)))
        << row.miss << " vs miss " << r.missDistance;
}

// A sweep killed part way keeps its finished runs; resumed, it writes what an unbroken one does.
TEST_F(Sweeps, KilledAndResumedSweepWritesTheSameFiles)
{
    runner::SweepOptions whole = Options("whole");
    ASSERT_EQ(runner::Sweep(whole), runner::EXIT_OK);

    const pid_t pid = StartProgram(KARVEX_PROGRAM, {"sweep", KARVEX_TEST_DATA_DIR "/small.sweep", "--out", "broken",
                                                    "-j", "1", "-q", "--no-plot", "--modules", KARVEX_MODULE_DIR});
    ASSERT_GT(pid, 0);
    // Kill it once a few runs are in, before the last.
    size_t finished = 0;
    for (int wait = 0; wait < 3000 && finished < 4; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        std::string partial = ReadFile("broken/runs.partial");
        finished = static_cast<size_t>(std::count(partial.begin(), partial.end(), '\n'));
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the sweep ended before it could be killed";
    EXPECT_FALSE(std::filesystem::exists("broken/runs.csv"));

    runner::SweepOptions resumed = Options("broken");
    resumed.resume = true;
    ASSERT_EQ(runner::Sweep(resumed), runner::EXIT_OK);
    ExpectSameFiles("broken", "whole");
    EXPECT_FALSE(std::filesystem::exists("broken/runs.partial"));
}

// A sweep its stop flag ends keeps its finished runs; resumed, it is told of them first, flies only
// the rest, and writes what an unbroken one does.
TEST_F(Sweeps, StoppedAndResumedSweepWritesTheSameFiles)
{
    ASSERT_EQ(runner::Sweep(Options("whole")), runner::EXIT_OK);
    std::atomic<bool> stop{false};
    std::vector<long long> told;
    runner::SweepOptions o = Options("stopped");
    o.jobs = 1;
    o.stop = &stop;
    o.progress = [&](long long done, long long total) {
        told.push_back(done);  // one thread: the progress needs no guard
        EXPECT_EQ(total, 12);
        stop = done == 4;
    };
    EXPECT_EQ(runner::Sweep(o), runner::EXIT_INTERRUPTED);
    EXPECT_EQ(told, (std::vector<long long>{0, 1, 2, 3, 4}));
    EXPECT_FALSE(std::filesystem::exists("stopped/runs.csv"));
    const std::string partial = ReadFile("stopped/runs.partial");
    EXPECT_EQ(std::count(partial.begin(), partial.end(), '\n'), 5) << "the signature and four runs";

    told.clear();
    o.resume = true;
    o.stop = nullptr;
    ASSERT_EQ(runner::Sweep(o), runner::EXIT_OK);
    EXPECT_EQ(told.front(), 4);
    EXPECT_EQ(told.size(), 9u);
    ExpectSameFiles("stopped", "whole");
}

// A vessel named with a comma keeps every file's columns in place: runs.csv quotes its column, a
// merge of shards reads the rows back to the same files, and a replay finds the vessel whole.
TEST_F(Sweeps, NameWithACommaKeepsTheColumns)
{
    std::string scenario = ReadFile(KARVEX_SCENARIO_DIR "/reference_flat.scn");
    for (const std::string from : {"TARGET Target\n", "\nTarget:\n"}) {
        const size_t at = scenario.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        scenario.replace(at + from.find("Target"), 6, "Tgt,1");
    }
    std::ofstream("comma.scn") << scenario;
    std::ofstream("comma.sweep") << "KARVEX-SWEEP 1\nSCENARIO comma.scn\nRUNS 4\nVARY Tgt,1.x normal 0 50\n"
                                    "VARY Carrier.y uniform 1900 2100\n";
    std::vector<std::string> dirs = {"whole", "half1", "half2"};
    for (size_t k = 0; k < dirs.size(); ++k) {
        runner::SweepOptions o = Options(dirs[k]);
        o.sweepFile = "comma.sweep";
        o.shard = k == 0 ? 1 : static_cast<int>(k);
        o.shards = k == 0 ? 1 : 2;
        ASSERT_EQ(runner::Sweep(o), runner::EXIT_OK) << dirs[k];
    }
    const std::string runs = ReadFile("whole/runs.csv");
    EXPECT_EQ(runs.rfind("run,\"Tgt,1.x_m\",Carrier.y_m,outcome,miss_m,", 0), 0u) << runs;
    std::istringstream in(runs);
    formats::CsvReader csv(in);
    size_t records = 0;
    for (std::vector<std::string> fields; csv.Next(fields); ++records) {
        EXPECT_EQ(fields.size(), 12u) << "record " << records << " of\n" << runs;
    }
    EXPECT_EQ(records, 5u);
    EXPECT_EQ(csv.Error(), "");
    ASSERT_EQ(runner::Merge({"half1", "half2"}, "merged", false, ""), runner::EXIT_OK);
    ExpectSameFiles("merged", "whole");
    EXPECT_NE(ReadFile("merged/summary.json").find("\"column\": \"Tgt,1.x_m\""), std::string::npos);

    runner::RunOptions fly;
    fly.scenario = std::filesystem::absolute("comma.scn").string();
    fly.moduleDir = KARVEX_MODULE_DIR;
    fly.outDir = "flown";
    ASSERT_EQ(runner::Run(fly).exitCode, runner::EXIT_OK);
    std::vector<std::string> order;
    std::map<std::string, runner::Track> tracks;
    ASSERT_EQ(runner::ReadTelemetry("flown/telemetry.csv", order, tracks), "");
    ASSERT_EQ(tracks.count("Tgt,1"), 1u);
    EXPECT_EQ(tracks["Tgt,1"].columns["z_m"].front(), 9150.0) << "the columns after the name stay in place";
}

// A row that does not start with its run number is no run: a resume flies it again and a merge
// refuses it, instead of taking it for run 0.
TEST(SweepRows, RunNumberOnlyFromALeadingNumberAndComma)
{
    auto run = [](std::vector<std::string> fields) {
        runner::SweepRow row;
        return runner::ReadRow(fields, runner::SweepMeta{}, row) ? row.run : -1;
    };
    EXPECT_EQ(run({"12", "hit", "3.5", "20", "7", "0", "3.5", "1", "29", "400"}), 12);
    EXPECT_EQ(run({"0", "miss", "", "", "", "", "", "", "", ""}), 0);
    EXPECT_EQ(run({"x", "hit", "3.5", "20", "7", "0", "3.5", "1", "29", "400"}), -1);
    EXPECT_EQ(run({"12"}), -1);
    EXPECT_EQ(run({"-3", "hit", "3.5", "20", "7", "0", "3.5", "1", "29", "400"}), -1);
    EXPECT_EQ(run({"99999999999999999999", "hit", "3.5", "20", "7", "0", "3.5", "1", "29", "400"}), -1);
    EXPECT_EQ(run({"12", "won", "3.5", "20", "7", "0", "3.5", "1", "29", "400"}), -1) << "an unknown outcome";
    EXPECT_EQ(run({"12", "hit", "3.5m", "20", "7", "0", "3.5", "1", "29", "400"}), -1) << "a value that is no number";
}

// The summary's statistics on rows whose answers are known.
TEST_F(Sweeps, SummaryCountsOutcomesAndQuantiles)
{
    runner::SweepMeta meta;
    meta.sweep = "s";
    meta.runs = 5;
    std::vector<runner::SweepRow> rows = Rows("0,hit,1,20,7,0,1,,,\n1,hit,3,20,7,0,3,,,\n2,miss,12,20,7,0,12,,,\n"
                                              "3,no_lock,60,20,,0,60,,,\n4,dud,,50,7,,,,,\n");
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
        {head + "VARY Carrier.ripple uniform 0 3\n", "bad.sweep: \"Carrier\" releases from fewer than two stations"},
        {head + "VARY Carrier.release1 uniform 1 2\n", "bad.sweep: \"Carrier\" releases nothing from station 1"},
        {head + "VARY Carrier.release1x uniform 1 2\n", "bad.sweep:4: unknown quantity \"Carrier.release1x\""},
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

// The wind and the turbulence seed disperse through the scenario's settings, and the turbulence's
// own draws leave every other quantity's draws as they were.
TEST_F(Sweeps, WindAndATurbulenceSeedDisperseThroughTheSettings)
{
    const std::string head = "KARVEX-SWEEP 1\nSCENARIO " KARVEX_SCENARIO_DIR "/reference.scn\nRUNS 10\nSEED 5\n"
                             "VARY Carrier.altitude uniform 1500 2500\n";
    std::ofstream("still.sweep") << head;
    std::ofstream("windy.sweep") << head + "SETTING WIND 0 0 power\nSETTING TURBULENCE light\n"
                                           "VARY wind.speed normal 3 4\nVARY wind.from uniform 0 360\n"
                                           "VARY turbulence.seed uniform 0 1e6\n";
    runner::BatchDefinition still, windy;
    std::string error;
    ASSERT_TRUE(runner::ReadSweep("still.sweep", still, error)) << error;
    ASSERT_TRUE(runner::ReadSweep("windy.sweep", windy, error)) << error;
    for (long long run = 0; run < 10; ++run) {
        const std::vector<double> values = runner::DrawInputs(windy, run);
        EXPECT_EQ(values[0], runner::DrawInputs(still, run)[0]) << "run " << run;
        formats::ScenarioDocument doc;
        ASSERT_TRUE(runner::RunScenario(windy, values, doc, error)) << error;
        const formats::HostLine *wind = nullptr, *turbulence = nullptr;
        for (const formats::HostLine& line : doc.settings) {
            wind = line.key == formats::Key::Wind ? &line : wind;
            turbulence = line.key == formats::Key::Turbulence ? &line : turbulence;
        }
        ASSERT_TRUE(wind != nullptr && turbulence != nullptr);
        EXPECT_EQ(wind->number[0], std::fmax(values[1], 0.0)) << "a speed drawn below 0 is a calm";
        EXPECT_EQ(wind->number[1], values[2]);
        EXPECT_EQ(wind->integer[0], 1) << "the power law of the sweep's SETTING line";
        EXPECT_EQ(values[3], std::floor(values[3]));
        EXPECT_EQ(static_cast<double>(turbulence->integer[1]), values[3]);
        EXPECT_EQ(turbulence->integer[0], 1) << "light";
    }
}

// A run that ends while its missile still flies, locked on and its warhead unfired, is unfinished,
// not a dud: in runs.csv and in the summary's counts.
TEST_F(Sweeps, ARunThatEndsWhileTheMissileFliesIsUnfinished)
{
    std::ofstream("short.sweep") << "KARVEX-SWEEP 1\nSCENARIO " KARVEX_SCENARIO_DIR "/reference_flat.scn\nRUNS 2\n"
                                    "SEED 3\nSETTING END 15\nVARY Carrier.release uniform 4.9 5.1\n";
    runner::SweepOptions o = Options("short");
    o.sweepFile = "short.sweep";
    ASSERT_EQ(runner::Sweep(o), runner::EXIT_OK);
    const std::vector<runner::SweepRow> rows = Rows(ReadFile("short/runs.csv"), 1);
    ASSERT_EQ(rows.size(), 2u);
    for (const runner::SweepRow& row : rows) {
        EXPECT_EQ(row.outcome, runner::Outcome::UNFINISHED) << "run " << row.run;
        EXPECT_LT(row.lock, 10.0) << "locked on about 7.7 s after release";
        EXPECT_TRUE(std::isnan(row.miss));
    }
    EXPECT_NE(ReadFile("short/summary.json").find("\"dud\": 0,\n    \"unfinished\": 2"), std::string::npos);
}

}  // namespace
