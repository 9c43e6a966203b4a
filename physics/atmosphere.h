// The air the host flies through: the 1976 standard atmosphere, with no wind.
#pragma once

#include "host/host_export.h"

namespace physics {

/// The state of the air at one altitude.
struct AirState {
    double temperature;  ///< K
    double pressure;     ///< Pa
    double density;      ///< kg/m^3
    double soundSpeed;   ///< m/s
    double viscosity;    ///< dynamic viscosity, Pa s
};

/// Highest altitude of the standard's layer tables, geometric, m.
inline constexpr double ATMOSPHERE_TABLE_TOP = 86000.0;
/// Altitude from which the air is a vacuum, geometric, m.
inline constexpr double ATMOSPHERE_TOP = 120000.0;

/// Geopotential altitude of the geometric altitude `altitude`, m (Earth radius 6,356,766 m).
ZAPI_EXPORT double GeopotentialAltitude(double altitude);

/// The 1976 US Standard Atmosphere at geometric altitude `altitude` m: temperature, pressure,
/// density and speed of sound from its seven layers up to 86 km (below the ground the lowest layer
/// goes on); dynamic viscosity by Sutherland's law. Above 86 km the isothermal top layer goes on,
/// faded smoothly to a vacuum at 120 km, so that density and pressure are continuous with their
/// slopes and reach exactly zero. A NaN altitude gives NaN values.
ZAPI_EXPORT AirState Atmosphere(double altitude);

/// The air at one altitude with the slopes of its density and pressure, for stages near it.
struct AirSlope {
    double altitude;     ///< geometric, m
    AirState air;        ///< the air there
    double densityRate;  ///< d(density)/d(altitude), kg/m^4
    double pressureRate; ///< d(pressure)/d(altitude), Pa/m
};

/// Atmosphere(altitude) with the slopes of density and pressure (hydrostatic, with the lapse rate
/// and the change from geometric to geopotential altitude, and the fade above 86 km).
ZAPI_EXPORT AirSlope AtmosphereSlope(double altitude);

/// The air at `altitude`, a few metres from `slope.altitude`: density and pressure carried along
/// their slopes (never below 0), temperature, speed of sound and viscosity as there. Within a step
/// of a flight this is the standard atmosphere to a few parts in ten million.
AirState AirNear(const AirSlope& slope, double altitude);

}  // namespace physics
