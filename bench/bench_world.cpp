#include "bench_world.h"

#include <cmath>

#include "missile/missile_params.h"

namespace bench {

MissileWorld BuildWorld(int others, Phase phase)
{
    standin::Reset(standin::WorldConfig{});
    standin::VesselDesc desc;
    desc.name = "K1";
    desc.pos = {0.0, 2000.0, 0.0};
    desc.vel = {0.0, 0.0, 300.0};
    desc.motion = standin::Motion::Kinematic;
    MissileWorld world;
    world.vessel = standin::CreateBody(desc);
    world.missile = std::make_unique<GuidedMissile>(world.vessel, 1);
    standin::Bind(world.vessel, world.missile.get());
    world.missile->clbkSetClassCaps(nullptr);
    GuidedMissile& m = *world.missile;
    m.Activate();
    m.Arm();
    m.flightTime = 10.0;
    m.burnTime = 10.0;
    standin::VesselCapacity none;
    none.thrusters = none.resources = none.attachments = none.airfoils = none.surfaces = 0;
    none.meshes = none.exhausts = none.streams = none.transforms = none.turns = 0;
    const bool target = phase != Phase::Scanning && others > 0;
    const double goldenAngle = 2.399963229728653;
    for (int i = 0; i < others; ++i) {
        standin::VesselDesc body;
        body.name = "T";
        body.size = 5.0;
        body.capacity = none;
        // Between 40 and 140 degrees off the nose: in front of the missile or behind it, never
        // within the sweep's reach of about 31 degrees.
        const double off = (40.0 + 100.0 * (i + 0.5) / others) * RAD;
        const double around = i * goldenAngle;
        const double range = 500.0 + 25.0 * (i % 200);
        body.pos = {range * std::sin(off) * std::cos(around), 2000.0 + range * std::sin(off) * std::sin(around),
                    range * std::cos(off)};
        if (target && i == 0) {
            body.pos = {0.0, 2000.0, 2000.0};
        }
        standin::CreateBody(body);
    }
    if (target) {
        m.SeekerStep(0.0, 0.01);  // locks on the vessel on the nose
    }
    if (phase == Phase::Burning) {
        m.warhead.Ignite();
    }
    return world;
}

void TearDown(MissileWorld& world)
{
    standin::Reset(standin::WorldConfig{});
    world.missile.reset();
}

}  // namespace bench
