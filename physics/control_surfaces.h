// Forces of the control surfaces at their held levels.
#pragma once

#include "loads.h"

namespace physics {

/// Adds each control surface's force q × area × dCl × level (q = 0.5 rho airspeed^2, N), normal to
/// the body axis in the surface's plane, at its reference point, with the sign that makes the
/// host's conventions hold wherever the surface sits: a positive elevator (type 0) pitches the nose
/// up (a tail surface pushes down, a canard up), a positive rudder (type 1) yaws the nose toward
/// +x, and a positive aileron (type 2) rolls so as to reduce a positive bank (a surface on the
/// right, x > 0, pushes up; one on the left pushes down). Other types add nothing. Body frame.
void AddControlSurfaces(const Stage& stage, Loads& loads);

}  // namespace physics
