// The moving air a world flies through, as plain data: a steady wind with its profile over height,
// Dryden turbulence and a discrete gust; and each vessel's share of the turbulence.
#pragma once

#include <cstdint>

namespace physics {

/// How the steady wind changes with height.
enum class WindProfile : uint8_t {
    Constant,  ///< the same at every height
    Power,     ///< the wind at WIND_REFERENCE_HEIGHT times (h / WIND_REFERENCE_HEIGHT)^exponent
    Table,     ///< east and north components by height, linear between rows, constant beyond the ends
};

/// The height the power law's wind is given at, m (20 ft).
inline constexpr double WIND_REFERENCE_HEIGHT = 6.1;
/// The power law's default exponent.
inline constexpr double WIND_DEFAULT_EXPONENT = 1.0 / 7.0;
/// The most rows a wind table holds.
inline constexpr int WIND_TABLE_ROWS = 32;

/// One row of a wind table.
struct WindRow {
    double height;  ///< above the ground, m
    double east;    ///< m/s toward the east
    double north;   ///< m/s toward the north
};

/// The steady wind, relative to the ground.
struct Wind {
    WindProfile profile = WindProfile::Constant;
    double speed = 0.0;      ///< m/s (the power law's: at WIND_REFERENCE_HEIGHT)
    double from = 0.0;       ///< direction it blows from, clockwise from north, deg
    double exponent = WIND_DEFAULT_EXPONENT;  ///< the power law's exponent
    int rows = 0;            ///< rows of `table` in use, in increasing height
    WindRow table[WIND_TABLE_ROWS]{};
};

/// The turbulence's severity: the exceedance curve above 2,000 ft and the usual wind at 20 ft below.
enum class TurbulenceLevel : uint8_t {
    Off,       ///< still air
    Light,     ///< probability of exceedance 10^-2; 25 ft/s at 20 ft
    Moderate,  ///< 10^-3; 50 ft/s
    Severe,    ///< 10^-5; 75 ft/s
};

/// Dryden turbulence over the world.
struct Turbulence {
    TurbulenceLevel level = TurbulenceLevel::Off;
    double w20 = -1.0;  ///< wind speed at 20 ft for the low-altitude model, m/s; negative: the level's usual
    uint64_t seed = 0;  ///< of the turbulence's own random draws
};

/// A discrete gust of the 1 - cos shape, met by every vessel in flight.
struct Gust {
    bool on = false;
    double start = 0.0;   ///< simulation time it begins, s
    double length = 0.0;  ///< distance flown through the air from start to end, m
    double east = 0.0, up = 0.0, north = 0.0;  ///< its peak velocity, m/s
};

/// The air's motion over the world.
struct Weather {
    Wind wind;
    Turbulence turbulence;
    Gust gust;
};

/// Dryden scale lengths and intensities at one height.
struct TurbulenceScales {
    double lu, lv, lw;  ///< scale lengths, m
    double su, sv, sw;  ///< intensities, m/s
};

/// One vessel's turbulence: the Dryden filters' states (each of unit variance) and their outputs.
struct GustState {
    bool started = false;   ///< the filters hold a draw
    uint64_t draws = 0;     ///< random draws taken so far
    double u = 0.0;         ///< longitudinal filter, unit variance
    double v[2]{}, w[2]{};  ///< lateral and vertical filters (first and second stage), unit variance
    double p = 0.0;         ///< roll filter, unit variance
    double q = 0.0, r = 0.0;          ///< pitch and yaw gusts, rad/s
    double wLast = 0.0, vLast = 0.0;  ///< last vertical and lateral gusts, m/s
    double linear[3]{};     ///< u, v, w gusts along, across and normal to the flight path, m/s
    double rate[3]{};       ///< p, q, r gusts about the body's roll, pitch and yaw axes, rad/s
    double gustDistance = 0.0;  ///< distance flown through the air since the discrete gust began, m
};

/// The moving air one vessel meets over a step, taken at the step's start and held over its stages:
/// the steady wind there with its change over height, and the vessel's turbulence and gust.
struct VesselAir {
    GustState turbulence;
    double height = 0.0;   ///< height the steady wind was taken at, m
    double wind[3]{};      ///< the steady wind there, global, m/s
    double shear[3]{};     ///< its change with height, global, m/s per m
    double gust[3]{};      ///< the turbulence's and the discrete gust's velocity, global, m/s
    bool moving = false;   ///< some of `wind`, `shear`, `gust` or the turbulence's rates is nonzero
};

}  // namespace physics
