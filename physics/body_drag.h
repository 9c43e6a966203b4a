// Drag of a vessel that declares no airfoils.
#pragma once

#include "loads.h"

namespace physics {

/// Drag coefficient of each cross section, dimensionless.
inline constexpr double BODY_DRAG_COEFFICIENT = 1.0;

/// For a vessel without airfoils, adds drag -0.5 rho |v| Cd (A_x v_x, A_y v_y, A_z v_z) at the centre
/// of mass, with v its velocity through the air and A its cross sections (body frame, m^2), so that
/// a flow along one body axis meets that axis's cross section. N, body frame.
void AddBodyDrag(const Stage& stage, Loads& loads);

}  // namespace physics
