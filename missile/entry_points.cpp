// The module's two exported entry points, through which the host creates and destroys missiles.
#include <new>

#include "host/host_export.h"
#include "host/zelvar.h"
#include "missile/guided_missile.h"

/// Creates the missile for host vessel `vessel` at flight-model level `flightModel`; returns its
/// VESSEL interface, or null when there is no memory for it.
ZVC_EXPORT VESSEL* zvcInit(HostHandle vessel, int flightModel)
{
    GuidedMissile* missile = new (std::nothrow) GuidedMissile(vessel, flightModel);
    if (missile == nullptr) {
        return nullptr;
    }
    // The VESSEL part lies behind VESSEL2's table pointer, not at the start of the object.
    return static_cast<VESSEL*>(missile);
}

/// Destroys the missile whose VESSEL interface zvcInit returned; null is ignored.
ZVC_EXPORT void zvcExit(VESSEL* vessel)
{
    if (vessel == nullptr) {
        return;
    }
    delete static_cast<GuidedMissile*>(static_cast<VESSEL2*>(vessel));
}
