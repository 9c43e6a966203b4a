// Creating, destroying and calling into vessels.
#pragma once

#include <string>

#include "host_control.h"

namespace standin {

/// Takes a free slot for a new vessel described by `desc`; -1 (with the error set) when full.
int CreateSlot(const VesselDesc& desc, const char* className);
/// Destroys the vessel in `slot`: zvcExit for a module's object, then frees the slot.
void DestroyVessel(int slot);
/// The motion a vessel starts in unless told otherwise: dynamic with a module, kinematic without.
Motion DefaultMotion(const Vessel& vessel);
/// Records `message` as the last error of a control call, of kind `kind`.
void SetError(std::string message, ErrorKind kind = ErrorKind::Other);

/// Marks the vessel in `slot` as the one whose callback runs, for the journal, while in scope.
class CallbackScope {
public:
    explicit CallbackScope(int slot) : previous(world().currentVessel) { world().currentVessel = slot; }
    ~CallbackScope() { world().currentVessel = previous; }
    CallbackScope(const CallbackScope&) = delete;
    CallbackScope& operator=(const CallbackScope&) = delete;

private:
    int previous;
};

}  // namespace standin
