// A flight stepped from outside against the same flight run whole: the reference engagement over
// the Earth stepped n frames at a time, and every vessel's state read at a frame.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
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

// Every vessel's state at one frame of the reference engagement with seven more vessels on the
// ground beside the target: ten in all.
void BM_ReadTenStates(benchmark::State& state)
{
    std::ifstream in(KARVEX_SCENARIO_DIR "/reference.scn");
    std::stringstream text;
    text << in.rdbuf();
    std::string scenario = text.str();
    std::string extra;
    for (int i = 0; i < 7; ++i) {
        extra += "Hut" + std::to_string(i) + ":\n  LOCATION 40.09 15.00" + std::to_string(i) + " 0\n  MOTION landed\nEND\n";
    }
    scenario.insert(scenario.find("END_VESSELS"), extra);
    std::ofstream("bench_ten.scn") << scenario;
    runner::RunOptions options = Reference();
    options.scenario = "bench_ten.scn";
    runner::Simulation sim(options);
    sim.StepUntil(8.0);
    std::vector<runner::VesselReadout> states(10);
    int read = 0;
    for (auto _ : state) {
        read += sim.States(states.data(), 10);
    }
    benchmark::DoNotOptimize(read);
    state.counters["vessels"] = sim.VesselCount();
}

BENCHMARK(BM_SteppedEngagement)
    ->ArgName("n")
    ->Arg(0)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
BENCHMARK(BM_ReadTenStates)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
