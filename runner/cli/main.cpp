// karvex: flies missile engagements in the stand-in host, and inspects and plots them.
#include <charconv>
#include <cstdio>
#include <exception>

#include <CLI/CLI.hpp>

#include "runner/cli/commands.h"
#include "runner/envelope/envelope.h"
#include "runner/plots/plot.h"
#include "runner/program/complaint.h"
#include "runner/program/exit_codes.h"
#include "runner/program/paths.h"
#include "runner/replay/replay.h"
#include "runner/sweep/sweep.h"

namespace {

using namespace runner;

// What the command line asked for: each subcommand's options, and which subcommand it named.
struct Request {
    std::string moduleDir = DefaultModuleDir().string();
    std::string scenario, outDir;
    bool plot = false, quiet = false, replay = false;
    std::string className, plotDir, replayDir;
    SweepOptions sweep;
    EnvelopeOptions envelope;
    std::string shard = "1/1";
    bool noPlot = false;
    std::string mergeOut;
    std::vector<std::string> shardDirs;
    CLI::App* run = nullptr;
    CLI::App* inspect = nullptr;
    CLI::App* replayCommand = nullptr;
    CLI::App* sweepCommand = nullptr;
    CLI::App* merge = nullptr;
    CLI::App* envelopeCommand = nullptr;
};

// CLI11's check of "--shard K/N", which keeps K and N in `k` and `n` once they read as whole
// numbers with 1 <= K <= N.
CLI::Validator ShardOf(int& k, int& n)
{
    return CLI::Validator(
        [&k, &n](std::string& text) -> std::string {
            const char* end = text.data() + text.size();
            int first = 0, second = 0;
            auto [slash, e1] = std::from_chars(text.data(), end, first);
            if (e1 == std::errc() && slash != end && *slash == '/') {
                auto [tail, e2] = std::from_chars(slash + 1, end, second);
                if (e2 == std::errc() && tail == end && first >= 1 && first <= second) {
                    k = first;
                    n = second;
                    return "";
                }
            }
            return "takes K/N with 1 <= K <= N, got \"" + text + "\"";
        },
        "K/N");
}

void AddFlightCommands(CLI::App& app, Request& r)
{
    r.run = app.add_subcommand("run", "Fly a scenario: timeline, telemetry, summary, end-of-run scenario");
    r.run->add_option("SCENARIO", r.scenario, "Scenario file")->required();
    r.run->add_option("-o,--out", r.outDir, "Output folder (default: out/<scenario name>)");
    r.run->add_option("-m,--modules", r.moduleDir, "Folder of the vessel modules")->capture_default_str();
    r.run->add_flag("--plot", r.plot, "Render flight.png after the run");
    r.run->add_flag("--replay", r.replay, "Write replay.html, the flight in 3D, after the run");
    r.run->add_flag("-q,--quiet", r.quiet, "Print no timeline");

    r.inspect = app.add_subcommand("inspect", "Load a module and print what its class declares");
    r.inspect->add_option("CLASS", r.className, "Module class name, e.g. Karvex")->required();
    r.inspect->add_option("-m,--modules", r.moduleDir, "Folder of the vessel modules")->capture_default_str();

    CLI::App* plotCommand = app.add_subcommand("plot", "Render flight.png from a run's output folder");
    plotCommand->add_option("OUTPUT_FOLDER", r.plotDir, "A folder a run wrote")->required();

    r.replayCommand = app.add_subcommand("replay", "Write replay.html: a run played back in 3D in a browser");
    r.replayCommand->add_option("OUTPUT_FOLDER", r.replayDir, "A folder a run wrote")->required();
}

void AddSweepCommands(CLI::App& app, Request& r)
{
    SweepOptions& sweep = r.sweep;
    sweep.moduleDir = r.moduleDir;
    r.sweepCommand = app.add_subcommand("sweep", "Fly a Monte Carlo sweep: runs.csv, summary.json, sweep.png");
    CLI::App* c = r.sweepCommand;
    c->add_option("SWEEPFILE", sweep.sweepFile, "Sweep file")->required();
    c->add_option("-o,--out", sweep.outDir, "Output folder (default: out/<sweep name>)");
    c->add_option("-m,--modules", sweep.moduleDir, "Folder of the vessel modules")->capture_default_str();
    c->add_option("-j,--jobs", sweep.jobs, "Worker threads (default: one per core)")->check(CLI::PositiveNumber);
    c->add_option("--shard", r.shard, "Run only shard K of N, as K/N")
        ->capture_default_str()
        ->check(ShardOf(sweep.shard, sweep.shards));
    c->add_flag("--write-inputs", sweep.writeInputs, "Write each run's scenario into <out>/inputs");
    c->add_flag("--resume", sweep.resume, "Keep the runs a stopped sweep finished and fly the rest");
    c->add_flag("--no-plot", r.noPlot, "Draw no sweep.png");
    c->add_flag("-q,--quiet", sweep.quiet, "Show no progress");

    r.merge = app.add_subcommand("merge", "Merge the shard folders of a sweep or of an envelope into its files");
    r.merge->add_option("-o,--out", r.mergeOut, "Output folder")->required();
    r.merge->add_option("SHARD_DIR", r.shardDirs, "Folders the shards wrote")->required();
    r.merge->add_flag("--no-plot", r.noPlot, "Draw no sweep.png or envelope.png");
}

void AddEnvelopeCommand(CLI::App& app, Request& r)
{
    EnvelopeOptions& envelope = r.envelope;
    envelope.moduleDir = r.moduleDir;
    r.envelopeCommand =
        app.add_subcommand("envelope", "Find the launch envelope: envelope.csv, envelope.json, envelope.png");
    CLI::App* c = r.envelopeCommand;
    c->add_option("ENVELOPEFILE", envelope.envelopeFile, "Envelope file")->required();
    c->add_option("-o,--out", envelope.outDir, "Output folder (default: out/<envelope name>)");
    c->add_option("-m,--modules", envelope.moduleDir, "Folder of the vessel modules")->capture_default_str();
    c->add_option("-j,--jobs", envelope.jobs, "Worker threads (default: one per core)")->check(CLI::PositiveNumber);
    c->add_option("--shard", r.shard, "Compute only shard K of N of the bearings, as K/N")
        ->capture_default_str()
        ->check(ShardOf(envelope.shard, envelope.shards));
    c->add_flag("--no-plot", r.noPlot, "Draw no envelope.png");
    c->add_flag("-q,--quiet", envelope.quiet, "Show no progress and no figures");
}

int EnvelopeCommand(Request& r)
{
    r.envelope.plot = !r.noPlot;
    if (r.envelope.outDir.empty()) {
        r.envelope.outDir = "out/" + std::filesystem::path(r.envelope.envelopeFile).stem().string();
    }
    return Envelope(r.envelope);
}

int MergeCommand(const Request& r)
{
    if (std::string why = RefusedOutputFolder(r.mergeOut); !why.empty()) {
        Complain("merge", "%s", why.c_str());
        return EXIT_USAGE;
    }
    // The first folder says whose shards they are.
    namespace fs = std::filesystem;
    if (!r.shardDirs.empty() && fs::is_regular_file(fs::path(r.shardDirs[0]) / "envelope.json")) {
        return MergeEnvelope(r.shardDirs, r.mergeOut, !r.noPlot, "");
    }
    return Merge(r.shardDirs, r.mergeOut, !r.noPlot, "");
}

int SweepCommand(Request& r)
{
    r.sweep.plot = !r.noPlot;
    if (r.sweep.outDir.empty()) {
        r.sweep.outDir = "out/" + std::filesystem::path(r.sweep.sweepFile).stem().string();
    }
    return Sweep(r.sweep);
}

int Main(int argc, char** argv)
{
    CLI::App app{"karvex: fly guided-missile engagements in the stand-in host.\n"
                 "Exit status: 0 done, 1 an output could not be written, 2 bad usage,\n"
                 "3 the scenario is missing or unreadable, 4 a module is missing or lacks an entry point."};
    app.require_subcommand(1);
    Request r;
    AddFlightCommands(app, r);
    AddSweepCommands(app, r);
    AddEnvelopeCommand(app, r);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e);
        return code == 0 ? EXIT_OK : EXIT_USAGE;
    }
    if (*r.run) {
        if (r.outDir.empty()) {
            r.outDir = "out/" + std::filesystem::path(r.scenario).stem().string();
        }
        return RunCommand(r.scenario, r.moduleDir, r.outDir, r.plot, r.quiet, r.replay);
    }
    if (*r.inspect) {
        return Inspect(r.moduleDir, r.className);
    }
    if (*r.sweepCommand) {
        return SweepCommand(r);
    }
    if (*r.replayCommand) {
        return Replay(r.replayDir);
    }
    if (*r.merge) {
        return MergeCommand(r);
    }
    if (*r.envelopeCommand) {
        return EnvelopeCommand(r);
    }
    return Plot(r.plotDir, "");
}

}  // namespace

int main(int argc, char** argv)
{
    // Out of memory or a file system failure the commands do not handle ends the program with a
    // message rather than an abort.
    try {
        return Main(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "karvex: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "karvex: unexpected failure\n");
    }
    return runner::EXIT_FAILED;
}
