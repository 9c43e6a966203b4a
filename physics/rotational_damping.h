// The host's default rotational drag, the same law for every vessel.
#pragma once

#include "loads.h"

namespace physics {

/// Damping area of `vessel` about each body axis, m^4: the sum over its airfoils and control
/// surfaces of area × (distance of the reference point from that axis)^2; a vessel without airfoils
/// adds its cross sections, each at an arm of size / sqrt(3), for the two axes it turns about.
Vec3 DampingArea(const standin::Vessel& vessel);

/// Decay rate of the body rate about each axis under the rotational drag alone, 1/s: the damping
/// moment's coefficient over the inertia mass × PMI (0 for an axis without positive inertia). The
/// coefficient itself (N m s) goes to `moment` when given.
Vec3 DampingRate(const Stage& stage, double coefficient, Vec3* moment = nullptr);

/// Adds the rotational drag about each body axis i: M_i = -C × 0.5 rho V × D_i × ω_i, where C is
/// `coefficient`, V the airspeed (m/s), D the damping area (m^4) and ω the body rate (rad/s): the
/// moment of surfaces whose angle to the flow changes by ω × arm / V as the vessel turns. N m.
void AddRotationalDamping(const Stage& stage, double coefficient, Loads& loads);

/// Adds the rotational drag's share from the air's own rotation (turbulence's `stage.gustRate`):
/// C × 0.5 rho V × D_i × the gust's rate, so that the drag acts on the rate relative to the air. N m.
void AddGustDamping(const Stage& stage, double coefficient, Loads& loads);

}  // namespace physics
