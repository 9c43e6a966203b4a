// A vessel's state read against the ground under it: its altitude, its attitude against the local
// horizon and north, its velocity over the ground and its place in latitude and longitude. Over
// the flat ground these are the state's own numbers.
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

/// The local axes at global position `pos` (m) as the columns east, up, north; the identity over
/// the flat ground.
ZAPI_EXPORT physics::Mat3 LocalAxesAt(const physics::Planet& planet, const VECTOR3& pos);
/// Height above the ground of global position `pos`, m: y over the flat ground, the geodetic height
/// over a round planet.
ZAPI_EXPORT double AltitudeOf(const physics::Planet& planet, const VECTOR3& pos);
/// The attitude of `state` against the local horizon and north, read from its rotation.
ZAPI_EXPORT LocalAngles LocalAnglesOf(const physics::Planet& planet, const VesselState& state);
/// Velocity of `state` relative to the ground (and the still air), global, m/s.
ZAPI_EXPORT VECTOR3 GroundVelocity(const physics::Planet& planet, const VesselState& state);
/// `global` (a global direction) in the local axes at `pos`: east, up, north.
ZAPI_EXPORT VECTOR3 ToLocal(const physics::Planet& planet, const VECTOR3& pos, const VECTOR3& global);
/// Latitude, planet-fixed longitude (rad) and geodetic height (m) of global position `pos` at
/// simulation time `simt` s.
ZAPI_EXPORT physics::Geodetic GeographicOf(const physics::Planet& planet, const VECTOR3& pos, double simt);
/// Global position of latitude, planet-fixed longitude (rad) and height (m) `where` at simulation
/// time `simt` s.
ZAPI_EXPORT VECTOR3 GlobalOf(const physics::Planet& planet, const physics::Geodetic& where, double simt);

}  // namespace standin
