// Attitude of a vessel: the body-to-global rotation and the angles read from it.
#pragma once

#include "world/world.h"

namespace standin {

/// Builds `state.rot` from pitch, bank and heading (rad) and remembers the angles exactly; over a
/// round planet the angles are against the local horizon and north at `state.pos`, and are read
/// back from the rotation.
void SetStateAngles(VesselState& state, double pitch, double bank, double heading);
/// Nose angle above the (local) horizon, rad.
double PitchOf(const VesselState& state);
/// Roll about the nose, rad; positive with the right wing (body +x) down.
double BankOf(const VesselState& state);
/// Global direction `body` (body frame) rotated into the global frame.
inline VECTOR3 BodyToGlobal(const VesselState& state, const VECTOR3& body)
{
    const double(*r)[3] = state.rot;
    return {r[0][0] * body.x + r[0][1] * body.y + r[0][2] * body.z,
            r[1][0] * body.x + r[1][1] * body.y + r[1][2] * body.z,
            r[2][0] * body.x + r[2][1] * body.y + r[2][2] * body.z};
}
/// Copies `from`'s attitude (rotation and exact angles) into `to`.
void CopyAttitude(VesselState& to, const VesselState& from);
/// Global direction `global` rotated into the body frame.
inline VECTOR3 GlobalToBody(const VesselState& state, const VECTOR3& global)
{
    const double(*r)[3] = state.rot;
    return {r[0][0] * global.x + r[1][0] * global.y + r[2][0] * global.z,
            r[0][1] * global.x + r[1][1] * global.y + r[2][1] * global.z,
            r[0][2] * global.x + r[1][2] * global.y + r[2][2] * global.z};
}

}  // namespace standin
