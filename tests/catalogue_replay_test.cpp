// The catalogue's replay rows: hand-edited telemetry files, each refused with its line or read, and
// the replay command line over them, ending with its exit status.
#include <filesystem>
#include <fstream>
#include <map>

#include "catalogue.h"
#include "runner/flight/telemetry.h"
#include "runner/replay/replay_telemetry.h"

namespace {

using catalogue::Catalogue;

// A telemetry row of vessel field `vessel` (as written, quotes and all) at `t` s.
std::string Row(const std::string& t, const std::string& vessel)
{
    return t + "," + vessel + ",1,2000,0,0,0,230,0,0,0,2000,0.7,1,300,0,1;2,0;1,0,0,0,0.01,-0.02\n";
}

TEST_F(Catalogue, TelemetryFiles)
{
    const std::string head = std::string(runner::TELEMETRY_HEADER) + "\n";
    const std::string good = head + Row("0", "K1") + Row("0.1", "\"K,1\"");
    const std::pair<std::string, const char*> rows[] = {
        {good, nullptr},
        {good + "0.2,\"K,", nullptr},  // a stop's cut inside the last row's quoted name
        {head + Row("0", "\"K1") + Row("0.1", "K1") + Row("0.2", "K1"),
         "telemetry.csv:2: a quoted field opened here is never closed"},
        {good + "0.2,\"K1,1\n", "telemetry.csv:4: a quoted field opened here is never closed"},
        {head + Row("0", "\"K1") + Row("0.1", "\"K,1\""),
         "line 3: text after a closing quote (of the quoted field opened on line 2)"},
        {head + Row("0", "K\"1"), "line 2: a quote inside an unquoted field"},
        {head, "has no samples"},
        {"time_s,vessel\n0,K1\n", "lacks the column x_m"},
    };
    catalogue::ExpectDefinitionFiles(rows, "telemetry.csv", [](std::string& why) {
        std::vector<std::string> order;
        std::map<std::string, runner::Track> tracks;
        why = runner::ReadTelemetry("telemetry.csv", order, tracks);
        return why.empty();
    });
}

TEST_F(Catalogue, ReplayCommandLines)
{
    const std::string head = std::string(runner::TELEMETRY_HEADER) + "\n";
    for (const auto& [folder, telemetry] :
         {std::pair<std::string, std::string>{"whole", head + Row("0", "K1") + Row("0.1", "K1")},
          {"unclosed", head + Row("0", "\"K1") + Row("0.1", "K1")}}) {
        std::filesystem::create_directory(folder);
        std::ofstream(folder + "/summary.json") << "{\"missile\": \"K1\"}";
        std::ofstream(folder + "/telemetry.csv") << telemetry;
    }
    const std::pair<std::vector<std::string>, int> rows[] = {
        {{"replay"}, 2},
        {{"replay", "whole"}, 0},
        {{"replay", "unclosed"}, 3},
        {{"replay", "nowhere"}, 3},
    };
    catalogue::ExpectExitStatuses(KARVEX_PROGRAM, rows);
    EXPECT_FALSE(std::filesystem::exists("unclosed/replay.html")) << "a refused replay writes no page";
}

}  // namespace
