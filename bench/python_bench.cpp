// The Python package's cost over the engine's, side by side in one process: the reference
// engagement flown by the engine directly, by karvex.run in an interpreter embedded here and by a
// karvex.Simulation stepped from it, with and without a callback at every frame; the states of
// ten vessels read by the engine and by Simulation.state; and a sweep flown by the karvex program
// and by karvex.sweep, in runs per second.
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <pybind11/embed.h>

#include "runner/flight/flight.h"
#include "runner/flight/simulation.h"

extern char** environ;

namespace {

namespace py = pybind11;

constexpr const char* REFERENCE = KARVEX_SOURCE_DIR "/scenarios/reference.scn";
constexpr const char* SWEEP = KARVEX_SOURCE_DIR "/tests/data/twenty.sweep";
constexpr double SWEEP_RUNS = 20.0;

// The interpreter and the package, set up once for every case.
py::module_& Karvex()
{
    static py::scoped_interpreter interpreter;
    static py::module_ karvex = [] {
        py::module_::import("sys").attr("path").attr("insert")(0, KARVEX_PYTHON_DIR);
        return py::module_::import("karvex");
    }();
    return karvex;
}

// The engine's own run of the reference engagement: bare (0), or keeping the telemetry and reading
// the modules' log as karvex.run asks it to (1).
void BM_EngineRun(benchmark::State& state)
{
    runner::RunOptions options;
    options.scenario = REFERENCE;
    options.moduleDir = KARVEX_MODULE_DIR;
    if (state.range(0) == 1) {
        options.keepTelemetry = true;
        options.workDir = KARVEX_BINARY_DIR "/bench";
    }
    for (auto _ : state) {
        runner::RunResult r = runner::Run(options);
        benchmark::DoNotOptimize(r.missDistance);
    }
}

// karvex.run on the reference engagement, without files; with 1, also taking its telemetry's
// arrays, its summary and its events.
void BM_PythonRun(benchmark::State& state)
{
    py::module_& karvex = Karvex();
    const py::str path(REFERENCE);
    for (auto _ : state) {
        py::object result = karvex.attr("run")(path);
        if (state.range(0) == 1) {
            benchmark::DoNotOptimize(result.attr("telemetry").ptr());
            benchmark::DoNotOptimize(result.attr("summary").ptr());
            benchmark::DoNotOptimize(result.attr("events").ptr());
        }
    }
}

// The reference engagement flown by a karvex.Simulation, opened, stepped 1000 frames at a time to
// its end and closed: with no callback (0), and with one reading the target's state after every
// frame (1); frames per second.
void BM_PythonStep(benchmark::State& state)
{
    py::module_& karvex = Karvex();
    py::dict space;
    space["karvex"] = karvex;
    py::exec(R"(
def fly(path, callback):
    with karvex.Simulation(path) as sim:
        if callback:
            sim.on_frame(lambda s: s.state("Target"))
        while not sim.ended:
            sim.step(1000)
        return sim.frames
)",
             space);
    const py::object fly = space["fly"];
    const py::str path(REFERENCE);
    const bool callback = state.range(0) == 1;
    long long frames = 0;
    for (auto _ : state) {
        frames += fly(path, callback).cast<long long>();
    }
    state.counters["frames_per_s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}

// The reference engagement with seven rocks on the ground beside the target: ten vessels.
std::string TenVessels()
{
    std::ifstream in(REFERENCE);
    std::stringstream text;
    text << in.rdbuf();
    std::string rocks;
    for (int k = 0; k < 7; ++k) {
        rocks += "Rock" + std::to_string(k) + ":\n  LOCATION 40.08 15.00" + std::to_string(k) +
                 " 0\n  SIZE 5\n  MASS 1000\n  MOTION landed\nEND\n";
    }
    std::string scenario = text.str();
    scenario.insert(scenario.find("END_VESSELS"), rocks);
    const std::string path = KARVEX_BINARY_DIR "/bench/ten_vessels.scn";
    std::ofstream(path) << scenario;
    return path;
}

// Every state of the ten vessels, read by the engine into an array of its own.
void BM_EngineStates(benchmark::State& state)
{
    runner::RunOptions options;
    options.scenario = TenVessels();
    options.moduleDir = KARVEX_MODULE_DIR;
    runner::Simulation sim(options, true);
    sim.Step(10);
    std::vector<runner::VesselReadout> states(10);
    for (auto _ : state) {
        benchmark::DoNotOptimize(sim.States(states.data(), 10));
    }
}

// The same read by Simulation.state() from the embedded interpreter: one structured array.
void BM_PythonStates(benchmark::State& state)
{
    py::object sim = Karvex().attr("Simulation")(TenVessels());
    sim.attr("step")(10);
    const py::object read = sim.attr("state");
    for (auto _ : state) {
        py::object states = read();
        benchmark::DoNotOptimize(states.ptr());
    }
    sim.attr("close")();
}

// `karvex sweep` on twenty runs, on every core, into a folder of the build; runs per second.
void BM_ProgramSweep(benchmark::State& state)
{
    std::string program = KARVEX_PROGRAM, sweep = SWEEP, out = KARVEX_BINARY_DIR "/bench/program_sweep";
    std::vector<char*> argv = {program.data(), const_cast<char*>("sweep"), sweep.data(), const_cast<char*>("-q"),
                               const_cast<char*>("--no-plot"), const_cast<char*>("-o"), out.data(), nullptr};
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || status != 0) {
            state.SkipWithError("karvex sweep failed");
            return;
        }
    }
    state.counters["runs_per_s"] = benchmark::Counter(SWEEP_RUNS * static_cast<double>(state.iterations()),
                                                      benchmark::Counter::kIsRate);
}

// karvex.sweep on the same twenty runs, returning its rows; runs per second.
void BM_PythonSweep(benchmark::State& state)
{
    py::module_& karvex = Karvex();
    const py::str path(SWEEP);
    for (auto _ : state) {
        py::object result = karvex.attr("sweep")(path);
        benchmark::DoNotOptimize(result.ptr());
    }
    state.counters["runs_per_s"] = benchmark::Counter(SWEEP_RUNS * static_cast<double>(state.iterations()),
                                                      benchmark::Counter::kIsRate);
}

double Fastest(const std::vector<double>& v)
{
    return *std::min_element(v.begin(), v.end());
}

// Run with --benchmark_repetitions=20 --benchmark_enable_random_interleaving and compare the "_min"
// rows (the fastest repetition, the least disturbed on a shared machine) and the medians.
BENCHMARK(BM_EngineRun)->ArgName("outputs")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_PythonRun)->ArgName("results")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_PythonStep)->ArgName("callback")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->ComputeStatistics("min", Fastest);
BENCHMARK(BM_EngineStates)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_PythonStates)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_ProgramSweep)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", Fastest);
BENCHMARK(BM_PythonSweep)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", Fastest);

}  // namespace

BENCHMARK_MAIN();
