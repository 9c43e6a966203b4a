// One missile's whole post-step, and the bare host calls it must make per other vessel, among
// 0 to 10,000 other vessels, reported per vessel.
#include <benchmark/benchmark.h>

#include "bench_world.h"
#include "empty_call.h"
#include "host/zapi.h"

namespace {

constexpr double STEP = 0.01;

void PerVessel(benchmark::State& state, int vessels)
{
    state.counters["vessels"] = vessels;
    state.counters["per_vessel"] =
        benchmark::Counter(vessels, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The floor: the host calls the contact test and the scan make for every vessel, and nothing else.
void BM_HostCallFloor(benchmark::State& state)
{
    const int others = static_cast<int>(state.range(0));
    bench::MissileWorld world = bench::BuildWorld(others, bench::Phase::Scanning);
    const VESSEL& self = *world.missile;
    for (auto _ : state) {
        double sum = 0.0;
        for (int i = 0; static_cast<unsigned int>(i) < zapiGetVesselCount(); ++i) {
            HostHandle other = zapiGetVesselByIndex(i);
            bool own = other == self.GetHandle();
            sum += zapiGetSize(other);
            VECTOR3 r;
            zapiGetRelativePos(self.GetHandle(), other, r);
            sum += own ? 0.0 : r.x;
        }
        const unsigned int count = zapiGetVesselCount();
        for (unsigned int i = 0; i < count; ++i) {
            HostHandle other = zapiGetVesselByIndex(static_cast<int>(i));
            bool own = other == self.GetHandle();
            VECTOR3 global, local;
            zapiGetGlobalPos(other, global);
            sum += zapiGetSize(other);
            self.Global2Local(global, local);
            sum += own ? 0.0 : local.z;
        }
        benchmark::DoNotOptimize(sum);
    }
    PerVessel(state, others + 1);
    bench::TearDown(world);
}

// Below the floor: eleven calls per vessel to a function that does nothing, through a shared
// library's symbol table as the host calls are.
void BM_ElevenEmptyCalls(benchmark::State& state)
{
    const int others = static_cast<int>(state.range(0));
    bench::MissileWorld world = bench::BuildWorld(others, bench::Phase::Scanning);
    for (auto _ : state) {
        const unsigned int count = zapiGetVesselCount();
        for (unsigned int i = 0; i < count; ++i) {
            const void* vessel = &world;
#pragma GCC unroll 11
            for (int call = 0; call < 11; ++call) {
                BenchEmptyCall(vessel);
            }
        }
    }
    PerVessel(state, others + 1);
    bench::TearDown(world);
}

// The missile's whole clbkPostStep: contact tests, warhead, sequencer, seeker and control laws.
void BM_MissilePostStep(benchmark::State& state)
{
    const int others = static_cast<int>(state.range(0));
    const auto phase = static_cast<bench::Phase>(state.range(1));
    bench::MissileWorld world = bench::BuildWorld(others, phase);
    GuidedMissile& m = *world.missile;
    double simt = 20.0;
    for (auto _ : state) {
        // Held in guided, powered flight, short of the flight-time limit (past it the module writes
        // its message every step).
        m.flightTime = 10.0;
        m.burnTime = 10.0;
        m.clbkPostStep(simt, STEP, 0.0);
        simt += STEP;
    }
    if ((phase != bench::Phase::Scanning) != m.targetLocked && others > 0) {
        state.SkipWithError("the seeker is not in the phase measured");
    }
    PerVessel(state, others + 1);
    bench::TearDown(world);
}

void Counts(benchmark::internal::Benchmark* b, bool phases)
{
    for (int phase = 0; phase < (phases ? 3 : 1); ++phase) {
        for (int others : {0, 10, 100, 1000, 10000}) {
            b->Args({others, phase});
        }
    }
}

BENCHMARK(BM_ElevenEmptyCalls)->Arg(10000);
BENCHMARK(BM_HostCallFloor)->Apply([](benchmark::internal::Benchmark* b) { Counts(b, false); });
BENCHMARK(BM_MissilePostStep)->ArgNames({"others", "phase"})->Apply([](benchmark::internal::Benchmark* b) {
    Counts(b, true);
});

}  // namespace

BENCHMARK_MAIN();
