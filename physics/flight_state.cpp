#include "flight_state.h"

namespace physics {

FlightState ReadState(const standin::VesselState& state)
{
    FlightState flight;
    flight.pos = ToVec3(state.pos);
    flight.vel = ToVec3(state.vel);
    flight.att = Quat(state.quat[0], state.quat[1], state.quat[2], state.quat[3]);
    flight.omega = ToVec3(state.angVel);
    return flight;
}

void WriteState(const FlightState& flight, standin::VesselState& state)
{
    state.pos = ToVector3(flight.pos);
    state.vel = ToVector3(flight.vel);
    state.angVel = ToVector3(flight.omega);
    state.quat[0] = flight.att.w();
    state.quat[1] = flight.att.x();
    state.quat[2] = flight.att.y();
    state.quat[3] = flight.att.z();
    Mat3 r = flight.att.toRotationMatrix();
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            state.rot[i][j] = r(i, j);
        }
    }
    state.anglesExact = false;
}

void QuatFromRot(standin::VesselState& state)
{
    Mat3 r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            r(i, j) = state.rot[i][j];
        }
    }
    Quat q(r);
    q.normalize();
    state.quat[0] = q.w();
    state.quat[1] = q.x();
    state.quat[2] = q.y();
    state.quat[3] = q.z();
}

}  // namespace physics
