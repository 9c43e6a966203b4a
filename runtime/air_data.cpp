#include "air_data.h"

#include "local_frame.h"
#include "physics/moving_air.h"
#include "physics/wind.h"

namespace standin {

VECTOR3 WindOf(const physics::Settings& settings, const Vessel& vessel)
{
    if (!physics::AirMoves(settings.weather)) {
        return VECTOR3{0.0, 0.0, 0.0};
    }
    const physics::Planet& planet = settings.planet;
    if (vessel.motion == Motion::Dynamic && vessel.air.moving) {
        // A vessel in flight meets the air its last step took, carried to its height now.
        return physics::ToVector3(physics::StageWind(vessel.air, AltitudeOf(planet, vessel.state)));
    }
    // Any other meets the steady wind alone: turbulence and gusts are met in flight.
    const physics::WindVector steady = physics::SteadyWind(settings.weather.wind, AltitudeOf(planet, vessel.state));
    if (steady.east == 0.0 && steady.north == 0.0) {
        return VECTOR3{0.0, 0.0, 0.0};
    }
    const physics::Mat3 axes = LocalAxesAt(planet, vessel.state);
    return physics::ToVector3(steady.east * axes.col(0) + steady.north * axes.col(2));
}

VECTOR3 AirVelocityOf(const physics::Settings& settings, const Vessel& vessel)
{
    const VECTOR3 ground = GroundVelocity(settings.planet, vessel.state);
    if (!physics::AirMoves(settings.weather)) {
        return ground;
    }
    const VECTOR3 wind = WindOf(settings, vessel);
    return VECTOR3{ground.x - wind.x, ground.y - wind.y, ground.z - wind.z};
}

}  // namespace standin
