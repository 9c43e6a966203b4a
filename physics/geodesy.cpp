#include "geodesy.h"

#include <cmath>

namespace physics {

Vec3 PositionOfPlace(const Planet& planet, const Place& place)
{
    const double e2 = EccentricitySquared(planet);
    // Radius of curvature in the prime vertical.
    const double n = planet.radius / std::sqrt(1.0 - e2 * place.sinLat * place.sinLat);
    const double across = (n + place.height) * place.cosLat;
    return Vec3(across * place.cosLon, (n * (1.0 - e2) + place.height) * place.sinLat, across * place.sinLon);
}

Vec3 PositionOf(const Planet& planet, const Geodetic& g)
{
    return PositionOfPlace(planet, Place{std::sin(g.latitude), std::cos(g.latitude), std::sin(g.longitude),
                                    std::cos(g.longitude), g.height});
}

namespace {

// Fills the longitude of `p` (m), `across` m from the axis, into `place`, and its height along the
// normal at the latitude `place` holds: stationary in the latitude, so any error left in it barely
// shows, and free of the cancellation near the poles.
void FinishPlace(const Planet& planet, const Vec3& p, double across, Place& place)
{
    const double e2 = EccentricitySquared(planet);
    place.sinLon = across > 0.0 ? p.z() / across : 0.0;
    place.cosLon = across > 0.0 ? p.x() / across : 1.0;
    place.height = across * place.cosLat + p.y() * place.sinLat -
                   planet.radius * std::sqrt(1.0 - e2 * place.sinLat * place.sinLat);
}

}  // namespace

Place PlaceOf(const Planet& planet, const Vec3& p)
{
    const double a = planet.radius;
    const double e2 = EccentricitySquared(planet);
    const double b = a * (1.0 - planet.flattening);
    const double axial = p.y();
    const double pp = p.x() * p.x() + p.z() * p.z();
    const double across = std::sqrt(pp);  // distance from the rotation axis
    if (!(across + std::fabs(axial) > 1e-9 * a)) {
        return Place{0.0, 1.0, 0.0, 1.0, -b};  // the centre: no direction to take a latitude from
    }
    Place place;
    // Heikkinen's closed form for the latitude.
    const double bb = b * b, zz = axial * axial;
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
    const double north = axial + e2 / (1.0 - e2) * z0;
    const double norm = std::sqrt(north * north + pp);
    place.sinLat = north / norm;
    place.cosLat = across / norm;
    FinishPlace(planet, p, across, place);
    return place;
}

Place PlaceNear(const Planet& planet, const Vec3& p, const Place& guess)
{
    const double a = planet.radius;
    const double e2 = EccentricitySquared(planet);
    const double axial = p.y();
    const double across = std::sqrt(p.x() * p.x() + p.z() * p.z());
    Place place = guess;
    // The foot of the normal through p lies where f(lat) = across sin - axial cos - e2 N sin cos = 0.
    const double s = guess.sinLat, c = guess.cosLat;
    const double w = 1.0 - e2 * s * s;
    const double n = a / std::sqrt(w);
    const double f = across * s - axial * c - e2 * n * s * c;
    const double slope = across * c + axial * s - e2 * n * (e2 * s * s * c * c / w + c * c - s * s);
    TurnSinCos(place.sinLat, place.cosLat, -f / slope);
    FinishPlace(planet, p, across, place);
    return place;
}

void SinCos(double angle, double& s, double& c)
{
    if (std::fabs(angle) < 1e-3) {
        // The reciprocals' rounding touches terms a million times below the angle: no bit of the sum.
        constexpr double SIXTH = 1.0 / 6.0, TWENTIETH = 1.0 / 20.0, TWELFTH = 1.0 / 12.0, THIRTIETH = 1.0 / 30.0;
        const double d2 = angle * angle;
        s = angle * (1.0 - d2 * SIXTH * (1.0 - d2 * TWENTIETH));
        c = 1.0 - d2 * 0.5 * (1.0 - d2 * TWELFTH * (1.0 - d2 * THIRTIETH));
    } else {
        s = std::sin(angle);
        c = std::cos(angle);
    }
}

void TurnSinCos(double& s, double& c, double delta)
{
    double sd = 0.0, cd = 0.0;
    SinCos(delta, sd, cd);
    const double s1 = s * cd + c * sd, c1 = c * cd - s * sd;
    // Back onto the unit circle, which the turn leaves by a few parts in 1e16 at most: the first
    // term of 1/sqrt about 1 is exact to the last bit there.
    const double scale = 1.5 - 0.5 * (s1 * s1 + c1 * c1);
    s = s1 * scale;
    c = c1 * scale;
}

Geodetic GeodeticOf(const Planet& planet, const Vec3& p)
{
    const Place place = PlaceOf(planet, p);
    return Geodetic{std::atan2(place.sinLat, place.cosLat), std::atan2(p.z(), p.x()), place.height};
}

Mat3 LocalAxes(const Place& place)
{
    Mat3 axes;
    axes << -place.sinLon, place.cosLat * place.cosLon, -place.sinLat * place.cosLon,
            0.0, place.sinLat, place.cosLat,
            place.cosLon, place.cosLat * place.sinLon, -place.sinLat * place.sinLon;
    return axes;
}

Mat3 LocalAxes(double latitude, double longitude)
{
    return LocalAxes(Place{std::sin(latitude), std::cos(latitude), std::sin(longitude), std::cos(longitude), 0.0});
}

Mat3 PlanetTurn(const Planet& planet, double time)
{
    double s = 0.0, c = 1.0;
    SinCos(planet.rotation * time, s, c);
    Mat3 turn;
    turn << c, 0.0, -s,
            0.0, 1.0, 0.0,
            s, 0.0, c;
    return turn;
}

Vec3 GravityAt(const Planet& planet, const Vec3& p)
{
    const double r2 = p.squaredNorm();
    if (!(r2 > 0.0)) {
        return Vec3::Zero();
    }
    // One division: every stage of every step asks.
    const double inverse = 1.0 / std::sqrt(r2);
    const double inverse2 = inverse * inverse;
    const double central = -planet.gm * inverse2 * inverse;
    const double k = 1.5 * planet.j2 * planet.radius * planet.radius * inverse2;
    const double u = p.y() * p.y() * inverse2;
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
