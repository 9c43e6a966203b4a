// Gravity: uniform over the flat ground, central or J2 over a round planet.
#pragma once

#include "loads.h"

namespace physics {

/// Adds the weight at the centre of mass, N: mass × `settings.gravity` straight down (global -y)
/// over the flat ground; over a round planet mass × its gravitational acceleration at the vessel
/// (the planet's turning is no force: the global frame is inertial).
void AddGravity(const Stage& stage, const Settings& settings, Loads& loads);

}  // namespace physics
