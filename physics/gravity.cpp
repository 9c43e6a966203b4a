#include "gravity.h"

namespace physics {

void AddGravity(const Stage& stage, double gravity, Loads& loads)
{
    loads.forceGlobal.y() -= stage.mass * gravity;
}

}  // namespace physics
