// The rigid-body state the host integrates, in Eigen's types, and its round trip to the world.
#pragma once

#include <Eigen/Geometry>

#include "world/world.h"

namespace physics {

using Vec3 = Eigen::Vector3d;
using Mat3 = Eigen::Matrix3d;
using Quat = Eigen::Quaterniond;

/// Position, velocity, attitude and body rate of one vessel.
struct FlightState {
    Vec3 pos;    ///< global, m (y is the altitude)
    Vec3 vel;    ///< global, m/s
    Quat att;    ///< body-to-global rotation, unit
    Vec3 omega;  ///< angular velocity in the body frame, rad/s
};

/// `v` as an Eigen vector.
inline Vec3 ToVec3(const VECTOR3& v) { return Vec3(v.x, v.y, v.z); }
/// `v` as the host's record.
inline VECTOR3 ToVector3(const Vec3& v) { return VECTOR3{v.x(), v.y(), v.z()}; }

/// The state of `state` (its quaternion, not its matrix).
FlightState ReadState(const standin::VesselState& state);
/// Writes `flight` into `state`: position, velocity, rate, quaternion and the matrix built from it;
/// the exact angles of the last SetAttitude are forgotten.
void WriteState(const FlightState& flight, standin::VesselState& state);
/// Sets `state.quat` from `state.rot`.
void QuatFromRot(standin::VesselState& state);

}  // namespace physics
