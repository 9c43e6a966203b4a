// The host's air: density with altitude, and the drag functions modules call.
#pragma once

namespace standin {

/// Sea-level air density, kg/m^3.
inline constexpr double SEA_LEVEL_DENSITY = 1.225;
/// Scale height of the exponential atmosphere, m.
inline constexpr double SCALE_HEIGHT = 8500.0;

/// Air density at `altitude` m: 1.225 exp(-altitude / 8500), kg/m^3.
double AirDensity(double altitude);

}  // namespace standin
