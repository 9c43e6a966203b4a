// One frame of the world: every vessel gets each stage before the next stage begins.
#include "attachments.h"
#include "handles.h"
#include "host_control.h"
#include "lifecycle.h"

namespace standin {

namespace {

// A draw that leaves less than this share of a tank is the tank's last: rounding never strands
// a few picograms that would keep a thruster lit for one more frame.
constexpr double EMPTY_SHARE = 1e-12;

void BurnPropellant(Vessel& v, int slot, double dt)
{
    for (const Thruster& t : v.thrusters) {
        if (!(t.level > 0.0)) {
            continue;
        }
        int index = RecordOf(t.resource, HandleKind::Resource, slot, v.resourceEpoch, v.resources.size());
        if (index < 0) {
            continue;
        }
        Resource& r = v.resources[static_cast<size_t>(index)];
        double isp = t.isp * r.efficiency;
        if (!(r.mass > 0.0) || !(isp > 0.0)) {
            continue;
        }
        double remaining = r.mass - t.level * t.maxThrust / isp * dt;
        r.mass = remaining > r.capacity * EMPTY_SHARE ? remaining : 0.0;
    }
}

void Move(Vessel& v, double dt)
{
    VesselState& s = v.state;
    s.pos = VECTOR3{s.pos.x + s.vel.x * dt, s.pos.y + s.vel.y * dt, s.pos.z + s.vel.z * dt};
}

}  // namespace

void Step(double dt)
{
    World& w = world();
    for (size_t i = 0; i < w.order.size(); ++i) {
        int slot = w.order[i];
        Vessel& v = w.vessels[static_cast<size_t>(slot)];
        if (v.callbacks != nullptr) {
            CallbackScope scope(slot);
            v.callbacks->clbkPreStep(w.simt, dt, w.mjd);
        }
    }

    for (int slot : w.order) {
        Vessel& v = w.vessels[static_cast<size_t>(slot)];
        BurnPropellant(v, slot, dt);
        const Attachment* childPoint = nullptr;
        const Attachment* parentPoint = nullptr;
        if (!v.pinned && ParentOf(v, &childPoint, &parentPoint) == nullptr) {
            Move(v, dt);
        }
    }
    for (int slot : w.order) {
        Vessel& v = w.vessels[static_cast<size_t>(slot)];
        if (!v.pinned) {
            FollowParent(v);
        }
    }

    w.simt += dt;
    w.mjd += dt / 86400.0;

    for (size_t i = 0; i < w.order.size(); ++i) {
        int slot = w.order[i];
        Vessel& v = w.vessels[static_cast<size_t>(slot)];
        if (v.callbacks != nullptr) {
            CallbackScope scope(slot);
            v.callbacks->clbkPostStep(w.simt, dt, w.mjd);
        }
    }

    for (size_t i = 0; i < w.order.size();) {
        int slot = w.order[i];
        if (w.vessels[static_cast<size_t>(slot)].deletePending) {
            DestroyVessel(slot);  // removes the slot from the order, so the same index is read again
        } else {
            ++i;
        }
    }

    for (size_t i = 0; i < w.order.size(); ++i) {
        int slot = w.order[i];
        Vessel& v = w.vessels[static_cast<size_t>(slot)];
        if (v.callbacks != nullptr && v.visual != nullptr && v.animationRegistered) {
            CallbackScope scope(slot);
            v.callbacks->clbkAnimate(w.simt);
        }
    }
}

}  // namespace standin
