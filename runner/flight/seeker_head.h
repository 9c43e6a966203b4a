// The seeker head as the missile's mesh shows it: where it looks, from the turns its module sent
// the head's mesh groups, and how far around that it sees.
#pragma once

#include "world/vessel.h"

namespace runner {

/// The seeker head's half field of view: a target this close to the head's look direction is in view, rad.
inline constexpr double HEAD_HALF_FOV = 2.5 * 0.017453292519943278;

/// The seeker head's shown look angles of `vessel` from the rotations its module sent its head's
/// mesh groups (summed): azimuth (toward body +x) and elevation (toward body +y), rad.
void HeadAngles(const standin::Vessel& vessel, double& azimuth, double& elevation);

/// How far the point `global` (m) lies from the look direction of a head at `azimuth` and
/// `elevation` (rad) on a vessel in state `s`, as the difference of its own angles, rad; infinite
/// for a point not ahead of the vessel.
double HeadOff(const standin::VesselState& s, const VECTOR3& global, double azimuth, double elevation);

}  // namespace runner
