#include <cstdio>

#include "runner/cli/commands.h"
#include "runner/flight/flight.h"
#include "runner/plots/plot.h"
#include "runner/replay/replay.h"

namespace runner {

int RunCommand(const std::string& scenario, const std::string& moduleDir, const std::string& outDir, bool plot,
               bool quiet, bool replay)
{
    RunOptions options;
    options.scenario = scenario;
    options.moduleDir = moduleDir;
    options.outDir = outDir;
    options.timeline = quiet ? nullptr : stdout;
    RunResult result = Run(options);
    if (result.exitCode != EXIT_OK) {
        std::fprintf(stderr, "karvex run: %s\n", result.error.c_str());
        return result.exitCode;
    }
    if (!std::isnan(result.missDistance)) {
        std::printf("\nmiss distance: %.2f m (warhead ignition to the centre of %s)\n", result.missDistance,
                    result.target.c_str());
    } else if (!std::isnan(result.milestones.ignition)) {
        std::printf("\nthe warhead ignited at %.2f s; no target named\n", result.milestones.ignition);
    } else {
        std::printf("\nno warhead ignition by %.2f s\n", result.endTime);
    }
    std::printf("\nwrote:\n");
    for (const std::string& path : result.written) {
        std::printf("  %s\n", path.c_str());
    }
    std::fflush(stdout);
    int code = plot ? Plot(outDir, "") : EXIT_OK;
    return code == EXIT_OK && replay ? Replay(outDir) : code;
}

}  // namespace runner
