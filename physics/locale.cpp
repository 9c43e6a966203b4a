#include "locale.h"

#include <cmath>

namespace physics {

Locale LocaleAt(const Planet& planet, const Vec3& pos)
{
    Locale locale;
    locale.origin = pos;
    locale.where = GeodeticOf(planet, pos);
    const double cosLat = std::cos(locale.where.latitude);
    locale.up = Vec3(cosLat * std::cos(locale.where.longitude), std::sin(locale.where.latitude),
                     cosLat * std::sin(locale.where.longitude));
    locale.spin = Spin(planet);
    return locale;
}

}  // namespace physics
