#include "wind.h"

#include <cmath>
#include <numbers>

namespace physics {

WindVector SteadyWind(const Wind& wind, double height, WindVector* shear)
{
    WindVector slope{0.0, 0.0};
    WindVector at{0.0, 0.0};
    if (wind.profile == WindProfile::Table) {
        const WindRow* rows = wind.table;
        const int n = wind.rows;
        int i = 0;
        while (i < n && !(height < rows[i].height)) {
            ++i;
        }
        if (n == 0) {
            at = WindVector{0.0, 0.0};
        } else if (i == 0 || i == n) {
            // Beyond the ends the nearest row holds.
            at = WindVector{rows[i == 0 ? 0 : n - 1].east, rows[i == 0 ? 0 : n - 1].north};
        } else {
            const WindRow& a = rows[i - 1];
            const WindRow& b = rows[i];
            const double span = b.height - a.height, t = (height - a.height) / span;
            at = WindVector{a.east + t * (b.east - a.east), a.north + t * (b.north - a.north)};
            slope = WindVector{(b.east - a.east) / span, (b.north - a.north) / span};
        }
    } else {
        double speed = wind.speed, rate = 0.0;
        if (wind.profile == WindProfile::Power) {
            speed = height > 0.0 ? wind.speed * std::pow(height / WIND_REFERENCE_HEIGHT, wind.exponent) : 0.0;
            rate = height > 0.0 ? speed * wind.exponent / height : 0.0;
        }
        if (speed != 0.0 || rate != 0.0) {
            // It blows from `from`: toward the opposite direction.
            const double from = wind.from * (std::numbers::pi / 180.0);
            const double east = -std::sin(from), north = -std::cos(from);
            at = WindVector{speed * east, speed * north};
            slope = WindVector{rate * east, rate * north};
        }
    }
    if (shear != nullptr) {
        *shear = slope;
    }
    return at;
}

double GustShape(const Gust& gust, double distance)
{
    if (!gust.on || !(distance >= 0.0) || !(distance <= gust.length) || !(gust.length > 0.0)) {
        return 0.0;
    }
    return 0.5 * (1.0 - std::cos(2.0 * std::numbers::pi * distance / gust.length));
}

bool AirMoves(const Weather& weather)
{
    const Wind& wind = weather.wind;
    bool moves = wind.profile != WindProfile::Table && wind.speed != 0.0;
    for (int i = 0; i < wind.rows && wind.profile == WindProfile::Table; ++i) {
        moves = moves || wind.table[i].east != 0.0 || wind.table[i].north != 0.0;
    }
    const Gust& gust = weather.gust;
    moves = moves || (gust.on && gust.length > 0.0 && (gust.east != 0.0 || gust.up != 0.0 || gust.north != 0.0));
    return moves || weather.turbulence.level != TurbulenceLevel::Off;
}

}  // namespace physics
