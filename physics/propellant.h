// Propellant drawn by thrusters.
#pragma once

#include "world/world.h"

namespace physics {

/// Draws propellant for one step of `dt` s: each lit thruster, in creation order, takes
/// level × maximum thrust ÷ (Isp × its resource's efficiency) × dt kg from its resource while the
/// resource holds any, and records in `fed` the share of the step the resource could feed it. A
/// draw that would leave less than a millionth of a millionth of the capacity empties the tank to
/// exactly 0.0, so rounding never keeps a thruster lit one frame longer. Each thruster's `feed` must
/// already name its resource's index (-1 for none).
void BurnPropellant(standin::Vessel& vessel, double dt);

}  // namespace physics
