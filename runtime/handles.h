// Generational handles: a kind, a generation, a vessel slot and a record index packed into the
// pointer-sized HostHandle. A handle whose generation no longer matches is stale and never used.
#pragma once

#include <cstdint>

#include "host/host_types.h"
#include "world/world.h"

namespace standin {

/// What a handle refers to.
enum class HandleKind : uint8_t {
    None = 0,
    Vessel,
    Thruster,
    Resource,
    Attachment,
    Airfoil,
    Surface,
    Stream,
    Mesh,
    Texture,
    Visual,
    Scenario,
    Status,
};

/// The fields packed into a handle.
struct HandleParts {
    HandleKind kind;
    uint16_t generation;
    uint32_t slot;   ///< vessel slot (0 for global tables)
    uint32_t index;  ///< record index within the vessel or the global table
};

/// Largest vessel slot and record index a handle can carry, exclusive.
inline constexpr uint32_t HANDLE_FIELD_LIMIT = 1u << 20;

/// Bit positions of the fields in a handle.
inline constexpr int HANDLE_KIND_SHIFT = 56;
inline constexpr int HANDLE_GENERATION_SHIFT = 40;
inline constexpr int HANDLE_SLOT_SHIFT = 20;

/// Packs `parts` into a handle (never null).
inline HostHandle MakeHandle(HandleKind kind, uint16_t generation, uint32_t slot, uint32_t index)
{
    const uint64_t mask = HANDLE_FIELD_LIMIT - 1;
    uint64_t bits = (uint64_t(kind) << HANDLE_KIND_SHIFT) | (uint64_t(generation) << HANDLE_GENERATION_SHIFT) |
                    ((uint64_t(slot) & mask) << HANDLE_SLOT_SHIFT) | (uint64_t(index) & mask);
    return reinterpret_cast<HostHandle>(static_cast<uintptr_t>(bits));
}

/// Unpacks a handle; a null handle gives kind None.
inline HandleParts SplitHandle(HostHandle handle)
{
    const uint64_t mask = HANDLE_FIELD_LIMIT - 1;
    uint64_t bits = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle));
    HandleParts parts;
    parts.kind = static_cast<HandleKind>(bits >> HANDLE_KIND_SHIFT);
    parts.generation = static_cast<uint16_t>(bits >> HANDLE_GENERATION_SHIFT);
    parts.slot = static_cast<uint32_t>((bits >> HANDLE_SLOT_SHIFT) & mask);
    parts.index = static_cast<uint32_t>(bits & mask);
    return parts;
}
/// The next epoch for a record list (never 0).
uint16_t NextEpoch();

/// Slot of the live vessel behind `handle`, -1 otherwise.
inline int LiveSlot(HostHandle handle)
{
    // A live vessel's record holds its handle whole, so one comparison checks kind, generation
    // and liveness together.
    const uint32_t slot = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle) >> HANDLE_SLOT_SHIFT) &
                          (HANDLE_FIELD_LIMIT - 1);
    const World& w = world();
    if (slot >= w.slotCount || handle == nullptr || w.vessels[slot].handle != handle) {
        return -1;
    }
    return static_cast<int>(slot);
}

/// The live vessel behind `handle`, null for null, stale or non-vessel handles.
inline Vessel* LiveVessel(HostHandle handle)
{
    int slot = LiveSlot(handle);
    return slot < 0 ? nullptr : &world().vessels[static_cast<size_t>(slot)];
}

/// The handle of the live vessel in `slot`.
inline HostHandle VesselHandle(int slot)
{
    return world().vessels[static_cast<size_t>(slot)].handle;
}
/// Index of a `kind` record of the vessel in `slot` whose list has epoch `epoch` and `count`
/// entries; -1 when the handle is of another kind, vessel or epoch, or out of range.
int RecordOf(HostHandle handle, HandleKind kind, int slot, uint16_t epoch, size_t count);

}  // namespace standin
