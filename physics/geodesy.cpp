#include "geodesy.h"

#include <cmath>

namespace physics {

Vec3 PositionOf(const Planet& planet, const Geodetic& g)
{
    const double e2 = EccentricitySquared(planet);
    const double sinLat = std::sin(g.latitude), cosLat = std::cos(g.latitude);
    // Radius of curvature in the prime vertical.
    const double n = planet.radius / std::sqrt(1.0 - e2 * sinLat * sinLat);
    const double across = (n + g.height) * cosLat;
    return Vec3(across * std::cos(g.longitude), (n * (1.0 - e2) + g.height) * sinLat, across * std::sin(g.longitude));
}

Geodetic GeodeticOf(const Planet& planet, const Vec3& p)
{
    const double a = planet.radius;
    const double e2 = EccentricitySquared(planet);
    const double b = a * (1.0 - planet.flattening);
    const double axial = p.y();
    const double across = std::hypot(p.x(), p.z());  // distance from the rotation axis
    Geodetic g{0.0, std::atan2(p.z(), p.x()), -b};
    if (!(across + std::fabs(axial) > 1e-9 * a)) {
        return g;  // the centre: no direction to take a latitude from
    }
    // Heikkinen's closed form for the latitude.
    const double bb = b * b, zz = axial * axial, pp = across * across;
    const double f = 54.0 * bb * zz;
    const double gg = pp + (1.0 - e2) * zz - e2 * (a * a - bb);
    const double c = e2 * e2 * f * pp / (gg * gg * gg);
    const double s = std::cbrt(1.0 + c + std::sqrt(c * c + 2.0 * c));
    const double k = s + 1.0 + 1.0 / s;
    const double pk = f / (3.0 * k * k * gg * gg);
    const double q = std::sqrt(1.0 + 2.0 * e2 * e2 * pk);
    const double inner = 0.5 * a * a * (1.0 + 1.0 / q) - pk * (1.0 - e2) * zz / (q * (1.0 + q)) - 0.5 * pk * pp;
    const double r0 = -(pk * e2 * across) / (1.0 + q) + std::sqrt(inner > 0.0 ? inner : 0.0);
    const double d = across - e2 * r0;
    const double v = std::sqrt(d * d + (1.0 - e2) * zz);
    const double z0 = bb * axial / (a * v);
    g.latitude = std::atan2(axial + e2 / (1.0 - e2) * z0, across);
    // The height along the normal at that latitude: stationary in the latitude, so any error left in
    // it barely shows, and free of the cancellation near the poles.
    const double sinLat = std::sin(g.latitude), cosLat = std::cos(g.latitude);
    g.height = across * cosLat + axial * sinLat - a * std::sqrt(1.0 - e2 * sinLat * sinLat);
    return g;
}

Mat3 LocalAxes(double latitude, double longitude)
{
    const double sinLat = std::sin(latitude), cosLat = std::cos(latitude);
    const double sinLon = std::sin(longitude), cosLon = std::cos(longitude);
    Mat3 axes;
    axes << -sinLon, cosLat * cosLon, -sinLat * cosLon,
            0.0, sinLat, cosLat,
            cosLon, cosLat * sinLon, -sinLat * sinLon;
    return axes;
}

Mat3 PlanetTurn(const Planet& planet, double time)
{
    const double angle = planet.rotation * time;
    const double c = std::cos(angle), s = std::sin(angle);
    Mat3 turn;
    turn << c, 0.0, -s,
            0.0, 1.0, 0.0,
            s, 0.0, c;
    return turn;
}

Vec3 GravityAt(const Planet& planet, const Vec3& p)
{
    const double r2 = p.squaredNorm();
    const double r = std::sqrt(r2);
    if (!(r > 0.0)) {
        return Vec3::Zero();
    }
    const double central = -planet.gm / (r2 * r);
    const double k = 1.5 * planet.j2 * planet.radius * planet.radius / r2;
    const double u = p.y() * p.y() / r2;
    const double equatorial = central * (1.0 + k * (1.0 - 5.0 * u));
    return Vec3(equatorial * p.x(), central * (1.0 + k * (3.0 - 5.0 * u)) * p.y(), equatorial * p.z());
}

double GravityPotential(const Planet& planet, const Vec3& p)
{
    const double r2 = p.squaredNorm();
    const double r = std::sqrt(r2);
    const double u = p.y() * p.y() / r2;
    return -planet.gm / r * (1.0 - planet.j2 * planet.radius * planet.radius / r2 * 0.5 * (3.0 * u - 1.0));
}

}  // namespace physics
