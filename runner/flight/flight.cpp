#include "runner/flight/flight.h"

#include <limits>

#include "runner/flight/simulation.h"

namespace runner {

RunResult Run(const RunOptions& options)
{
    Simulation sim(options);
    if (!sim.Ok()) {
        RunResult failed;
        failed.exitCode = sim.ExitCode();
        failed.error = sim.Error();
        return failed;
    }
    if (!sim.Ended()) {
        sim.Step(std::numeric_limits<long long>::max());
    }
    if (!sim.Ended()) {
        RunResult stopped;  // only the stop flag ends a whole run early
        stopped.exitCode = EXIT_INTERRUPTED;
        stopped.error = "interrupted";
        return stopped;
    }
    return sim.Close();
}

}  // namespace runner
