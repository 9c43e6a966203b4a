// Flight through hostile host answers: the input picks a missile state, the flat ground or the
// round, turning Earth, and then a short script of moves (positions, velocities, attitudes, rates, motions), vessels created (of any size and mass,
// possibly right on the missile) and deleted, and frames of any length, zero and negative
// included; every number is either one of a set of awkward values or eight raw bytes.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "fuzz_world.h"
#include "host/zapi.h"

namespace {

double Number(fuzz::Reader& in, const VECTOR3& near)
{
    const uint8_t pick = in.Byte();
    const double inf = std::numeric_limits<double>::infinity();
    switch (pick % 25) {
    case 0: return 0.0;
    case 1: return -0.0;
    case 2: return std::numeric_limits<double>::quiet_NaN();
    case 3: return inf;
    case 4: return -inf;
    case 5: return DBL_MAX;
    case 6: return -DBL_MAX;
    case 7: return DBL_MIN;
    case 8: return std::numeric_limits<double>::denorm_min();
    case 9: return 1e300;
    case 10: return 1e-300;
    case 11: return -1e-300;
    case 12: return 1.0;
    case 13: return -1.0;
    case 14: return 0.01;
    case 15: return 2000.0;
    case 16: return near.x;
    case 17: return near.y;
    case 18: return near.z;
    case 19: return 1e9;
    case 20: return -1e9;
    case 21: return 6378137.0;
    default: {
        uint64_t bits = 0;
        for (int b = 0; b < 8; ++b) {
            bits = bits << 8 | in.Byte();
        }
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    }
}

VECTOR3 Vector(fuzz::Reader& in, const VECTOR3& near)
{
    VECTOR3 v;
    v.x = Number(in, near);
    v.y = Number(in, near);
    v.z = Number(in, near);
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::EnterScratchDir();
    fuzz::Reader in(data, size);
    const auto state = static_cast<fuzz::MissileState>(in.Byte() % static_cast<int>(fuzz::MissileState::Count));
    fuzz::BoundMissile world = fuzz::BuildMissile(state, 8);
    const uint8_t flags = in.Byte();
    if ((flags & 1) != 0) {
        standin::SetMotion(world.vessel, standin::Motion::Dynamic);
    }
    if ((flags & 2) != 0) {
        standin::PhysicsSettings().planet = physics::EARTH;
    }
    if ((flags & 4) != 0) {
        // Moving air: a wind by height, severe turbulence of the input's seed, and a gust.
        physics::Weather& weather = standin::PhysicsSettings().weather;
        weather.wind.profile = physics::WindProfile::Power;
        weather.wind.speed = 12.0;
        weather.wind.from = 90.0 * (flags >> 4);
        weather.turbulence.level = physics::TurbulenceLevel::Severe;
        weather.turbulence.seed = flags;
        weather.gust = physics::Gust{true, 0.0, 30.0, 0.0, 8.0, 0.0};
    }
    std::vector<HostHandle> vessels{world.vessel};
    if (world.launcher != nullptr) {
        vessels.push_back(world.launcher);
    }
    int steps = 0;
    for (int op = 0; op < 24 && steps < 6 && !in.Empty(); ++op) {
        const uint8_t code = in.Byte();
        HostHandle target = vessels[in.Byte() % vessels.size()];
        const standin::Vessel* missile = standin::Find(world.vessel);
        const VECTOR3 near = missile != nullptr ? missile->state.pos : VECTOR3{0.0, 0.0, 0.0};
        switch (code % 9) {
        case 0: standin::SetPosition(target, Vector(in, near)); break;
        case 1: standin::SetVelocity(target, Vector(in, near)); break;
        case 2: {
            const double pitch = Number(in, near);
            const double bank = Number(in, near);
            standin::SetAttitude(target, pitch, bank, Number(in, near));
            break;
        }
        case 3: standin::SetAngularVelocity(target, Vector(in, near)); break;
        case 4: {
            standin::VesselDesc desc;
            desc.name = "T";
            desc.size = Number(in, near);
            desc.emptyMass = Number(in, near);
            desc.pos = (in.Byte() & 1) != 0 ? near : Vector(in, near);
            desc.vel = Vector(in, near);
            desc.motion = static_cast<standin::Motion>(in.Byte() % 4);
            HostHandle body = standin::CreateBody(desc);
            if (body != nullptr) {
                vessels.push_back(body);
            }
            break;
        }
        case 5: zapiDeleteVessel(target, nullptr); break;
        case 6: standin::SetMotion(target, static_cast<standin::Motion>(in.Byte() % 4)); break;
        default: {
            // Mostly ordinary frames, so the sequencer gets somewhere, sometimes hostile ones.
            const uint8_t kind = in.Byte();
            const double dt = kind < 160 ? 0.01 * (1 + kind % 16) : Number(in, near);
            standin::Step(dt);
            ++steps;
            break;
        }
        }
    }
    fuzz::TearDown(world);
    return 0;
}
