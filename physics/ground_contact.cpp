#include "ground_contact.h"

#include <cmath>

namespace physics {

namespace {

// Effective mass of the vessel at body point `r` along the body direction `normalBody`: its
// translation plus its rotation about the axes that turn, kg.
double EffectiveMass(const Stage& stage, const Vec3& inertia, const Vec3& r, const Vec3& normalBody)
{
    Vec3 w = r.cross(normalBody);
    double inverse = 1.0 / stage.mass;
    for (int i = 0; i < 3; ++i) {
        if (inertia[i] > 0.0) {
            inverse += w[i] * w[i] / inertia[i];
        }
    }
    return 1.0 / inverse;
}

// The farthest any touchdown point of `v` lies from its centre, squared, m^2.
double Reach(const standin::Vessel& v)
{
    double reach = 0.0;
    for (const VECTOR3& point : v.touchdown) {
        reach = std::fmax(reach, point.x * point.x + point.y * point.y + point.z * point.z);
    }
    return reach;
}

// The ground's push on a round planet: the same spring and friction along the local normal, the
// sliding velocity taken against the turning ground.
void AddRoundGroundContact(const Stage& stage, const Contact& contact, Loads& loads)
{
    const standin::Vessel& v = stage.vessel;
    const Locale& locale = *stage.locale;
    if (stage.altitude > 0.0 && stage.altitude * stage.altitude > Reach(v)) {
        return;
    }
    Vec3 inertia = stage.mass * ToVec3(v.pmi);
    Vec3 normalBody = stage.rot.transpose() * locale.up;
    for (const VECTOR3& point : v.touchdown) {
        Vec3 r = ToVec3(point);
        Vec3 p = stage.state.pos + stage.rot * r;
        double height = HeightNear(locale, p);
        if (!(height < 0.0)) {
            continue;
        }
        double mEff = EffectiveMass(stage, inertia, r, normalBody);
        double stiffness = mEff * contact.frequency * contact.frequency;
        double damping = 2.0 * mEff * contact.frequency;
        Vec3 vel = stage.state.vel + stage.rot * stage.state.omega.cross(r) - AirVelocity(locale, p);
        double sinking = vel.dot(locale.up);
        double normal = stiffness * -height - damping * sinking;
        if (!(normal > 0.0)) {
            continue;
        }
        Vec3 slide = vel - sinking * locale.up;
        double speed = slide.norm();
        Vec3 force = normal * locale.up;
        if (speed > 0.0) {
            double limit = contact.friction * normal / speed;
            force -= slide * (damping < limit ? damping : limit);
        }
        loads.forceGlobal += force;
        loads.momentBody += r.cross(stage.rot.transpose() * force);
    }
}

}  // namespace

Contact ContactFor(const Settings& settings, double dt)
{
    double limit = dt > 0.0 ? 0.4 / dt : settings.contactFrequency;
    return Contact{settings.contactFrequency < limit ? settings.contactFrequency : limit, settings.friction};
}

void AddGroundContact(const Stage& stage, const Contact& contact, Loads& loads)
{
    if (stage.locale != nullptr) {
        AddRoundGroundContact(stage, contact, loads);
        return;
    }
    const standin::Vessel& v = stage.vessel;
    // No point can reach the ground from higher than the farthest point lies from the centre.
    if (stage.state.pos.y() > 0.0 && stage.state.pos.y() * stage.state.pos.y() > Reach(v)) {
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
        double mEff = EffectiveMass(stage, inertia, r, normalBody);
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
