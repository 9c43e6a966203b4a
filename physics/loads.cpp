#include "loads.h"

#include "moving_air.h"

namespace physics {

namespace {

// The rotation of quaternion `q`, unit or not: the homogeneous form, one division.
Mat3 RotationOf(const Quat& q)
{
    const double w = q.w(), x = q.x(), y = q.y(), z = q.z();
    const double s = 2.0 / (w * w + x * x + y * y + z * z);
    Mat3 r;
    r << 1.0 - s * (y * y + z * z), s * (x * y - w * z), s * (x * z + w * y),
         s * (x * y + w * z), 1.0 - s * (x * x + z * z), s * (y * z - w * x),
         s * (x * z - w * y), s * (y * z + w * x), 1.0 - s * (x * x + y * y);
    return r;
}

}  // namespace

Stage::Stage(const standin::Vessel& v, const FlightState& s, double m, const AirSlope* slope, const Loads* fixedThrust,
             const Locale* near, const Weather* moving)
    : vessel(v), state(s), rot(RotationOf(s.att)), mass(m), locale(near),
      altitude(near != nullptr ? HeightNear(*near, s.pos) : s.pos.y()),
      air(slope != nullptr ? AirNear(*slope, altitude) : Atmosphere(altitude)), gustRate(Vec3::Zero()),
      thrust(fixedThrust)
{
    Vec3 through = near != nullptr ? Vec3(s.vel - AirVelocity(*near, s.pos)) : s.vel;
    // A calm leaves the still air's numbers exactly as they were, zeros' signs included.
    if (moving != nullptr && v.air.moving) {
        through -= StageWind(v.air, altitude);
        gustRate = GustRate(v.air);
    }
    airVelBody = rot.transpose() * through;
    airspeed = airVelBody.norm();
    dynPressure = 0.5 * air.density * airspeed * airspeed;
}

}  // namespace physics
