// The Python package's cost over the engine's, side by side in one process: the reference
// engagement flown by the engine directly and by karvex.run in an interpreter embedded here, and a
// sweep flown by the karvex program and by karvex.sweep, in runs per second.
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <pybind11/embed.h>

#include "runner/flight/flight.h"

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
BENCHMARK(BM_ProgramSweep)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", Fastest);
BENCHMARK(BM_PythonSweep)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", Fastest);

}  // namespace

BENCHMARK_MAIN();
