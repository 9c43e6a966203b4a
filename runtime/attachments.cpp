// Hanging vessels on each other by their attachment points.
#include "attachments.h"

#include <cstring>

#include "attitude.h"
#include "handles.h"
#include "host_control.h"
#include "physics/flight_state.h"

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

void Detach(HostHandle child, HostHandle childPoint, const VECTOR3& releaseVel)
{
    Attachment* cp = FindAttachment(child, childPoint);
    if (cp == nullptr) {
        return;
    }
    if (Vessel* parent = LiveVessel(cp->mate)) {
        // The child leaves with its point's velocity on the parent, plus the push given.
        Vessel& c = *LiveVessel(child);
        FollowParent(c);
        VECTOR3 push = BodyToGlobal(parent->state, releaseVel);
        c.state.vel = VECTOR3{c.state.vel.x + push.x, c.state.vel.y + push.y, c.state.vel.z + push.z};
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
        // Either point may go unasked for: a caller that only wants the parent passes null.
        if (childPoint != nullptr) {
            *childPoint = &point;
        }
        if (parentPoint == nullptr) {
            return parent;
        }
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

namespace {

// Orthonormal frame of an attachment point: its direction, its rotation reference made
// perpendicular to it, and their cross product, as the columns (body frame of its vessel).
physics::Mat3 PointFrame(const VECTOR3& dir, const VECTOR3& rot, double dirSign)
{
    physics::Vec3 d = dirSign * physics::ToVec3(dir).normalized();
    physics::Vec3 r = physics::ToVec3(rot);
    r -= r.dot(d) * d;
    if (!(r.norm() > 1e-12)) {
        r = d.unitOrthogonal();
    }
    r.normalize();
    physics::Mat3 frame;
    frame.col(0) = d;
    frame.col(1) = r;
    frame.col(2) = d.cross(r);
    return frame;
}

}  // namespace

void FollowParent(Vessel& child)
{
    const Attachment* childPoint = nullptr;
    const Attachment* parentPoint = nullptr;
    const Vessel* parent = ParentOf(child, &childPoint, &parentPoint);
    if (parent == nullptr) {
        return;
    }
    const VesselState& ps = parent->state;
    VesselState& cs = child.state;
    // The two points face each other: the child's direction opposes the parent's, their rotation
    // references agree. Where that leaves the child turned as its parent, the parent's attitude is
    // copied whole, exact angles included.
    physics::Mat3 relative = physics::Mat3::Identity();
    if (parentPoint != nullptr) {
        relative = PointFrame(parentPoint->dir, parentPoint->rot, -1.0) *
                   PointFrame(childPoint->dir, childPoint->rot, 1.0).transpose();
    }
    if (relative == physics::Mat3::Identity()) {
        CopyAttitude(cs, ps);
    } else {
        physics::FlightState parentFlight = physics::ReadState(ps);
        physics::FlightState childFlight = parentFlight;
        childFlight.att = physics::Quat(parentFlight.att.toRotationMatrix() * relative).normalized();
        physics::WriteState(childFlight, cs);
    }
    VECTOR3 anchor = parentPoint != nullptr ? BodyToGlobal(ps, parentPoint->pos) : VECTOR3{0, 0, 0};
    VECTOR3 offset = BodyToGlobal(cs, childPoint->pos);
    cs.pos = VECTOR3{ps.pos.x + anchor.x - offset.x, ps.pos.y + anchor.y - offset.y, ps.pos.z + anchor.z - offset.z};
    // It moves with the parent's point: v + ω × r, and turns with the parent.
    physics::Vec3 omegaGlobal = physics::ToVec3(BodyToGlobal(ps, ps.angVel));
    physics::Vec3 arm(cs.pos.x - ps.pos.x, cs.pos.y - ps.pos.y, cs.pos.z - ps.pos.z);
    physics::Vec3 vel = physics::ToVec3(ps.vel) + omegaGlobal.cross(arm);
    cs.vel = physics::ToVector3(vel);
    cs.angVel = GlobalToBody(cs, physics::ToVector3(omegaGlobal));
}

}  // namespace standin
