// The round planet around one vessel: its place (remembered with its state), the height of nearby
// points and the motion of the air, which turns with the planet.
#pragma once

#include "physics/geodesy.h"
#include "world/vessel.h"

namespace physics {

/// The planet near a point, taken at the start of a step.
struct Locale {
    Vec3 origin;    ///< global position it was taken at, m
    double height;  ///< geodetic height there, m
    Vec3 up;        ///< the ellipsoid's normal there, global unit vector
    Vec3 east;      ///< the local east there, global unit vector
    Vec3 north;     ///< the local north there, global unit vector
    Vec3 spin;      ///< the planet's angular velocity, global, rad/s
};

/// Works out the place of `state.pos` over `planet` and remembers it.
ZAPI_EXPORT void RefreshPlace(const Planet& planet, const standin::VesselState& state);

/// The place of `state.pos` over `planet`: the state's memo when it holds for them, else worked
/// out and remembered.
inline const Place& PlaceOfState(const Planet& planet, const standin::VesselState& state)
{
    const standin::PlaceMemo& memo = state.placeMemo;
    if (!(memo.pos.x == state.pos.x && memo.pos.y == state.pos.y && memo.pos.z == state.pos.z &&
          memo.radius == planet.radius && memo.flattening == planet.flattening)) {
        RefreshPlace(planet, state);
    }
    return memo.place;
}
/// Geodetic latitude and longitude (global frame, rad) and height of `state.pos`, remembered too.
ZAPI_EXPORT Geodetic GeodeticOfState(const Planet& planet, const standin::VesselState& state);
/// Remembers that `state.pos` lies at `where` (longitude in the global frame), whose sines and
/// cosines are `place`, over `planet`.
void RememberPlace(const Planet& planet, const standin::VesselState& state, const Geodetic& where, const Place& place);

/// The locale of `state`'s position over `planet`.
ZAPI_EXPORT Locale LocaleAt(const Planet& planet, const standin::VesselState& state);
/// The locale of global position `pos` (m) over `planet`, worked out afresh.
ZAPI_EXPORT Locale LocaleAt(const Planet& planet, const Vec3& pos);

/// Geodetic height of global point `p` (m) a few metres from the locale's origin, m: along the
/// normal at the origin, good to the square of the distance over the planet's radius.
inline double HeightNear(const Locale& locale, const Vec3& p)
{
    return locale.height + locale.up.dot(p - locale.origin);
}

/// Velocity of the air (the planet's surface turned up to `p`) at global point `p`, m/s.
inline Vec3 AirVelocity(const Locale& locale, const Vec3& p)
{
    return locale.spin.cross(p);
}

}  // namespace physics
