// The autopilot: roll, pitch and yaw laws on the control surfaces, and the glide pitch.
#include <cmath>

#include "missile/guided_missile.h"
#include "missile/missile_params.h"

namespace {

/// Errors within this band either side of zero (ends included) leave a surface alone, rad.
const double DEAD_BAND = 0.25 * RAD;
/// Error that deflects a surface fully, rad.
const double FULL_DEFLECTION = 10 * RAD;
/// Gravity for the glide formula, m/s^2.
constexpr double GRAVITY = 9.81;

/// Sets the surfaces of `type` on `vessel` from the error `error` (rad). The tests run in an
/// order that sends an error that is not a number to -1.
void Drive(const VESSEL& vessel, int type, double error)
{
    if (error >= -DEAD_BAND && error <= DEAD_BAND) {
        return;
    }
    double level;
    if (error > FULL_DEFLECTION) {
        level = 1.0;
    } else if (error >= -FULL_DEFLECTION) {
        level = error / FULL_DEFLECTION;
    } else {
        level = -1.0;
    }
    vessel.SetControlSurfaceLevel(type, level);
}

}  // namespace

void GuidedMissile::RollControl()
{
    // A positive aileron level rolls back from a positive bank.
    Drive(*this, AIRCTRL_AILERON, GetBank());
}

void GuidedMissile::PitchControl()
{
    Drive(*this, AIRCTRL_ELEVATOR, pitchCommand - GetPitch());
}

void GuidedMissile::YawControl()
{
    Drive(*this, AIRCTRL_RUDDER, yawCommand);
}

double GuidedMissile::GlidePitch()
{
    const double wingLoading = GetMass() / WING_AREA * GRAVITY;
    // Not a number when the dynamic pressure cannot carry the weight.
    return std::asin(wingLoading / GetDynPressure() * (1.0 / 3.0));
}
