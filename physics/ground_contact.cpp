#include "ground_contact.h"

#include <cmath>

namespace physics {

Contact ContactFor(const Settings& settings, double dt)
{
    double limit = dt > 0.0 ? 0.4 / dt : settings.contactFrequency;
    return Contact{settings.contactFrequency < limit ? settings.contactFrequency : limit, settings.friction};
}

void AddGroundContact(const Stage& stage, const Contact& contact, Loads& loads)
{
    const standin::Vessel& v = stage.vessel;
    // No point can reach the ground from higher than the farthest point lies from the centre.
    double reach = 0.0;
    for (const VECTOR3& point : v.touchdown) {
        reach = std::fmax(reach, point.x * point.x + point.y * point.y + point.z * point.z);
    }
    if (stage.state.pos.y() > 0.0 && stage.state.pos.y() * stage.state.pos.y() > reach) {
        return;
    }
    Vec3 inertia = stage.mass * ToVec3(v.pmi);
    Vec3 normalBody = stage.rot.row(1).transpose();  // global up in body axes
    for (const VECTOR3& point : v.touchdown) {
        Vec3 r = ToVec3(point);
        Vec3 p = stage.state.pos + stage.rot * r;
        if (!(p.y() < 0.0)) {
            continue;
        }
        // Effective mass at the point along the normal: translation plus rotation about free axes.
        Vec3 w = r.cross(normalBody);
        double inverse = 1.0 / stage.mass;
        for (int i = 0; i < 3; ++i) {
            if (inertia[i] > 0.0) {
                inverse += w[i] * w[i] / inertia[i];
            }
        }
        double mEff = 1.0 / inverse;
        double stiffness = mEff * contact.frequency * contact.frequency;
        double damping = 2.0 * mEff * contact.frequency;
        Vec3 vel = stage.state.vel + stage.rot * stage.state.omega.cross(r);
        double normal = stiffness * -p.y() - damping * vel.y();
        if (!(normal > 0.0)) {
            continue;
        }
        Vec3 slide(vel.x(), 0.0, vel.z());
        double speed = slide.norm();
        Vec3 force(0.0, normal, 0.0);
        if (speed > 0.0) {
            double limit = contact.friction * normal / speed;
            force -= slide * (damping < limit ? damping : limit);
        }
        loads.forceGlobal += force;
        loads.momentBody += r.cross(stage.rot.transpose() * force);
    }
}

}  // namespace physics
