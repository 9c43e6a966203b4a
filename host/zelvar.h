// Everything a vessel module compiles against.
#pragma once

#include "host_types.h"
#include "vessel.h"
#include "zapi.h"

/// Module entry point: construct the vessel object for `vessel` at flight-model level `flightModel`
/// and return its VESSEL part, or null when it cannot be created.
typedef VESSEL* (*ZvcInitFunc)(HostHandle vessel, int flightModel);
/// Module entry point: destroy an object that zvcInit returned; null is ignored.
typedef void (*ZvcExitFunc)(VESSEL* vessel);
