#include "planet_motion.h"

#include <cmath>

#include "flight_state.h"
#include "locale.h"

namespace physics {

namespace {

// `state` at rest on the ground at `pos`, turning with the planet.
void RestOnGround(FlightState& s, const Planet& planet)
{
    const Vec3 spin = Spin(planet);
    s.vel = spin.cross(s.pos);
    s.omega = s.att.conjugate() * spin;
}

}  // namespace

void StepKinematicRound(standin::VesselState& state, const Planet& planet, double dt)
{
    FlightState s = ReadState(state);
    const Locale locale = LocaleAt(planet, s.pos);
    const Mat3 axes = LocalAxes(locale.where.latitude, locale.where.longitude);
    // Velocity over the ground and attitude, in the local axes (east, up, north).
    const Vec3 ground = axes.transpose() * (s.vel - AirVelocity(locale, s.pos));
    const Mat3 local = axes.transpose() * s.att.toRotationMatrix();
    Geodetic g = locale.where;
    const double e2 = EccentricitySquared(planet);
    const double sinLat = std::sin(g.latitude);
    const double w = 1.0 - e2 * sinLat * sinLat;
    const double meridian = planet.radius * (1.0 - e2) / (w * std::sqrt(w));  // radius of curvature north-south
    const double across = (planet.radius / std::sqrt(w) + g.height) * std::cos(g.latitude);
    g.latitude += ground.z() * dt / (meridian + g.height);
    if (std::fabs(across) > 1e-9 * planet.radius) {
        g.longitude += ground.x() * dt / across;
    }
    g.longitude += planet.rotation * dt;
    g.height += ground.y() * dt;
    s.pos = PositionOf(planet, g);
    const Mat3 next = LocalAxes(g.latitude, g.longitude);
    s.vel = next * ground + AirVelocity(locale, s.pos);
    s.att = Quat(next * local);
    const double angle = s.omega.norm() * dt;
    if (angle > 0.0) {
        s.att = s.att * Quat(Eigen::AngleAxisd(angle, s.omega.normalized()));
    }
    s.att.normalize();
    WriteState(s, state);
}

void TurnWithPlanet(standin::VesselState& state, const Planet& planet, double dt)
{
    FlightState s = ReadState(state);
    const Mat3 turn = PlanetTurn(planet, dt);
    const double across = std::hypot(s.pos.x(), s.pos.z());
    s.pos = turn * s.pos;
    // The turn's rounded cosine and sine would shrink or swell the circle a little every step.
    const double turned = std::hypot(s.pos.x(), s.pos.z());
    if (turned > 0.0) {
        s.pos.x() *= across / turned;
        s.pos.z() *= across / turned;
    }
    s.att = (Quat(turn) * s.att).normalized();
    RestOnGround(s, planet);
    WriteState(s, state);
}

void PlaceOnRoundGround(standin::Vessel& vessel, const Planet& planet)
{
    FlightState s = ReadState(vessel.state);
    const Mat3 rot = s.att.normalized().toRotationMatrix();
    Geodetic g = GeodeticOf(planet, s.pos);
    const Vec3 up = LocalAxes(g.latitude, g.longitude).col(1);
    double lowest = 0.0;
    for (int i = 0; i < 3; ++i) {
        double height = up.dot(rot * ToVec3(vessel.touchdown[i]));
        lowest = i == 0 || height < lowest ? height : lowest;
    }
    g.height = 0.0 - lowest;
    s.pos = PositionOf(planet, g);
    RestOnGround(s, planet);
    // Position, velocity and rate only: the attitude stays as it was set, exact angles included.
    vessel.state.pos = ToVector3(s.pos);
    vessel.state.vel = ToVector3(s.vel);
    vessel.state.angVel = ToVector3(s.omega);
}

}  // namespace physics
