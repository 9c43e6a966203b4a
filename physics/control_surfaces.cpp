#include "control_surfaces.h"

namespace physics {

void AddControlSurfaces(const Stage& stage, Loads& loads)
{
    if (!(stage.dynPressure > 0.0)) {
        return;
    }
    for (const standin::ControlSurface& s : stage.vessel.surfaces) {
        if (s.type < 0 || s.type >= standin::CONTROL_TYPES) {
            continue;
        }
        double level = stage.vessel.controlLevel[s.type];
        if (level == 0.0) {
            continue;
        }
        double f = stage.dynPressure * s.area * s.dCl * level;
        double ahead = s.ref.z > 0.0 ? 1.0 : -1.0;  // forward of the centre of mass, or behind it
        Vec3 force;
        switch (s.type) {
        case AIRCTRL_ELEVATOR:
            force = Vec3(0.0, ahead * f, 0.0);
            break;
        case AIRCTRL_RUDDER:
            force = Vec3(ahead * f, 0.0, 0.0);
            break;
        case AIRCTRL_AILERON:
            force = Vec3(0.0, s.ref.x > 0.0 ? f : (s.ref.x < 0.0 ? -f : 0.0), 0.0);
            break;
        default:
            continue;
        }
        loads.AddBodyForceAt(ToVec3(s.ref), force);
    }
}

}  // namespace physics
