#include "gravity.h"

#include "geodesy.h"

namespace physics {

void AddGravity(const Stage& stage, const Settings& settings, Loads& loads)
{
    if (stage.locale == nullptr) {
        loads.forceGlobal.y() -= stage.mass * settings.gravity;
        return;
    }
    loads.forceGlobal += stage.mass * GravityAt(settings.planet, stage.state.pos);
}

}  // namespace physics
