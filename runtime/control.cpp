// The control surface's direct setters and read-backs.
#include "attitude.h"
#include "handles.h"
#include "host_control.h"
#include "lifecycle.h"
#include "physics/integrator.h"

namespace standin {

Vessel* Find(HostHandle vessel)
{
    return LiveVessel(vessel);
}

int SlotOf(HostHandle vessel)
{
    return LiveSlot(vessel);
}

int RecordIndex(HostHandle record)
{
    HandleParts parts = SplitHandle(record);
    if (parts.kind == HandleKind::None || parts.kind == HandleKind::Vessel) {
        return -1;
    }
    return static_cast<int>(parts.index);
}

void SetPosition(HostHandle vessel, const VECTOR3& pos)
{
    if (Vessel* v = LiveVessel(vessel)) {
        v->state.pos = pos;
    }
}

void SetVelocity(HostHandle vessel, const VECTOR3& vel)
{
    if (Vessel* v = LiveVessel(vessel)) {
        v->state.vel = vel;
    }
}

void SetAttitude(HostHandle vessel, double pitch, double bank, double heading)
{
    if (Vessel* v = LiveVessel(vessel)) {
        SetStateAngles(v->state, pitch, bank, heading);
    }
}

void SetAngularVelocity(HostHandle vessel, const VECTOR3& angVel)
{
    if (Vessel* v = LiveVessel(vessel)) {
        v->state.angVel = angVel;
    }
}

void SetMotion(HostHandle vessel, Motion motion)
{
    if (Vessel* v = LiveVessel(vessel)) {
        v->motion = motion;
        if (motion == Motion::Landed) {
            physics::PlaceOnGround(*v, world().physics.planet);
        }
    }
}

void SetPinned(HostHandle vessel, bool pinned)
{
    if (Vessel* v = LiveVessel(vessel)) {
        SetMotion(vessel, pinned ? Motion::Pinned : DefaultMotion(*v));
    }
}

physics::Settings& PhysicsSettings()
{
    return world().physics;
}

void SetSimTime(double simt)
{
    world().simt = simt;
}

HostHandle CreateVisual(HostHandle vessel)
{
    int slot = LiveSlot(vessel);
    if (slot < 0) {
        return nullptr;
    }
    Vessel& v = world().vessels[static_cast<size_t>(slot)];
    if (v.visual == nullptr) {
        v.visualEpoch = NextEpoch();
        v.visual = MakeHandle(HandleKind::Visual, v.visualEpoch, static_cast<uint32_t>(slot), 0);
        if (v.callbacks != nullptr) {
            CallbackScope scope(slot);
            v.callbacks->clbkVisualCreated(v.visual, 1);
        }
    }
    return v.visual;
}

void DestroyVisual(HostHandle vessel)
{
    int slot = LiveSlot(vessel);
    if (slot < 0) {
        return;
    }
    Vessel& v = world().vessels[static_cast<size_t>(slot)];
    if (v.visual == nullptr) {
        return;
    }
    if (v.callbacks != nullptr) {
        CallbackScope scope(slot);
        v.callbacks->clbkVisualDestroyed(v.visual, 0);
    }
    v.visual = nullptr;
}

}  // namespace standin
