// One frame of the world: every vessel gets each stage before the next stage begins.
#include "attachments.h"
#include "handles.h"
#include "host_control.h"
#include "lifecycle.h"
#include "physics/integrator.h"
#include "physics/propellant.h"

namespace standin {

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
        // The mass flies the step at its mean over the step.
        double massBefore = TotalMass(v);
        physics::BurnPropellant(v, slot, dt);
        double mass = 0.5 * (massBefore + TotalMass(v));
        const Attachment* childPoint = nullptr;
        const Attachment* parentPoint = nullptr;
        if (ParentOf(v, &childPoint, &parentPoint) != nullptr) {
            continue;  // carried: it follows its parent below, and adds nothing to the parent's flight
        }
        switch (v.motion) {
        case Motion::Dynamic:
            physics::StepDynamic(v, w.physics, mass, dt);
            break;
        case Motion::Kinematic:
            physics::StepKinematic(v.state, dt);
            break;
        case Motion::Landed:
            if (physics::LiftsOff(v, w.physics, mass)) {
                v.motion = Motion::Dynamic;
                physics::StepDynamic(v, w.physics, mass, dt);
            }
            break;
        case Motion::Pinned:
            break;
        }
    }
    for (int slot : w.order) {
        FollowParent(w.vessels[static_cast<size_t>(slot)]);
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
