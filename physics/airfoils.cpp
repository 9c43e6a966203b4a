#include "airfoils.h"

#include <cmath>

namespace physics {

void AddAirfoils(const Stage& stage, Loads& loads)
{
    if (!(stage.air.density > 0.0)) {
        return;
    }
    for (const standin::Airfoil& a : stage.vessel.airfoils) {
        if (a.coeff == nullptr) {
            continue;
        }
        Vec3 r = ToVec3(a.ref);
        // The body's rotation through the air, which turbulence turns too.
        Vec3 v = stage.airVelBody + (stage.state.omega - stage.gustRate).cross(r);
        bool vertical = a.orientation == LIFT_VERTICAL;
        // The lifting axis (y or x) and the flow's components along it and along the nose.
        double across = vertical ? v.y() : v.x();
        double along = v.z();
        double speed = std::sqrt(across * across + along * along);
        if (!(speed > 0.0)) {
            continue;
        }
        double aoa = std::atan2(-across, along);
        double mach = speed / stage.air.soundSpeed;
        double reynolds = stage.air.density * speed * a.chord / stage.air.viscosity;
        double cl = 0.0, cm = 0.0, cd = 0.0;
        a.coeff(aoa, mach, reynolds, &cl, &cm, &cd);
        double qs = 0.5 * stage.air.density * speed * speed * a.area;
        // Lift perpendicular to the flow, drag along it; both in the airfoil's plane.
        double liftAcross = along / speed, liftAlong = -across / speed;
        double dragAcross = -across / speed, dragAlong = -along / speed;
        double fAcross = qs * (cl * liftAcross + cd * dragAcross);
        double fAlong = qs * (cl * liftAlong + cd * dragAlong);
        Vec3 force = vertical ? Vec3(0.0, fAcross, fAlong) : Vec3(fAcross, 0.0, fAlong);
        loads.AddBodyForceAt(r, force);
        // A positive rate about -x raises the nose; a positive rate about +y turns it toward +x.
        double moment = qs * a.chord * cm;
        if (vertical) {
            loads.momentBody.x() -= moment;
        } else {
            loads.momentBody.y() += moment;
        }
    }
}

}  // namespace physics
