// Steering given from outside mid-flight: any text as steering lines, to a kinematic truck over the
// flat ground or the Earth (the first byte picks which), with a missile flying free near it for a
// trigger to watch; a few frames after each accepted change.
#include <string>

#include "fuzz_world.h"
#include "physics/geodesy.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::EnterScratchDir();
    fuzz::Reader in(data, size);
    const bool round = (in.Byte() & 1) != 0;
    fuzz::BoundMissile world = fuzz::BuildMissile(fuzz::MissileState::Armed);
    standin::VesselDesc truck;
    truck.name = "Truck";
    truck.pos = VECTOR3{0.0, 0.0, 2000.0};
    truck.vel = VECTOR3{15.0, 0.0, 0.0};
    if (round) {
        // Both at 40 deg north, 15 deg east: the missile 2 km up, the truck on the ground 2 km north.
        constexpr double DEG = 0.017453292519943295;
        standin::PhysicsSettings().planet = physics::EARTH;
        standin::SetPosition(world.vessel, physics::ToVector3(physics::PositionOf(physics::EARTH, {40.0 * DEG, 15.0 * DEG, 2000.0})));
        truck.pos = physics::ToVector3(physics::PositionOf(physics::EARTH, {40.018 * DEG, 15.0 * DEG, 0.0}));
        truck.vel = VECTOR3{};
    }
    const HostHandle h = standin::CreateBody(truck);
    const std::string text = in.Rest();
    if (h != nullptr && standin::Steer(h, text).empty()) {
        for (int i = 0; i < 20; ++i) {
            standin::Step(0.01);
        }
    }
    fuzz::TearDown(world);
    return 0;
}
