// Hanging vessels on each other by their attachment points.
#include "attachments.h"

#include <cstring>

#include "attitude.h"
#include "handles.h"
#include "host_control.h"

namespace standin {

bool Attach(HostHandle parent, HostHandle parentPoint, HostHandle child, HostHandle childPoint)
{
    Vessel* p = LiveVessel(parent);
    Vessel* c = LiveVessel(child);
    if (p == nullptr || c == nullptr || p == c) {
        return false;
    }
    Attachment* cp = FindAttachment(child, childPoint);
    if (cp == nullptr || !cp->toParent || cp->mate != nullptr) {
        return false;
    }
    Attachment* pp = nullptr;
    if (parentPoint != nullptr) {
        pp = FindAttachment(parent, parentPoint);
        if (pp == nullptr || pp->toParent || pp->mate != nullptr) {
            return false;
        }
        pp->mate = child;
        pp->matePoint = childPoint;
    }
    cp->mate = parent;
    cp->matePoint = parentPoint;
    return true;
}

void Detach(HostHandle child, HostHandle childPoint)
{
    Attachment* cp = FindAttachment(child, childPoint);
    if (cp == nullptr) {
        return;
    }
    if (Attachment* pp = FindAttachment(cp->mate, cp->matePoint)) {
        pp->mate = nullptr;
        pp->matePoint = nullptr;
    }
    cp->mate = nullptr;
    cp->matePoint = nullptr;
}

HostHandle AttachmentById(HostHandle vessel, const char* id)
{
    int slot = LiveSlot(vessel);
    if (slot < 0 || id == nullptr) {
        return nullptr;
    }
    const Vessel& v = world().vessels[static_cast<size_t>(slot)];
    for (size_t i = 0; i < v.attachments.size(); ++i) {
        if (v.attachments[i].id == id) {
            return MakeHandle(HandleKind::Attachment, v.recordEpoch, static_cast<uint32_t>(slot),
                              static_cast<uint32_t>(i));
        }
    }
    return nullptr;
}

const Vessel* ParentOf(const Vessel& child, const Attachment** childPoint, const Attachment** parentPoint)
{
    for (const Attachment& point : child.attachments) {
        if (!point.toParent) {
            continue;
        }
        const Vessel* parent = LiveVessel(point.mate);
        if (parent == nullptr) {
            continue;
        }
        *childPoint = &point;
        *parentPoint = nullptr;
        for (const Attachment& candidate : parent->attachments) {
            if (LiveVessel(candidate.mate) == &child && !candidate.toParent) {
                *parentPoint = &candidate;
                break;
            }
        }
        return parent;
    }
    return nullptr;
}

void FollowParent(Vessel& child)
{
    const Attachment* childPoint = nullptr;
    const Attachment* parentPoint = nullptr;
    const Vessel* parent = ParentOf(child, &childPoint, &parentPoint);
    if (parent == nullptr) {
        return;
    }
    // The child keeps the parent's attitude and velocity, with the two points coinciding.
    CopyAttitude(child.state, parent->state);
    VECTOR3 anchor = parentPoint != nullptr ? BodyToGlobal(parent->state, parentPoint->pos) : VECTOR3{0, 0, 0};
    VECTOR3 offset = BodyToGlobal(child.state, childPoint->pos);
    child.state.pos = VECTOR3{parent->state.pos.x + anchor.x - offset.x, parent->state.pos.y + anchor.y - offset.y,
                              parent->state.pos.z + anchor.z - offset.z};
    child.state.vel = parent->state.vel;
    child.state.angVel = parent->state.angVel;
}

}  // namespace standin
