#include "propellant.h"

namespace physics {

namespace {

constexpr double EMPTY_SHARE = 1e-12;

}  // namespace

void BurnPropellant(standin::Vessel& v, double dt)
{
    for (standin::Thruster& t : v.thrusters) {
        t.fed = 0.0;
        if (!(t.level > 0.0)) {
            continue;
        }
        const int index = t.feed;
        if (index < 0 || static_cast<size_t>(index) >= v.resources.size()) {
            continue;
        }
        standin::Resource& r = v.resources[static_cast<size_t>(index)];
        double isp = t.isp * r.efficiency;
        if (!(r.mass > 0.0) || !(isp > 0.0)) {
            continue;
        }
        double draw = t.level * t.maxThrust / isp * dt;
        double remaining = r.mass - draw;
        if (remaining > r.capacity * EMPTY_SHARE) {
            t.fed = 1.0;
            r.mass = remaining;
        } else {
            t.fed = draw > 0.0 && r.mass < draw ? r.mass / draw : 1.0;
            r.mass = 0.0;
        }
    }
}

}  // namespace physics
