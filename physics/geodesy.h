// Where a point is on a round planet: geodetic coordinates on the ellipsoid, the local axes, and the
// planet's turn and spin in the global frame.
//
// Frames, all with the host's handedness: the global frame is planet-centred and inertial, y along
// the rotation axis toward the north pole. The planet-fixed frame coincides with it at simulation
// time 0, x toward latitude 0, longitude 0 and z toward latitude 0, longitude 90° east; it turns
// about y. The local axes at a point are east, up (the ellipsoid's normal) and north, the flat
// world's x, y and z.
#pragma once

#include "host/host_export.h"
#include "physics/flight_state.h"
#include "world/planet.h"

namespace physics {

/// A point in geodetic coordinates.
struct Geodetic {
    double latitude;   ///< geodetic latitude, rad, north positive
    double longitude;  ///< longitude, rad, east positive, in (-pi, pi]
    double height;     ///< height above the ellipsoid along its normal, m
};

/// Square of the first eccentricity, e^2 = f (2 - f), dimensionless.
inline double EccentricitySquared(const Planet& planet)
{
    return planet.flattening * (2.0 - planet.flattening);
}

/// Position of geodetic `g` in the frame whose longitude 0 lies along x, m.
ZAPI_EXPORT Vec3 PositionOf(const Planet& planet, const Geodetic& g);
/// The same from the sines and cosines of `place` and its height, m.
ZAPI_EXPORT Vec3 PositionOfPlace(const Planet& planet, const Place& place);

/// The place of `p` (m) in the frame whose longitude 0 lies along x, by Heikkinen's closed form for
/// the latitude, the height then taken along the normal there (see GeodeticOf).
ZAPI_EXPORT Place PlaceOf(const Planet& planet, const Vec3& p);

/// The place of `p` (m) from `guess`, the place of a point a few metres away: one Newton step on
/// the latitude, which the guess puts so near that the step lands on it to the last bits.
ZAPI_EXPORT Place PlaceNear(const Planet& planet, const Vec3& p, const Place& guess);

/// The sine `s` and cosine `c` of `angle` rad: by their series below 1e-3 rad (a frame's turn of
/// the planet or of a vessel's place, to the last bit), else by the trigonometric functions.
ZAPI_EXPORT void SinCos(double angle, double& s, double& c);
/// Turns the sine `s` and cosine `c` of an angle on by `delta` rad, a small angle.
ZAPI_EXPORT void TurnSinCos(double& s, double& c, double delta);

/// Geodetic coordinates of `p` (m) in the frame whose longitude 0 lies along x, by Heikkinen's
/// closed form for the latitude, the height then taken along the normal there: well under a micrometre from 1 km below
/// the surface to beyond 1,000 km above it, at every latitude, the poles included.
ZAPI_EXPORT Geodetic GeodeticOf(const Planet& planet, const Vec3& p);

/// Local axes at `latitude` and `longitude` (rad) as the columns east, up, north.
ZAPI_EXPORT Mat3 LocalAxes(double latitude, double longitude);
/// Local axes at `place` as the columns east, up, north.
ZAPI_EXPORT Mat3 LocalAxes(const Place& place);

/// The planet's turn after `time` s: planet-fixed coordinates to global ones.
ZAPI_EXPORT Mat3 PlanetTurn(const Planet& planet, double time);

/// The planet's angular velocity in the global frame, rad/s, such that a point fixed to the planet
/// at `p` moves at Spin(planet).cross(p) (Eigen's cross product).
inline Vec3 Spin(const Planet& planet)
{
    return Vec3(0.0, -planet.rotation, 0.0);
}

/// Gravitational acceleration at global position `p` (m), m/s^2: central, plus the J2 term.
ZAPI_EXPORT Vec3 GravityAt(const Planet& planet, const Vec3& p);

/// Gravitational potential at global position `p` (m), J/kg: -GM/r (1 - J2 (a/r)^2 P2(sin of the
/// geocentric latitude)), whose gradient's negative is GravityAt.
ZAPI_EXPORT double GravityPotential(const Planet& planet, const Vec3& p);

}  // namespace physics
