#include "local_frame.h"

#include <cmath>

namespace standin {

namespace {

constexpr double PI_RAD = 3.14159265358979323846;

double Clamped(double x)
{
    return x > 1.0 ? 1.0 : (x < -1.0 ? -1.0 : x);
}

}  // namespace

physics::Mat3 LocalAxesAt(const physics::Planet& planet, const VECTOR3& pos)
{
    if (!planet.round) {
        return physics::Mat3::Identity();
    }
    physics::Geodetic g = physics::GeodeticOf(planet, physics::ToVec3(pos));
    return physics::LocalAxes(g.latitude, g.longitude);
}

double AltitudeOf(const physics::Planet& planet, const VECTOR3& pos)
{
    return planet.round ? physics::GeodeticOf(planet, physics::ToVec3(pos)).height : pos.y;
}

LocalAngles LocalAnglesOf(const physics::Planet& planet, const VesselState& state)
{
    // Column j of the body-to-local rotation is body axis j in east, up, north.
    physics::Mat3 rot;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            rot(i, j) = state.rot[i][j];
        }
    }
    physics::Mat3 local = planet.round ? physics::Mat3(LocalAxesAt(planet, state.pos).transpose() * rot) : rot;
    return LocalAngles{std::asin(Clamped(local(1, 2))), std::atan2(-local(1, 0), local(1, 1)),
                       std::atan2(local(0, 2), local(2, 2))};
}

VECTOR3 GroundVelocity(const physics::Planet& planet, const VesselState& state)
{
    if (!planet.round) {
        return state.vel;
    }
    physics::Vec3 ground = physics::ToVec3(state.vel) - physics::Spin(planet).cross(physics::ToVec3(state.pos));
    return physics::ToVector3(ground);
}

VECTOR3 ToLocal(const physics::Planet& planet, const VECTOR3& pos, const VECTOR3& global)
{
    if (!planet.round) {
        return global;
    }
    return physics::ToVector3(LocalAxesAt(planet, pos).transpose() * physics::ToVec3(global));
}

physics::Geodetic GeographicOf(const physics::Planet& planet, const VECTOR3& pos, double simt)
{
    physics::Geodetic g = physics::GeodeticOf(planet, physics::ToVec3(pos));
    // The planet has turned east by rotation × simt since the frames coincided.
    double longitude = std::remainder(g.longitude - planet.rotation * simt, 2.0 * PI_RAD);
    g.longitude = longitude <= -PI_RAD ? longitude + 2.0 * PI_RAD : longitude;
    return g;
}

VECTOR3 GlobalOf(const physics::Planet& planet, const physics::Geodetic& where, double simt)
{
    physics::Geodetic inertial = where;
    inertial.longitude += planet.rotation * simt;
    return physics::ToVector3(physics::PositionOf(planet, inertial));
}

}  // namespace standin
