// The steady wind over height and the discrete gust's shape: functions of the weather alone.
#pragma once

#include "host/host_export.h"
#include "world/weather.h"

namespace physics {

/// A horizontal wind, m/s.
struct WindVector {
    double east;   ///< toward the east, m/s
    double north;  ///< toward the north, m/s
};

/// The steady wind of `wind` at `height` m above the ground, relative to the ground, m/s, and its
/// change with height (m/s per m) in `shear` when given. The power law gives nothing at or below
/// the ground.
ZAPI_EXPORT WindVector SteadyWind(const Wind& wind, double height, WindVector* shear = nullptr);
/// The 1 - cos gust's share of its peak after `distance` m flown through the air since it began:
/// 0 before and after its length, 1 halfway.
ZAPI_EXPORT double GustShape(const Gust& gust, double distance);
/// Whether `weather` moves the air at all: some wind, turbulence on, or a gust of some size.
ZAPI_EXPORT bool AirMoves(const Weather& weather);

}  // namespace physics
