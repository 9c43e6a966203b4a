// karvex: flies missile engagements in the stand-in host, and inspects and plots them.
#include <CLI/CLI.hpp>

#include "runner/commands.h"
#include "runner/exit_codes.h"
#include "runner/paths.h"

int main(int argc, char** argv)
{
    using namespace runner;
    CLI::App app{"karvex: fly guided-missile engagements in the stand-in host.\n"
                 "Exit status: 0 done, 1 an output could not be written, 2 bad usage,\n"
                 "3 the scenario is missing or unreadable, 4 a module is missing or lacks an entry point."};
    app.require_subcommand(1);
    std::string moduleDir = DefaultModuleDir().string();

    std::string scenario, outDir;
    bool plot = false, quiet = false;
    CLI::App* run = app.add_subcommand("run", "Fly a scenario: timeline, telemetry, summary, end-of-run scenario");
    run->add_option("SCENARIO", scenario, "Scenario file")->required();
    run->add_option("-o,--out", outDir, "Output folder (default: out/<scenario name>)");
    run->add_option("-m,--modules", moduleDir, "Folder of the vessel modules")->capture_default_str();
    run->add_flag("--plot", plot, "Render flight.png after the run");
    run->add_flag("-q,--quiet", quiet, "Print no timeline");

    std::string className;
    CLI::App* inspect = app.add_subcommand("inspect", "Load a module and print what its class declares");
    inspect->add_option("CLASS", className, "Module class name, e.g. Karvex")->required();
    inspect->add_option("-m,--modules", moduleDir, "Folder of the vessel modules")->capture_default_str();

    std::string plotDir;
    CLI::App* plotCommand = app.add_subcommand("plot", "Render flight.png from a run's output folder");
    plotCommand->add_option("OUTPUT_FOLDER", plotDir, "A folder a run wrote")->required();

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
        return RunCommand(scenario, moduleDir, outDir, plot, quiet);
    }
    if (*inspect) {
        return Inspect(moduleDir, className);
    }
    return Plot(plotDir, "");
}
