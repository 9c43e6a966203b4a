#include "attitude.h"

#include <cmath>

#include "local_frame.h"
#include "physics/flight_state.h"

namespace standin {

void SetStateAngles(VesselState& state, double pitch, double bank, double heading)
{
    double sp = std::sin(pitch), cp = std::cos(pitch);
    double sb = std::sin(bank), cb = std::cos(bank);
    double sh = std::sin(heading), ch = std::cos(heading);
    // Nose, and the right and up axes before banking; banking turns right and up about the nose.
    VECTOR3 nose{cp * sh, sp, cp * ch};
    VECTOR3 right0{ch, 0.0, -sh};
    VECTOR3 up0{-sp * sh, cp, -sp * ch};
    VECTOR3 right{cb * right0.x - sb * up0.x, cb * right0.y - sb * up0.y, cb * right0.z - sb * up0.z};
    VECTOR3 up{sb * right0.x + cb * up0.x, sb * right0.y + cb * up0.y, sb * right0.z + cb * up0.z};
    const VECTOR3* axes[3] = {&right, &up, &nose};
    for (int j = 0; j < 3; ++j) {
        state.rot[0][j] = axes[j]->x;
        state.rot[1][j] = axes[j]->y;
        state.rot[2][j] = axes[j]->z;
    }
    // Over a round planet the angles are against the local horizon and north at the vessel.
    if (const physics::Planet& planet = world().physics.planet; planet.round) {
        physics::Mat3 local;
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                local(i, j) = state.rot[i][j];
            }
        }
        physics::Mat3 global = LocalAxesAt(planet, state) * local;
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                state.rot[i][j] = global(i, j);
            }
        }
        physics::QuatFromRot(state);
        state.anglesExact = false;
        return;
    }
    physics::QuatFromRot(state);
    state.anglesExact = true;
    state.pitch = pitch;
    state.bank = bank;
    state.heading = heading;
}

double PitchOf(const VesselState& state)
{
    if (const physics::Planet& planet = world().physics.planet; planet.round) {
        return LocalPitch(planet, state);
    }
    if (state.anglesExact) {
        return state.pitch;
    }
    double noseUp = state.rot[1][2];
    return std::asin(noseUp > 1.0 ? 1.0 : (noseUp < -1.0 ? -1.0 : noseUp));
}

double BankOf(const VesselState& state)
{
    if (const physics::Planet& planet = world().physics.planet; planet.round) {
        return LocalBank(planet, state);
    }
    if (state.anglesExact) {
        return state.bank;
    }
    return std::atan2(-state.rot[1][0], state.rot[1][1]);
}

void CopyAttitude(VesselState& to, const VesselState& from)
{
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            to.rot[i][j] = from.rot[i][j];
        }
    }
    for (int i = 0; i < 4; ++i) {
        to.quat[i] = from.quat[i];
    }
    to.anglesExact = from.anglesExact;
    to.pitch = from.pitch;
    to.bank = from.bank;
    to.heading = from.heading;
}

}  // namespace standin
