// Gravity over the flat ground.
#pragma once

#include "loads.h"

namespace physics {

/// Adds the weight: mass × `gravity` (m/s^2) straight down (global -y), at the centre of mass, N.
void AddGravity(const Stage& stage, double gravity, Loads& loads);

}  // namespace physics
