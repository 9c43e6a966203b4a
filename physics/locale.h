// The round planet around one vessel over one step: the height of nearby points and the motion of
// the air, which turns with the planet.
#pragma once

#include "physics/geodesy.h"

namespace physics {

/// The planet near a point, taken at the start of a step.
struct Locale {
    Vec3 origin;      ///< global position it was taken at, m
    Geodetic where;   ///< its geodetic coordinates (longitude in the global frame)
    Vec3 up;          ///< the ellipsoid's normal there, global unit vector
    Vec3 spin;        ///< the planet's angular velocity, global, rad/s
};

/// The locale of global position `pos` (m) over `planet`.
ZAPI_EXPORT Locale LocaleAt(const Planet& planet, const Vec3& pos);

/// Geodetic height of global point `p` (m) a few metres from the locale's origin, m: along the
/// normal at the origin, good to the square of the distance over the planet's radius.
inline double HeightNear(const Locale& locale, const Vec3& p)
{
    return locale.where.height + locale.up.dot(p - locale.origin);
}

/// Velocity of the air (the planet's surface turned up to `p`) at global point `p`, m/s.
inline Vec3 AirVelocity(const Locale& locale, const Vec3& p)
{
    return locale.spin.cross(p);
}

}  // namespace physics
