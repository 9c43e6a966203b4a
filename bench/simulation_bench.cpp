// A flight stepped from outside against the same flight run whole: the reference engagement over
// the Earth stepped n frames at a time (reading states is measured beside Python's, in python_bench).
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "runner/flight/simulation.h"

namespace {

runner::RunOptions Reference()
{
    runner::RunOptions options;
    options.scenario = KARVEX_SCENARIO_DIR "/reference.scn";
    options.moduleDir = KARVEX_MODULE_DIR;
    return options;
}

// The whole run (n = 0) and the same flight stepped n frames a call; frames per second.
void BM_SteppedEngagement(benchmark::State& state)
{
    const long long n = state.range(0);
    long long frames = 0;
    for (auto _ : state) {
        if (n == 0) {
            const runner::RunResult r = runner::Run(Reference());
            frames += std::lround(r.endTime / r.step);
        } else {
            runner::Simulation sim(Reference());
            while (!sim.Ended()) {
                sim.Step(n);
            }
            frames += sim.Frames();
            benchmark::DoNotOptimize(sim.Close().missDistance);
        }
    }
    state.counters["frames_per_s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_SteppedEngagement)
    ->ArgName("n")
    ->Arg(0)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });

}  // namespace

BENCHMARK_MAIN();
