#include "atmosphere.h"

#include <cmath>

namespace physics {

namespace {

constexpr double G0 = 9.80665;              // m/s^2
constexpr double GAS_CONSTANT = 8314.32;    // J/(kmol K)
constexpr double MOLAR_MASS = 28.9644;      // kg/kmol
constexpr double EARTH_RADIUS = 6356766.0;  // m
constexpr double GAMMA = 1.4;
constexpr double SUTHERLAND_BETA = 1.458e-6;  // kg/(m s K^0.5)
constexpr double SUTHERLAND_S = 110.4;        // K
constexpr double GMR = G0 * MOLAR_MASS / GAS_CONSTANT;  // K/m

struct Layer {
    double base;   // geopotential altitude, m
    double lapse;  // K/m
};

constexpr Layer LAYERS[] = {
    {0.0, -0.0065}, {11000.0, 0.0}, {20000.0, 0.001}, {32000.0, 0.0028},
    {47000.0, 0.0}, {51000.0, -0.0028}, {71000.0, -0.002}, {84852.0, 0.0},
};
constexpr int LAYER_COUNT = sizeof LAYERS / sizeof LAYERS[0];

// Base temperature and pressure of each layer, carried up from sea level by the hydrostatic
// equation, so that the layers meet exactly.
struct LayerBases {
    double temperature[LAYER_COUNT];
    double pressure[LAYER_COUNT];

    LayerBases()
    {
        temperature[0] = 288.15;
        pressure[0] = 101325.0;
        for (int i = 1; i < LAYER_COUNT; ++i) {
            const Layer& below = LAYERS[i - 1];
            double height = LAYERS[i].base - below.base;
            temperature[i] = temperature[i - 1] + below.lapse * height;
            pressure[i] = PressureIn(i - 1, height, temperature[i]);
        }
    }

    // Pressure `height` m above the base of `layer`, where the temperature is `top` K.
    double PressureIn(int layer, double height, double top) const
    {
        double lapse = LAYERS[layer].lapse;
        if (lapse == 0.0) {
            return pressure[layer] * std::exp(-GMR * height / top);
        }
        return pressure[layer] * std::pow(temperature[layer] / top, GMR / lapse);
    }
};

const LayerBases& Bases()
{
    static const LayerBases bases;
    return bases;
}

// Smooth fade from 1 at the table's top to 0 at the top of the air: value and slope continuous.
double Fade(double altitude)
{
    if (altitude <= ATMOSPHERE_TABLE_TOP) {
        return 1.0;
    }
    if (altitude >= ATMOSPHERE_TOP) {
        return 0.0;
    }
    double u = (altitude - ATMOSPHERE_TABLE_TOP) / (ATMOSPHERE_TOP - ATMOSPHERE_TABLE_TOP);
    return 1.0 - u * u * (3.0 - 2.0 * u);
}

}  // namespace

double GeopotentialAltitude(double altitude)
{
    return EARTH_RADIUS * altitude / (EARTH_RADIUS + altitude);
}

namespace {

// The layer holding geopotential altitude `h`.
int LayerOf(double h)
{
    int layer = 0;
    while (layer + 1 < LAYER_COUNT && h >= LAYERS[layer + 1].base) {
        ++layer;
    }
    return layer;
}

}  // namespace

AirSlope AtmosphereSlope(double altitude)
{
    AirSlope slope;
    slope.altitude = altitude;
    slope.air = Atmosphere(altitude);
    const double h = GeopotentialAltitude(altitude);
    const double lapse = LAYERS[LayerOf(h)].lapse;
    const double t = slope.air.temperature;
    const double stretch = EARTH_RADIUS / (EARTH_RADIUS + altitude);  // dH/dh = stretch^2
    double fade = Fade(altitude), fadeRate = 0.0;
    if (altitude > ATMOSPHERE_TABLE_TOP && altitude < ATMOSPHERE_TOP) {
        const double span = ATMOSPHERE_TOP - ATMOSPHERE_TABLE_TOP;
        const double u = (altitude - ATMOSPHERE_TABLE_TOP) / span;
        fadeRate = -6.0 * u * (1.0 - u) / span;
    }
    // Hydrostatic: dp/dH = -p g M / (R T); and rho = p M / (R T), so drho/dH = rho (-g M / (R T) - L / T).
    const double unfadedPressure = fade > 0.0 ? slope.air.pressure / fade : 0.0;
    const double unfadedDensity = fade > 0.0 ? slope.air.density / fade : 0.0;
    const double dH = stretch * stretch;
    slope.pressureRate = (-unfadedPressure * GMR / t * dH) * fade + unfadedPressure * fadeRate;
    slope.densityRate = (unfadedDensity * (-GMR / t - lapse / t) * dH) * fade + unfadedDensity * fadeRate;
    return slope;
}

AirState AirNear(const AirSlope& slope, double altitude)
{
    AirState air = slope.air;
    const double dh = altitude - slope.altitude;
    const double density = air.density + slope.densityRate * dh;
    const double pressure = air.pressure + slope.pressureRate * dh;
    air.density = density > 0.0 ? density : 0.0;
    air.pressure = pressure > 0.0 ? pressure : 0.0;
    return air;
}

AirState Atmosphere(double altitude)
{
    const LayerBases& bases = Bases();
    double h = GeopotentialAltitude(altitude);
    int layer = LayerOf(h);
    double height = h - LAYERS[layer].base;
    double temperature = bases.temperature[layer] + LAYERS[layer].lapse * height;
    double pressure = bases.PressureIn(layer, height, temperature) * Fade(altitude);
    AirState air;
    air.temperature = temperature;
    air.pressure = pressure;
    air.density = pressure * MOLAR_MASS / (GAS_CONSTANT * temperature);
    air.soundSpeed = std::sqrt(GAMMA * GAS_CONSTANT / MOLAR_MASS * temperature);
    air.viscosity = SUTHERLAND_BETA * temperature * std::sqrt(temperature) / (temperature + SUTHERLAND_S);
    return air;
}

}  // namespace physics
