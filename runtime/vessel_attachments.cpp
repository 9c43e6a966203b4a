// The VESSEL members on attachment points: a child asks for its parent, a parent (a launcher)
// hangs children on its points, asks which child hangs where and lets them go.
#include <cstring>

#include "attachments.h"
#include "host_control.h"
#include "journal.h"
#include "records.h"

using namespace standin;

HostHandle VESSEL::GetAttachmentStatus(HostHandle attachment) const
{
    int slot = LiveSlot(vesselHandle);
    CallRecord(slot, "GetAttachmentStatus").Handle(attachment);
    if (slot < 0) {
        return nullptr;
    }
    Attachment* point = AttachmentOf(world().vessels[static_cast<size_t>(slot)], slot, attachment);
    if (point == nullptr || LiveVessel(point->mate) == nullptr) {
        return nullptr;
    }
    return point->mate;
}

bool VESSEL::AttachChild(HostHandle child, HostHandle attachment, HostHandle childAttachment) const
{
    CallRecord(vesselHandle, "AttachChild").Handle(child).Handle(attachment).Handle(childAttachment);
    if (FindAttachment(vesselHandle, attachment) == nullptr) {
        return false;  // a parent hangs its children on its own points only
    }
    return Attach(vesselHandle, attachment, child, childAttachment);
}

bool VESSEL::DetachChild(HostHandle attachment, const VECTOR3& vel) const
{
    CallRecord(vesselHandle, "DetachChild").Handle(attachment).Vec(vel);
    Attachment* point = FindAttachment(vesselHandle, attachment);
    if (point == nullptr || point->toParent || LiveVessel(point->mate) == nullptr) {
        return false;
    }
    Detach(point->mate, point->matePoint, vel);
    return true;
}

HostHandle VESSEL::GetAttachmentHandle(bool toParent, unsigned int index) const
{
    int slot = LiveSlot(vesselHandle);
    CallRecord(slot, "GetAttachmentHandle").Flag(toParent).Int(index);
    if (slot < 0) {
        return nullptr;
    }
    const Vessel& v = world().vessels[static_cast<size_t>(slot)];
    unsigned int seen = 0;
    for (size_t i = 0; i < v.attachments.size(); ++i) {
        if (v.attachments[i].toParent == toParent && seen++ == index) {
            return MakeHandle(HandleKind::Attachment, v.recordEpoch, static_cast<uint32_t>(slot), static_cast<uint32_t>(i));
        }
    }
    return nullptr;
}

const char* VESSEL::GetAttachmentId(HostHandle attachment) const
{
    int slot = LiveSlot(vesselHandle);
    CallRecord(slot, "GetAttachmentId").Handle(attachment);
    if (slot < 0) {
        return "";
    }
    const Attachment* point = AttachmentOf(world().vessels[static_cast<size_t>(slot)], slot, attachment);
    return point != nullptr ? point->id.c_str() : "";
}
