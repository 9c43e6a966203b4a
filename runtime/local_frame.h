// A vessel's state read against the ground under it: its altitude, its attitude against the local
// horizon and north, its velocity over the ground and its place in latitude and longitude. Over
// the flat ground these are the state's own numbers. Over a round planet they share the state's
// remembered place, worked out once for each position.
#pragma once

#include "host/host_export.h"
#include "physics/geodesy.h"
#include "world/world.h"

namespace standin {

/// Pitch, bank and heading against the local horizon and north, rad.
struct LocalAngles {
    double pitch;    ///< nose above the horizon
    double bank;     ///< roll about the nose, positive with the right wing down
    double heading;  ///< nose's course from north toward east
};

/// The local axes at `state.pos` as the columns east, up, north; the identity over the flat ground.
ZAPI_EXPORT physics::Mat3 LocalAxesAt(const physics::Planet& planet, const VesselState& state);
/// Height of `state.pos` above the ground, m: y over the flat ground, the geodetic height over a
/// round planet.
ZAPI_EXPORT double AltitudeOf(const physics::Planet& planet, const VesselState& state);
/// The attitude of `state` against the local horizon and north, read from its rotation.
ZAPI_EXPORT LocalAngles LocalAnglesOf(const physics::Planet& planet, const VesselState& state);
/// The pitch of `state` over the round `planet`: LocalAnglesOf's, alone, rad.
ZAPI_EXPORT double LocalPitch(const physics::Planet& planet, const VesselState& state);
/// The bank of `state` over the round `planet`: LocalAnglesOf's, alone, rad.
ZAPI_EXPORT double LocalBank(const physics::Planet& planet, const VesselState& state);
/// Velocity of `state` relative to the ground (and the still air), global, m/s.
ZAPI_EXPORT VECTOR3 GroundVelocity(const physics::Planet& planet, const VesselState& state);
/// `global` (a global direction) in the local axes at `state.pos`: east, up, north.
ZAPI_EXPORT VECTOR3 ToLocal(const physics::Planet& planet, const VesselState& state, const VECTOR3& global);
/// Latitude, planet-fixed longitude (rad) and geodetic height (m) of `state.pos` at simulation
/// time `simt` s.
ZAPI_EXPORT physics::Geodetic GeographicOf(const physics::Planet& planet, const VesselState& state, double simt);
/// Global position of latitude, planet-fixed longitude (rad) and height (m) `where` at simulation
/// time `simt` s.
ZAPI_EXPORT VECTOR3 GlobalOf(const physics::Planet& planet, const physics::Geodetic& where, double simt);
/// Puts `state` at `where` (latitude, planet-fixed longitude in rad, height in m) at simulation time
/// `simt` s, remembering the place exactly as given.
ZAPI_EXPORT void PlaceState(const physics::Planet& planet, VesselState& state, const physics::Geodetic& where,
                            double simt);

}  // namespace standin
