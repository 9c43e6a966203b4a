#include "loads.h"

namespace physics {

Stage::Stage(const standin::Vessel& v, const FlightState& s, double m, const AirSlope* slope)
    : vessel(v), state(s), rot(s.att.normalized().toRotationMatrix()), mass(m),
      air(slope != nullptr ? AirNear(*slope, s.pos.y()) : Atmosphere(s.pos.y()))
{
    airVelBody = rot.transpose() * s.vel;
    airspeed = airVelBody.norm();
    dynPressure = 0.5 * air.density * airspeed * airspeed;
}

}  // namespace physics
