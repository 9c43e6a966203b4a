#include "body_drag.h"

namespace physics {

void AddBodyDrag(const Stage& stage, Loads& loads)
{
    if (!stage.vessel.airfoils.empty() || !(stage.dynPressure > 0.0)) {
        return;
    }
    const VECTOR3& cs = stage.vessel.crossSections;
    double k = -0.5 * stage.air.density * stage.airspeed * BODY_DRAG_COEFFICIENT;
    const Vec3& v = stage.airVelBody;
    loads.forceBody += Vec3(k * cs.x * v.x(), k * cs.y * v.y(), k * cs.z * v.z());
}

}  // namespace physics
