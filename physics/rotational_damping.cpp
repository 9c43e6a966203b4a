#include "rotational_damping.h"

namespace physics {

namespace {

void AddArea(const VECTOR3& ref, double area, Vec3& sum)
{
    double xx = ref.x * ref.x, yy = ref.y * ref.y, zz = ref.z * ref.z;
    sum += area * Vec3(yy + zz, xx + zz, xx + yy);
}

// The damping moment per unit rate about each axis, N m s.
Vec3 DampingCoefficient(const Stage& stage, double coefficient)
{
    double k = coefficient * 0.5 * stage.air.density * stage.airspeed;
    return k > 0.0 ? Vec3(k * DampingArea(stage.vessel)) : Vec3(Vec3::Zero());
}

}  // namespace

Vec3 DampingArea(const standin::Vessel& vessel)
{
    Vec3 sum = Vec3::Zero();
    for (const standin::Airfoil& a : vessel.airfoils) {
        AddArea(a.ref, a.area, sum);
    }
    for (const standin::ControlSurface& s : vessel.surfaces) {
        AddArea(s.ref, s.area, sum);
    }
    if (vessel.airfoils.empty()) {
        const VECTOR3& cs = vessel.crossSections;
        double armSquared = vessel.size * vessel.size / 3.0;
        sum += armSquared * Vec3(cs.y + cs.z, cs.x + cs.z, cs.x + cs.y);
    }
    return sum;
}

void AddRotationalDamping(const Stage& stage, double coefficient, Loads& loads)
{
    loads.momentBody -= DampingCoefficient(stage, coefficient).cwiseProduct(stage.state.omega);
}

void AddGustDamping(const Stage& stage, double coefficient, Loads& loads)
{
    loads.momentBody += DampingCoefficient(stage, coefficient).cwiseProduct(stage.gustRate);
}

Vec3 DampingRate(const Stage& stage, double coefficient, Vec3* moment)
{
    Vec3 k = DampingCoefficient(stage, coefficient);
    if (moment != nullptr) {
        *moment = k;
    }
    Vec3 inertia = stage.mass * ToVec3(stage.vessel.pmi);
    Vec3 rate;
    for (int i = 0; i < 3; ++i) {
        rate[i] = inertia[i] > 0.0 ? k[i] / inertia[i] : 0.0;
    }
    return rate;
}

}  // namespace physics
