// Lift, drag and pitching moment of the airfoils a vessel declares.
#pragma once

#include "loads.h"

namespace physics {

/// Adds each airfoil's loads. At the airfoil's reference point r the air flows past at
/// -(v + ω × r) (body frame); the airfoil sees only the flow in its own plane (body y-z for a
/// vertical-lift airfoil, x-z for a horizontal one), of speed V. The angle of attack is the angle
/// of the nose above that flow (atan2(-v_y, v_z), or atan2(-v_x, v_z) turned toward +x); the Mach
/// number is V over the speed of sound and the Reynolds number rho V chord / mu. The module's
/// coefficient function gives Cl, Cm and Cd; with q = 0.5 rho V^2 and S the area, lift q S Cl acts
/// perpendicular to the flow in the plane (toward +y or +x at zero angle), drag q S Cd along the
/// flow, both at r; the moment q S chord Cm turns about the airfoil's lateral axis, positive
/// raising the angle of attack. N and N m, body frame.
void AddAirfoils(const Stage& stage, Loads& loads);

}  // namespace physics
