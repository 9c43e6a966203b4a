// The missile object behind a vessel that the host created from the built module.
#pragma once

#include "host/zapi.h"
#include "missile/guided_missile.h"

/// The module's GuidedMissile behind `vessel`, read through this binary's copy of the class
/// (the same layout); null for a vessel without a module.
inline GuidedMissile* ModuleMissile(HostHandle vessel)
{
    VESSEL* iface = zapiGetVesselInterface(vessel);
    return iface != nullptr ? static_cast<GuidedMissile*>(static_cast<VESSEL2*>(iface)) : nullptr;
}
