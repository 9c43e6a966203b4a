// The constants of the host's flight model that a world or a scenario may change.
#pragma once

#include "world/planet.h"
#include "world/weather.h"

namespace physics {

/// Default coefficient of the rotational damping law (see rotational_damping.h), dimensionless.
inline constexpr double DEFAULT_ROTATIONAL_DAMPING = 250.0;

/// Flight-model constants of one world.
struct Settings {
    double gravity = 9.80665;                                 ///< downward acceleration, m/s^2
    double rotationalDamping = DEFAULT_ROTATIONAL_DAMPING;    ///< damping law coefficient, dimensionless
    double contactFrequency = 40.0;                           ///< ground-contact natural frequency, rad/s
    double friction = 0.6;                                    ///< ground friction coefficient
    Planet planet;                                            ///< the planet; flat unless a scenario says otherwise
    Weather weather;                                          ///< the air's motion; still unless a scenario says otherwise
};

}  // namespace physics
