// Record lookups shared by the VESSEL members: a handle checked against its vessel's list.
#pragma once

#include "handles.h"

namespace standin {

/// `value` limited to [low, high].
inline double Clamp(double value, double low, double high)
{
    return value < low ? low : (value > high ? high : value);
}

/// Appends `record` to `list` and returns its handle of `kind` and `epoch` on the vessel in `slot`;
/// null once the list is as long as a handle can index.
template <typename Record>
HostHandle AddRecord(std::vector<Record>& list, const Record& record, HandleKind kind, uint16_t epoch, int slot)
{
    if (list.size() >= HANDLE_FIELD_LIMIT) {
        return nullptr;
    }
    list.push_back(record);
    return MakeHandle(kind, epoch, static_cast<uint32_t>(slot), static_cast<uint32_t>(list.size() - 1));
}

/// The thruster behind `handle` on `v` (in `slot`), null if stale.
inline Thruster* ThrusterOf(Vessel& v, int slot, HostHandle handle)
{
    int i = RecordOf(handle, HandleKind::Thruster, slot, v.thrusterEpoch, v.thrusters.size());
    return i < 0 ? nullptr : &v.thrusters[static_cast<size_t>(i)];
}

/// The resource behind `handle` on `v` (in `slot`), null if stale.
inline Resource* ResourceOf(Vessel& v, int slot, HostHandle handle)
{
    int i = RecordOf(handle, HandleKind::Resource, slot, v.resourceEpoch, v.resources.size());
    return i < 0 ? nullptr : &v.resources[static_cast<size_t>(i)];
}

/// The attachment point behind `handle` on `v` (in `slot`), null if stale.
inline Attachment* AttachmentOf(Vessel& v, int slot, HostHandle handle)
{
    int i = RecordOf(handle, HandleKind::Attachment, slot, v.recordEpoch, v.attachments.size());
    return i < 0 ? nullptr : &v.attachments[static_cast<size_t>(i)];
}

}  // namespace standin
