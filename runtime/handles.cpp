#include "handles.h"

namespace standin {

namespace {
constexpr int KIND_SHIFT = 56;
constexpr int GENERATION_SHIFT = 40;
constexpr int SLOT_SHIFT = 20;
constexpr uint64_t FIELD_MASK = HANDLE_FIELD_LIMIT - 1;
}  // namespace

HostHandle MakeHandle(HandleKind kind, uint16_t generation, uint32_t slot, uint32_t index)
{
    uint64_t bits = (uint64_t(kind) << KIND_SHIFT) | (uint64_t(generation) << GENERATION_SHIFT) |
                    ((uint64_t(slot) & FIELD_MASK) << SLOT_SHIFT) | (uint64_t(index) & FIELD_MASK);
    return reinterpret_cast<HostHandle>(static_cast<uintptr_t>(bits));
}

HandleParts SplitHandle(HostHandle handle)
{
    uint64_t bits = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle));
    HandleParts parts;
    parts.kind = static_cast<HandleKind>(bits >> KIND_SHIFT);
    parts.generation = static_cast<uint16_t>(bits >> GENERATION_SHIFT);
    parts.slot = static_cast<uint32_t>((bits >> SLOT_SHIFT) & FIELD_MASK);
    parts.index = static_cast<uint32_t>(bits & FIELD_MASK);
    return parts;
}

uint16_t NextEpoch()
{
    World& w = world();
    if (++w.nextEpoch == 0) {
        w.nextEpoch = 1;
    }
    return w.nextEpoch;
}

int LiveSlot(HostHandle handle)
{
    HandleParts parts = SplitHandle(handle);
    if (parts.kind != HandleKind::Vessel) {
        return -1;
    }
    World& w = world();
    if (parts.slot >= w.vessels.size()) {
        return -1;
    }
    const Vessel& v = w.vessels[parts.slot];
    if (!v.live || v.generation != parts.generation) {
        return -1;
    }
    return static_cast<int>(parts.slot);
}

Vessel* LiveVessel(HostHandle handle)
{
    int slot = LiveSlot(handle);
    return slot < 0 ? nullptr : &world().vessels[static_cast<size_t>(slot)];
}

HostHandle VesselHandle(int slot)
{
    const Vessel& v = world().vessels[static_cast<size_t>(slot)];
    return MakeHandle(HandleKind::Vessel, v.generation, static_cast<uint32_t>(slot), 0);
}

int RecordOf(HostHandle handle, HandleKind kind, int slot, uint16_t epoch, size_t count)
{
    HandleParts parts = SplitHandle(handle);
    if (parts.kind != kind || parts.generation != epoch || parts.slot != static_cast<uint32_t>(slot) ||
        parts.index >= count) {
        return -1;
    }
    return static_cast<int>(parts.index);
}

}  // namespace standin
