#include "thrust.h"

namespace physics {

double IspAt(double isp, double ispRef, double pressureRef, double pressure)
{
    if (ispRef == 0.0 || pressureRef == 0.0) {
        return isp;
    }
    double value = isp + (ispRef - isp) * pressure / pressureRef;
    return value > 0.0 ? value : 0.0;
}

bool ThrustVariesWithPressure(const standin::Vessel& vessel)
{
    for (const standin::Thruster& t : vessel.thrusters) {
        if (t.level * t.fed > 0.0 && t.ispRef != 0.0 && t.pressureRef != 0.0 && t.ispRef != t.isp) {
            return true;
        }
    }
    return false;
}

void AddThrust(const Stage& stage, Loads& loads)
{
    if (stage.thrust != nullptr) {
        loads.forceBody += stage.thrust->forceBody;
        loads.momentBody += stage.thrust->momentBody;
        return;
    }
    for (const standin::Thruster& t : stage.vessel.thrusters) {
        double share = t.level * t.fed;
        if (!(share > 0.0) || !(t.isp > 0.0)) {
            continue;
        }
        double thrust = share * t.maxThrust * (IspAt(t.isp, t.ispRef, t.pressureRef, stage.air.pressure) / t.isp);
        loads.AddBodyForceAt(ToVec3(t.pos), ToVec3(t.dir) * thrust);
    }
}

}  // namespace physics
