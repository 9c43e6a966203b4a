// Contact of the touchdown points with the ground: the flat plane or a round planet's ellipsoid.
#pragma once

#include "loads.h"

namespace physics {

/// Ground-contact parameters for one step.
struct Contact {
    double frequency;  ///< natural frequency of each point's spring, rad/s
    double friction;   ///< Coulomb friction coefficient
};

/// Contact parameters for a step of `dt` s: the settings' frequency, lowered where needed to
/// 0.4 / dt so that the spring stays stable at the step length.
Contact ContactFor(const Settings& settings, double dt);

/// Adds the ground's push on each touchdown point below the ground plane (global y < 0): a
/// critically damped spring along the ground's normal whose stiffness is m_eff × frequency², with
/// m_eff the vessel's effective mass at that point along the normal (its translation and rotation),
/// never pulling; and friction against the point's sliding velocity, viscous (2 m_eff frequency)
/// when slow, at most friction × the normal force. N, N m. Over a round planet the same along the
/// local normal, for points below the ellipsoid, sliding against the turning ground.
void AddGroundContact(const Stage& stage, const Contact& contact, Loads& loads);

}  // namespace physics
