// Generational handles: a kind, a generation, a vessel slot and a record index packed into the
// pointer-sized HostHandle. A handle whose generation no longer matches is stale and never used.
#pragma once

#include <cstdint>

#include "host/host_types.h"
#include "world.h"

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

/// Packs `parts` into a handle (never null).
HostHandle MakeHandle(HandleKind kind, uint16_t generation, uint32_t slot, uint32_t index);
/// Unpacks a handle; a null handle gives kind None.
HandleParts SplitHandle(HostHandle handle);
/// The next epoch for a record list (never 0).
uint16_t NextEpoch();

/// The live vessel behind `handle`, null for null, stale or non-vessel handles.
Vessel* LiveVessel(HostHandle handle);
/// The handle of the live vessel in `slot`.
HostHandle VesselHandle(int slot);
/// Slot of the live vessel behind `handle`, -1 otherwise.
int LiveSlot(HostHandle handle);
/// Index of a `kind` record of the vessel in `slot` whose list has epoch `epoch` and `count`
/// entries; -1 when the handle is of another kind, vessel or epoch, or out of range.
int RecordOf(HostHandle handle, HandleKind kind, int slot, uint16_t epoch, size_t count);

}  // namespace standin
