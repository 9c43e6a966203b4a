#include "handles.h"

namespace standin {

uint16_t NextEpoch()
{
    World& w = world();
    if (++w.nextEpoch == 0) {
        w.nextEpoch = 1;
    }
    return w.nextEpoch;
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
