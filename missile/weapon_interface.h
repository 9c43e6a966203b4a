// For launcher modules: reach a carried weapon's command handler through the virtual table of
// the VESSEL pointer the host hands out, without linking to the weapon's code.
#pragma once

#include "host/vessel.h"
#include "weapon/observable.h"  // the command prefix and log conventions launchers share

/// The virtual layout every weapon of this family shares: the 28 host callbacks, six weapon
/// hooks, the virtual destructor, then the command handler. Never instantiated.
class WeaponInterface : public VESSEL2 {
public:
    virtual void CheckGroundContact() = 0;
    virtual void CheckVesselContact() = 0;
    virtual void RequestFinalize() = 0;
    virtual void SetWeaponCaps(HostHandle config) = 0;
    virtual void WeaponPostStep(double simt, double simdt) = 0;
    virtual void ReservedHook(double) = 0;
    virtual ~WeaponInterface() = default;
    /// Runs a "WEAPON::" command; see WeaponCommand.
    virtual int ProcessCommand(const char* command, int reserved) = 0;

private:
    WeaponInterface() : VESSEL2(nullptr, 0) {}
};

/// Sends `command` to the weapon whose host interface is `weapon` (as the host's vessel lookup
/// returns it). Results: 1 "GETTYPE", 0 done or not a weapon command, -1 / -2 refused; 0 for null.
/// The weapon's dynamic type is unknown here by design, so the vptr check is off for this call.
__attribute__((no_sanitize("vptr"))) inline int WeaponCommand(VESSEL* weapon, const char* command)
{
    if (weapon == nullptr) {
        return 0;
    }
    VESSEL2* callbacks = static_cast<VESSEL2*>(weapon);
    return static_cast<WeaponInterface*>(callbacks)->ProcessCommand(command, 0);
}
