#include "local_frame.h"

#include <cmath>
#include <numbers>

#include "physics/locale.h"

namespace standin {

namespace {

double Clamped(double x)
{
    return x > 1.0 ? 1.0 : (x < -1.0 ? -1.0 : x);
}

// The local up at `state.pos` over the round `planet`, global.
physics::Vec3 Up(const physics::Planet& planet, const VesselState& state)
{
    const physics::Place& place = physics::PlaceOfState(planet, state);
    return physics::Vec3(place.cosLat * place.cosLon, place.sinLat, place.cosLat * place.sinLon);
}

}  // namespace

physics::Mat3 LocalAxesAt(const physics::Planet& planet, const VesselState& state)
{
    if (!planet.round) {
        return physics::Mat3::Identity();
    }
    return physics::LocalAxes(physics::PlaceOfState(planet, state));
}

double AltitudeOf(const physics::Planet& planet, const VesselState& state)
{
    return planet.round ? physics::PlaceOfState(planet, state).height : state.pos.y;
}

LocalAngles LocalAnglesOf(const physics::Planet& planet, const VesselState& state)
{
    // Element (i, j) of the body-to-local rotation is local axis i dotted with body axis j; over the
    // flat ground the local axes are the global ones.
    const physics::Mat3 axes = LocalAxesAt(planet, state);
    const auto local = [&](int i, int j) {
        return planet.round ? axes(0, i) * state.rot[0][j] + axes(1, i) * state.rot[1][j] + axes(2, i) * state.rot[2][j]
                            : state.rot[i][j];
    };
    return LocalAngles{std::asin(Clamped(local(1, 2))), std::atan2(-local(1, 0), local(1, 1)),
                       std::atan2(local(0, 2), local(2, 2))};
}

double LocalPitch(const physics::Planet& planet, const VesselState& state)
{
    const physics::Vec3 up = Up(planet, state);
    const double sine = Clamped(up.x() * state.rot[0][2] + up.y() * state.rot[1][2] + up.z() * state.rot[2][2]);
    PlaceMemo& memo = state.placeMemo;
    if (!(sine == memo.pitchArgument)) {
        memo.pitchArgument = sine;
        memo.pitch = std::asin(sine);
    }
    return memo.pitch;
}

double LocalBank(const physics::Planet& planet, const VesselState& state)
{
    const physics::Vec3 up = Up(planet, state);
    const double sine = -(up.x() * state.rot[0][0] + up.y() * state.rot[1][0] + up.z() * state.rot[2][0]);
    const double cosine = up.x() * state.rot[0][1] + up.y() * state.rot[1][1] + up.z() * state.rot[2][1];
    PlaceMemo& memo = state.placeMemo;
    if (!(sine == memo.bankArguments[0] && cosine == memo.bankArguments[1])) {
        memo.bankArguments[0] = sine;
        memo.bankArguments[1] = cosine;
        memo.bank = std::atan2(sine, cosine);
    }
    return memo.bank;
}

VECTOR3 GroundVelocity(const physics::Planet& planet, const VesselState& state)
{
    if (!planet.round) {
        return state.vel;
    }
    physics::Vec3 ground = physics::ToVec3(state.vel) - physics::Spin(planet).cross(physics::ToVec3(state.pos));
    return physics::ToVector3(ground);
}

VECTOR3 ToLocal(const physics::Planet& planet, const VesselState& state, const VECTOR3& global)
{
    if (!planet.round) {
        return global;
    }
    return physics::ToVector3(LocalAxesAt(planet, state).transpose() * physics::ToVec3(global));
}

physics::Geodetic GeographicOf(const physics::Planet& planet, const VesselState& state, double simt)
{
    physics::Geodetic g = physics::GeodeticOfState(planet, state);
    // The planet has turned east by rotation × simt since the frames coincided.
    double longitude = std::remainder(g.longitude - planet.rotation * simt, 2.0 * std::numbers::pi);
    g.longitude = longitude <= -std::numbers::pi ? longitude + 2.0 * std::numbers::pi : longitude;
    return g;
}

VECTOR3 GlobalOf(const physics::Planet& planet, const physics::Geodetic& where, double simt)
{
    physics::Geodetic inertial = where;
    inertial.longitude += planet.rotation * simt;
    return physics::ToVector3(physics::PositionOf(planet, inertial));
}

void PlaceState(const physics::Planet& planet, VesselState& state, const physics::Geodetic& where, double simt)
{
    physics::Geodetic inertial = where;
    inertial.longitude += planet.rotation * simt;
    const physics::Place place{std::sin(inertial.latitude), std::cos(inertial.latitude), std::sin(inertial.longitude),
                               std::cos(inertial.longitude), inertial.height};
    state.pos = physics::ToVector3(physics::PositionOfPlace(planet, place));
    physics::RememberPlace(planet, state, inertial, place);
}

}  // namespace standin
