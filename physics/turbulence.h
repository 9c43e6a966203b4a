// Dryden turbulence: its scale lengths and intensities over height, and the filters that shape a
// vessel's white noise into linear and rotational gusts.
#pragma once

#include <cstdint>

#include "host/host_export.h"
#include "world/weather.h"

namespace physics {

/// Dryden scale lengths (m) and intensities (m/s) of `turbulence` at `height` m above the ground.
ZAPI_EXPORT TurbulenceScales DrydenScales(const Turbulence& turbulence, double height);

/// Advances `gusts` over one fixed step of `dt` s at true airspeed `airspeed` m/s, for lifting
/// surfaces of span `span` m, with the scales `scales`; draws from Normal(turbulence.seed, stream, k).
ZAPI_EXPORT void AdvanceGusts(GustState& gusts, const Turbulence& turbulence, const TurbulenceScales& scales,
                              double airspeed, double span, double dt, uint64_t stream);

}  // namespace physics
