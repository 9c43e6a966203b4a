#include "locale.h"

#include <cmath>

namespace physics {

namespace {

// How far a vessel may have moved from its remembered place for one Newton step to find the new
// one, m: the step leaves an error of about e^2 (move / radius)^2 rad, a few parts in 1e15 here.
constexpr double NEAR = 5.0;

bool Holds(const standin::PlaceMemo& memo, const Planet& planet, const VECTOR3& pos)
{
    return memo.pos.x == pos.x && memo.pos.y == pos.y && memo.pos.z == pos.z && memo.radius == planet.radius &&
           memo.flattening == planet.flattening;
}

Locale Make(const Planet& planet, const Vec3& pos, const Place& place)
{
    return Locale{pos, place.height, LocalAxes(place).col(1), Spin(planet)};
}

}  // namespace

Place PlaceOfState(const Planet& planet, const standin::VesselState& state)
{
    standin::PlaceMemo& memo = state.place;
    if (!Holds(memo, planet, state.pos)) {
        // From a place remembered a few metres away (a vessel's last frame) one Newton step will do.
        const Vec3 pos = ToVec3(state.pos);
        const double dx = pos.x() - memo.pos.x, dy = pos.y() - memo.pos.y, dz = pos.z() - memo.pos.z;
        const bool near = memo.radius == planet.radius && memo.flattening == planet.flattening &&
                          dx * dx + dy * dy + dz * dz < NEAR * NEAR;
        const Place place = near ? PlaceNear(planet, pos, Place{memo.sinLat, memo.cosLat, memo.sinLon, memo.cosLon,
                                                                memo.height})
                                 : PlaceOf(planet, pos);
        memo = standin::PlaceMemo{state.pos, planet.radius, planet.flattening, place.sinLat, place.cosLat,
                                  place.sinLon, place.cosLon, place.height, false, 0.0, 0.0};
    }
    return Place{memo.sinLat, memo.cosLat, memo.sinLon, memo.cosLon, memo.height};
}

Geodetic GeodeticOfState(const Planet& planet, const standin::VesselState& state)
{
    PlaceOfState(planet, state);
    standin::PlaceMemo& memo = state.place;
    if (!memo.hasAngles) {
        memo.latitude = std::atan2(memo.sinLat, memo.cosLat);
        memo.longitude = std::atan2(state.pos.z, state.pos.x);
        memo.hasAngles = true;
    }
    return Geodetic{memo.latitude, memo.longitude, memo.height};
}

void RememberPlace(const Planet& planet, const standin::VesselState& state, const Geodetic& where, const Place& place)
{
    state.place = standin::PlaceMemo{state.pos,    planet.radius, planet.flattening, place.sinLat,
                                     place.cosLat, place.sinLon,  place.cosLon,      where.height,
                                     true,         where.latitude, where.longitude};
}

Locale LocaleAt(const Planet& planet, const standin::VesselState& state)
{
    return Make(planet, ToVec3(state.pos), PlaceOfState(planet, state));
}

Locale LocaleAt(const Planet& planet, const Vec3& pos)
{
    return Make(planet, pos, PlaceOf(planet, pos));
}

}  // namespace physics
