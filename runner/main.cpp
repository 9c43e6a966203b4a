// karvex: flies missile engagements in the stand-in host, and inspects and plots them.
#include <cstdio>
#include <exception>

#include <CLI/CLI.hpp>

#include "runner/commands.h"
#include "runner/exit_codes.h"
#include "runner/paths.h"
#include "runner/sweep.h"

namespace {

int Main(int argc, char** argv)
{
    using namespace runner;
    CLI::App app{"karvex: fly guided-missile engagements in the stand-in host.\n"
                 "Exit status: 0 done, 1 an output could not be written, 2 bad usage,\n"
                 "3 the scenario is missing or unreadable, 4 a module is missing or lacks an entry point."};
    app.require_subcommand(1);
    std::string moduleDir = DefaultModuleDir().string();

    std::string scenario, outDir;
    bool plot = false, quiet = false, replay = false;
    CLI::App* run = app.add_subcommand("run", "Fly a scenario: timeline, telemetry, summary, end-of-run scenario");
    run->add_option("SCENARIO", scenario, "Scenario file")->required();
    run->add_option("-o,--out", outDir, "Output folder (default: out/<scenario name>)");
    run->add_option("-m,--modules", moduleDir, "Folder of the vessel modules")->capture_default_str();
    run->add_flag("--plot", plot, "Render flight.png after the run");
    run->add_flag("--replay", replay, "Write replay.html, the flight in 3D, after the run");
    run->add_flag("-q,--quiet", quiet, "Print no timeline");

    std::string className;
    CLI::App* inspect = app.add_subcommand("inspect", "Load a module and print what its class declares");
    inspect->add_option("CLASS", className, "Module class name, e.g. Karvex")->required();
    inspect->add_option("-m,--modules", moduleDir, "Folder of the vessel modules")->capture_default_str();

    std::string plotDir;
    CLI::App* plotCommand = app.add_subcommand("plot", "Render flight.png from a run's output folder");
    plotCommand->add_option("OUTPUT_FOLDER", plotDir, "A folder a run wrote")->required();

    std::string replayDir;
    CLI::App* replayCommand = app.add_subcommand("replay", "Write replay.html: a run played back in 3D in a browser");
    replayCommand->add_option("OUTPUT_FOLDER", replayDir, "A folder a run wrote")->required();

    SweepOptions sweep;
    sweep.moduleDir = moduleDir;
    std::string shard = "1/1";
    bool noPlot = false;
    CLI::App* sweepCommand = app.add_subcommand("sweep", "Fly a Monte Carlo sweep: runs.csv, summary.json, sweep.png");
    sweepCommand->add_option("SWEEPFILE", sweep.sweepFile, "Sweep file")->required();
    sweepCommand->add_option("-o,--out", sweep.outDir, "Output folder (default: out/<sweep name>)");
    sweepCommand->add_option("-m,--modules", sweep.moduleDir, "Folder of the vessel modules")->capture_default_str();
    sweepCommand->add_option("-j,--jobs", sweep.jobs, "Worker threads (default: one per core)")->check(CLI::PositiveNumber);
    sweepCommand->add_option("--shard", shard, "Run only shard K of N, as K/N")->capture_default_str();
    sweepCommand->add_flag("--write-inputs", sweep.writeInputs, "Write each run's scenario into <out>/inputs");
    sweepCommand->add_flag("--resume", sweep.resume, "Keep the runs a stopped sweep finished and fly the rest");
    sweepCommand->add_flag("--no-plot", noPlot, "Draw no sweep.png");
    sweepCommand->add_flag("-q,--quiet", sweep.quiet, "Show no progress");

    std::string mergeOut;
    std::vector<std::string> shardDirs;
    CLI::App* merge = app.add_subcommand("merge", "Merge shard folders into one sweep's runs.csv and summary.json");
    merge->add_option("-o,--out", mergeOut, "Output folder")->required();
    merge->add_option("SHARD_DIR", shardDirs, "Folders the shards wrote")->required();
    merge->add_flag("--no-plot", noPlot, "Draw no sweep.png");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e);
        return code == 0 ? EXIT_OK : EXIT_USAGE;
    }
    if (*run) {
        if (outDir.empty()) {
            outDir = "out/" + std::filesystem::path(scenario).stem().string();
        }
        return RunCommand(scenario, moduleDir, outDir, plot, quiet, replay);
    }
    if (*inspect) {
        return Inspect(moduleDir, className);
    }
    if (*sweepCommand) {
        int k = 0, n = 0;
        char tail = 0;
        // NOLINTNEXTLINE(cert-err34-c): the count is checked, and K and N are checked against each other
        if (std::sscanf(shard.c_str(), "%d/%d%c", &k, &n, &tail) != 2 || n < 1 || k < 1 || k > n) {
            std::fprintf(stderr, "karvex sweep: --shard takes K/N with 1 <= K <= N, got \"%s\"\n", shard.c_str());
            return EXIT_USAGE;
        }
        sweep.shard = k;
        sweep.shards = n;
        sweep.plot = !noPlot;
        if (sweep.outDir.empty()) {
            sweep.outDir = "out/" + std::filesystem::path(sweep.sweepFile).stem().string();
        }
        return Sweep(sweep);
    }
    if (*replayCommand) {
        return Replay(replayDir);
    }
    if (*merge) {
        return Merge(shardDirs, mergeOut, !noPlot, "");
    }
    return Plot(plotDir, "");
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
