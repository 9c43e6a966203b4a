// How vessels that are not integrated move over a round planet: kinematic ones fly over it at a
// set altitude, course and ground speed; pinned and landed ones turn with it.
#pragma once

#include "host/host_export.h"
#include "physics/flight_state.h"
#include "world/world.h"

namespace physics {

/// Moves a kinematic vessel over `dt` s above a round planet: it keeps its geodetic height rate,
/// its velocity over the ground in its local east, up and north axes (so a level vessel keeps its
/// altitude and its course over the curved ground), and its attitude against the local horizon and
/// north, turned at its body rate.
ZAPI_EXPORT void StepKinematicRound(standin::VesselState& state, const Planet& planet, double dt);

/// The planet's turn over one step, as a matrix and as a quaternion.
struct PlanetStep {
    Mat3 turn;  ///< PlanetTurn(planet, dt)
    Quat quat;  ///< the same rotation
};
/// The planet's turn over a step of `dt` s.
ZAPI_EXPORT PlanetStep PlanetStepOf(const Planet& planet, double dt);

/// Turns a vessel fixed to the ground with the planet over one step (`step`): its position and
/// attitude turn about the polar axis, its velocity and body rate are the ground's.
ZAPI_EXPORT void TurnWithPlanet(standin::VesselState& state, const Planet& planet, const PlanetStep& step);

/// Puts `vessel` at rest on the round planet's ellipsoid straight below (or above) it, its lowest
/// touchdown point on the surface, moving and turning with the ground.
void PlaceOnRoundGround(standin::Vessel& vessel, const Planet& planet);

}  // namespace physics
