// One missile's seeker step in worlds of 10 to 10,000 other vessels; the cost is reported per
// vessel, since a step looks at every vessel once.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "missile/guided_missile.h"
#include "missile/missile_params.h"
#include "runtime/host_control.h"

namespace {

/// Step length of the host's frames, s.
constexpr double STEP = 0.02;

/// Fills the world with `others` plain bodies spread over a 30 degree cone ahead of a missile at
/// `origin` (global, m), so the sweep keeps finding candidates.
void Populate(int others, const VECTOR3& origin)
{
    standin::VesselCapacity none;
    none.thrusters = none.resources = none.attachments = none.airfoils = none.surfaces = 0;
    none.meshes = none.exhausts = none.streams = none.transforms = 0;
    const double goldenAngle = 2.399963229728653;
    for (int i = 0; i < others; ++i) {
        const double off = 30 * RAD * std::sqrt((i + 0.5) / others);
        const double around = i * goldenAngle;
        const double range = 500.0 + 25.0 * (i % 200);
        standin::VesselDesc desc;
        desc.name = "T";
        desc.size = 5.0;
        desc.capacity = none;
        desc.pos = {origin.x + range * std::sin(off) * std::cos(around),
                    origin.y + range * std::sin(off) * std::sin(around), origin.z + range * std::cos(off)};
        standin::CreateBody(desc);
    }
}

void BM_SeekerStep(benchmark::State& state)
{
    const int others = static_cast<int>(state.range(0));
    standin::Reset(standin::WorldConfig{});
    standin::VesselDesc desc;
    desc.name = "K1";
    desc.pos = {0.0, 1000.0, 0.0};
    HostHandle vessel = standin::CreateBody(desc);
    auto missile = std::make_unique<GuidedMissile>(vessel, 1);
    standin::Bind(vessel, missile.get());
    missile->clbkSetClassCaps(nullptr);
    Populate(others, desc.pos);
    missile->seekerState = -4;

    for (auto _ : state) {
        missile->SeekerStep(0.0, STEP);
        benchmark::DoNotOptimize(missile->seekerAz);
    }

    const double vessels = others + 1;
    state.counters["vessels"] = vessels;
    state.counters["per_vessel"] =
        benchmark::Counter(vessels, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    standin::Reset(standin::WorldConfig{});
}

BENCHMARK(BM_SeekerStep)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000);

}  // namespace

BENCHMARK_MAIN();
