// The flight model's costs: the missile's airfoil coefficient function, one physics frame per
// dynamic vessel, the reference engagement flown whole, and its sweep against a still target and
// against one driving a route.
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "formats/scenario_keys.h"
#include "missile/airfoil.h"
#include "physics/integrator.h"
#include "runner/batch/dispersion.h"
#include "runner/flight/flight.h"
#include "runner/sweep/sweep_definition.h"
#include "runtime/host_control.h"

namespace {

void BM_AirfoilCoefficients(benchmark::State& state)
{
    double aoa = 0.05, cl = 0.0, cm = 0.0, cd = 0.0;
    for (auto _ : state) {
        AirfoilCoefficients(aoa, 0.9, 1e7, &cl, &cm, &cd);
        benchmark::DoNotOptimize(cd);
        aoa = -aoa;
    }
}

// One fourth-order integration step of a missile in powered flight, per dynamic vessel.
void BM_PhysicsStep(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    standin::WorldConfig config;
    config.moduleDir = KARVEX_MODULE_DIR;
    standin::Reset(config);
    std::vector<HostHandle> missiles;
    for (int i = 0; i < count; ++i) {
        standin::VesselDesc desc;
        desc.name = "K" + std::to_string(i);
        desc.pos = {100.0 * i, 2000.0, 0.0};
        desc.vel = {0.0, 0.0, 300.0};
        missiles.push_back(standin::CreateModuleVessel("Karvex", desc));
        if (missiles.back() == nullptr) {
            state.SkipWithError(standin::LastError().c_str());
            return;
        }
    }
    const physics::Settings settings;
    for (HostHandle h : missiles) {
        standin::Vessel& v = *standin::Find(h);
        v.thrusters[1].level = 1.0;
        v.thrusters[1].fed = 1.0;
        v.controlLevel[AIRCTRL_ELEVATOR] = 0.3;
        v.state.angVel = {0.01, 0.0, 0.0};
    }
    for (auto _ : state) {
        for (HostHandle h : missiles) {
            standin::Vessel& v = *standin::Find(h);
            physics::StepDynamic(v, settings, standin::TotalMass(v), 0.01);
        }
        benchmark::ClobberMemory();
    }
    state.counters["per_vessel"] =
        benchmark::Counter(count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    standin::Reset(standin::WorldConfig{});
}

// The reference engagement from its scenario to the missile's removal, without files: over the
// flat ground (0), over the Earth (1), over the Earth in moderate turbulence (2), and as the
// four-missile salvo over the Earth (3, to the last missile's removal), side by side.
void BM_ReferenceEngagement(benchmark::State& state)
{
    runner::RunOptions options;
    options.scenario = state.range(0) == 0   ? KARVEX_SCENARIO_DIR "/reference_flat.scn"
                       : state.range(0) == 3 ? KARVEX_SCENARIO_DIR "/four_missiles.scn"
                                             : KARVEX_SCENARIO_DIR "/reference.scn";
    options.moduleDir = KARVEX_MODULE_DIR;
    formats::ScenarioDocument turbulent;
    if (state.range(0) == 2) {
        std::ifstream in(options.scenario);
        std::string error;
        if (!formats::ParseScenario(options.scenario, in, turbulent, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        formats::HostLine moderate;
        std::string why;
        formats::ReadHostLine("TURBULENCE moderate 1", formats::Section::Settings, moderate, why);
        turbulent.settings.push_back(moderate);
        turbulent.settingLines.push_back(0);
        options.document = &turbulent;
    }
    double simulated = 0.0;
    for (auto _ : state) {
        runner::RunResult r = runner::Run(options);
        simulated += r.endTime;
        benchmark::DoNotOptimize(r.missDistance);
    }
    state.counters["sim_s_per_s"] = benchmark::Counter(simulated, benchmark::Counter::kIsRate);
}

// The first ten runs of the reference sweep in still air, one after another, without files: against
// its still target (0), and against the target driving a route to and fro across the track at
// 15 m/s (1), side by side; runs per second.
void BM_MovingTargetSweep(benchmark::State& state)
{
    runner::BatchDefinition spec;
    std::string error;
    if (!runner::ReadSweep(KARVEX_SCENARIO_DIR "/reference_still.sweep", spec, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    if (state.range(0) == 1) {
        formats::ScenarioVessel& target = *formats::FindVessel(spec.base, "Target");
        for (const char* text : {"MOTION kinematic", "ROUTE loop rate 6", "WAYPOINT 40.0824067 15.001 15 0",
                                 "WAYPOINT 40.0824067 14.999 15 0"}) {
            formats::ScenarioLine& line = target.lines.emplace_back();
            formats::ReadScenarioLine(text, formats::Section::Vessel, line, error);
        }
    }
    runner::RunOptions options;
    options.scenario = spec.scenarioPath;
    options.moduleDir = KARVEX_MODULE_DIR;
    formats::ScenarioDocument doc;
    options.document = &doc;
    double simulated = 0.0;
    for (auto _ : state) {
        for (long long run = 0; run < 10; ++run) {
            runner::RunScenario(spec, runner::DrawInputs(spec, run), doc, error);
            runner::RunResult r = runner::Run(options);
            simulated += r.endTime;
            benchmark::DoNotOptimize(r.missDistance);
        }
    }
    state.counters["sim_s_per_s"] = benchmark::Counter(simulated, benchmark::Counter::kIsRate);
    state.counters["runs_per_s"] = benchmark::Counter(10.0 * static_cast<double>(state.iterations()),
                                                      benchmark::Counter::kIsRate);
}

BENCHMARK(BM_AirfoilCoefficients);
BENCHMARK(BM_PhysicsStep)->Arg(1)->Arg(10)->Arg(100);
// On a shared machine the fastest of many interleaved repetitions is the figure least disturbed:
// run with --benchmark_repetitions=20 --benchmark_enable_random_interleaving and read the time of
// "_min" (its rate counter there is the slowest repetition's).
BENCHMARK(BM_ReferenceEngagement)
    ->ArgName("world")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
BENCHMARK(BM_MovingTargetSweep)
    ->ArgName("target")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });

}  // namespace

BENCHMARK_MAIN();
