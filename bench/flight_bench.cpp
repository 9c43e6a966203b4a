// The flight model's costs: the missile's airfoil coefficient function, one physics frame per
// dynamic vessel, and the reference engagement flown whole.
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "formats/scenario_keys.h"
#include "missile/airfoil.h"
#include "physics/integrator.h"
#include "runner/flight/flight.h"
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
// flat ground (0), over the Earth (1) and over the Earth in moderate turbulence (2), side by side.
void BM_ReferenceEngagement(benchmark::State& state)
{
    runner::RunOptions options;
    options.scenario = state.range(0) == 0 ? KARVEX_SCENARIO_DIR "/reference_flat.scn" : KARVEX_SCENARIO_DIR "/reference.scn";
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
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });

}  // namespace

BENCHMARK_MAIN();
