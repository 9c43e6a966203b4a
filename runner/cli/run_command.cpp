#include <cstdio>

#include "runner/cli/commands.h"
#include "runner/flight/flight.h"
#include "runner/flight/outcome.h"
#include "runner/plots/plot.h"
#include "runner/replay/replay.h"

namespace runner {

namespace {

// A salvo's result: each weapon's outcome, then each target's hits and closest miss.
void PrintSalvo(const RunResult& result)
{
    std::printf("\n");
    for (const WeaponRecord& w : result.weapons) {
        const Outcome outcome = OutcomeOf(w);
        std::printf("%s: %s", w.name.c_str(), OUTCOMES[static_cast<int>(outcome)]);
        if (outcome == Outcome::FRIEND) {
            std::printf(" (%s, at %.2f s)", w.friendName.c_str(), w.friendLock);
        }
        if (!std::isnan(w.missDistance)) {
            std::printf(", %.2f m from the centre of %s", w.missDistance, w.target.c_str());
        }
        std::printf("\n");
    }
    for (const TargetRecord& t : result.targets) {
        std::string by;
        for (const std::string& name : t.hitBy) {
            by += (by.empty() ? "" : ", ") + name;
        }
        std::printf("%s: %s%s", t.name.c_str(), by.empty() ? "not hit" : "hit by ", by.c_str());
        if (!std::isnan(t.closestMiss)) {
            std::printf("; closest miss %.2f m, by %s", t.closestMiss, t.closestMissBy.c_str());
        }
        std::printf("\n");
    }
}

}  // namespace

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
    if (result.salvo) {
        PrintSalvo(result);
    } else if (!std::isnan(result.missDistance)) {
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
