// Attitude of a vessel: the body-to-global rotation and the angles read from it.
#pragma once

#include "world.h"

namespace standin {

/// Builds `state.rot` from pitch, bank and heading (rad) and remembers the angles exactly.
void SetStateAngles(VesselState& state, double pitch, double bank, double heading);
/// Nose angle above the horizon, rad.
double PitchOf(const VesselState& state);
/// Roll about the nose, rad; positive with the right wing (body +x) down.
double BankOf(const VesselState& state);
/// Global direction `body` (body frame) rotated into the global frame.
VECTOR3 BodyToGlobal(const VesselState& state, const VECTOR3& body);
/// Copies `from`'s attitude (rotation and exact angles) into `to`.
void CopyAttitude(VesselState& to, const VesselState& from);
/// Global direction `global` rotated into the body frame.
VECTOR3 GlobalToBody(const VesselState& state, const VECTOR3& global);

}  // namespace standin
