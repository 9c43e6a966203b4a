#include "wind.h"

#include <cmath>
#include <numbers>

namespace physics {

WindVector SteadyWind(const Wind& wind, double height)
{
    if (wind.profile == WindProfile::Table) {
        const WindRow* rows = wind.table;
        const int n = wind.rows;
        if (n == 0) {
            return WindVector{0.0, 0.0};
        }
        if (!(height > rows[0].height)) {
            return WindVector{rows[0].east, rows[0].north};
        }
        for (int i = 1; i < n; ++i) {
            if (height < rows[i].height) {
                const WindRow& a = rows[i - 1];
                const WindRow& b = rows[i];
                double t = (height - a.height) / (b.height - a.height);
                return WindVector{a.east + t * (b.east - a.east), a.north + t * (b.north - a.north)};
            }
        }
        return WindVector{rows[n - 1].east, rows[n - 1].north};
    }
    double speed = wind.speed;
    if (wind.profile == WindProfile::Power) {
        speed = height > 0.0 ? wind.speed * std::pow(height / WIND_REFERENCE_HEIGHT, wind.exponent) : 0.0;
    }
    // It blows from `from`: toward the opposite direction.
    const double from = wind.from * (std::numbers::pi / 180.0);
    return WindVector{-speed * std::sin(from), -speed * std::cos(from)};
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
