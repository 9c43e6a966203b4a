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
    if (!planet.round) {
        return physics::ToVector3(physics::WindAt(settings.weather, vessel.air, nullptr, vessel.state.pos.y));
    }
    const physics::Locale locale = physics::LocaleAt(planet, vessel.state);
    return physics::ToVector3(physics::WindAt(settings.weather, vessel.air, &locale, locale.height));
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
