#include "locale.h"

#include <cmath>

namespace physics {

namespace {

// How far a vessel may have moved from its remembered place for one Newton step to find the new
// one, m: the step leaves an error of about e^2 (move / radius)^2 rad, under 1e-13 rad (a
// micrometre) here; and for two, which square that again.
constexpr double NEAR = 20.0;
constexpr double FAR = 1000.0;

Locale Make(const Planet& planet, const Vec3& pos, const Place& place)
{
    const Mat3 axes = LocalAxes(place);
    return Locale{pos, place.height, axes.col(1), axes.col(0), axes.col(2), Spin(planet)};
}

}  // namespace

void RefreshPlace(const Planet& planet, const standin::VesselState& state)
{
    standin::PlaceMemo& memo = state.placeMemo;
    // From a place remembered a few metres away (a vessel's last frame) Newton's steps will do.
    const Vec3 pos = ToVec3(state.pos);
    const double dx = pos.x() - memo.pos.x, dy = pos.y() - memo.pos.y, dz = pos.z() - memo.pos.z;
    const double moved = dx * dx + dy * dy + dz * dz;
    const bool same = memo.radius == planet.radius && memo.flattening == planet.flattening;
    Place place{};
    if (same && moved < NEAR * NEAR) {
        place = PlaceNear(planet, pos, memo.place);
    } else if (same && moved < FAR * FAR) {
        place = PlaceNear(planet, pos, PlaceNear(planet, pos, memo.place));
    } else {
        place = PlaceOf(planet, pos);
    }
    memo = standin::PlaceMemo{state.pos, planet.radius, planet.flattening, place};
}

Geodetic GeodeticOfState(const Planet& planet, const standin::VesselState& state)
{
    PlaceOfState(planet, state);
    standin::PlaceMemo& memo = state.placeMemo;
    if (std::isnan(memo.latitude)) {
        memo.latitude = std::atan2(memo.place.sinLat, memo.place.cosLat);
        memo.longitude = std::atan2(state.pos.z, state.pos.x);
    }
    return Geodetic{memo.latitude, memo.longitude, memo.place.height};
}

void RememberPlace(const Planet& planet, const standin::VesselState& state, const Geodetic& where, const Place& place)
{
    state.placeMemo = standin::PlaceMemo{state.pos, planet.radius, planet.flattening, place, where.latitude,
                                     where.longitude};
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
