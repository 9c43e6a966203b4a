#include "planet_motion.h"

#include <cmath>

#include "flight_state.h"
#include "locale.h"

namespace physics {

namespace {

// The body rate of a vessel turning with the planet: its spin (0, -rotation, 0) in body axes, row 1
// of the rotation `rot` (body to global) scaled, rad/s.
VECTOR3 GroundRate(const double (&rot)[3][3], const Planet& planet)
{
    return VECTOR3{-planet.rotation * rot[1][0], -planet.rotation * rot[1][1], -planet.rotation * rot[1][2]};
}

// How far from the ground a vessel placed on it may lie and count as resting there already, m:
// placing it again then keeps the bits a saved file gave it.
constexpr double RESTING = 1e-6;

// The rotation by `angle` rad about the unit `axis`, as a quaternion.
Quat Rotation(double angle, const Vec3& axis)
{
    double s = 0.0, c = 0.0;
    SinCos(0.5 * angle, s, c);
    return Quat(c, s * axis.x(), s * axis.y(), s * axis.z());
}

}  // namespace

void StepKinematicRound(standin::VesselState& state, const Planet& planet, double dt)
{
    FlightState s = ReadState(state);
    Geodetic g = GeodeticOfState(planet, state);
    const Place here = PlaceOfState(planet, state);  // a copy: the state is rewritten below
    const Mat3 axes = LocalAxes(here);
    const Vec3 spin = Spin(planet);
    // Velocity over the ground in the local axes (east, up, north).
    const Vec3 ground = axes.transpose() * (s.vel - spin.cross(s.pos));
    const double e2 = EccentricitySquared(planet);
    const double w = 1.0 - e2 * here.sinLat * here.sinLat;
    const double meridian = planet.radius * (1.0 - e2) / (w * std::sqrt(w));  // radius of curvature north-south
    const double across = (planet.radius / std::sqrt(w) + g.height) * here.cosLat;
    const double north = ground.z() * dt / (meridian + g.height);
    const double east = (std::fabs(across) > 1e-9 * planet.radius ? ground.x() * dt / across : 0.0) + planet.rotation * dt;
    g.latitude += north;
    g.longitude += east;
    g.height += ground.y() * dt;
    Place next = here;
    TurnSinCos(next.sinLat, next.cosLat, north);
    TurnSinCos(next.sinLon, next.cosLon, east);
    next.height = g.height;
    s.pos = PositionOfPlace(planet, next);
    s.vel = LocalAxes(next) * ground + spin.cross(s.pos);
    // The local axes, and the attitude with them, turn north about the old east axis, then east
    // about the polar axis.
    s.att = Rotation(east, Vec3(0.0, -1.0, 0.0)) * Rotation(north, axes.col(0)) * s.att;
    const double angle = s.omega.norm() * dt;
    if (angle > 0.0) {
        s.att = s.att * Quat(Eigen::AngleAxisd(angle, s.omega.normalized()));
    }
    s.att.normalize();
    WriteState(s, state);
    // The next step and this frame's queries start from where it is now known to be.
    RememberPlace(planet, state, g, next);
}

PlanetStep PlanetStepOf(const Planet& planet, double dt)
{
    PlanetStep step;
    step.turn = PlanetTurn(planet, dt);
    step.quat = Rotation(planet.rotation * dt, Vec3(0.0, -1.0, 0.0));
    return step;
}

void TurnWithPlanet(standin::VesselState& state, const Planet& planet, const PlanetStep& step)
{
    const Mat3& turn = step.turn;
    FlightState s = ReadState(state);
    const double across = std::sqrt(s.pos.x() * s.pos.x() + s.pos.z() * s.pos.z());
    s.pos = turn * s.pos;
    // The turn's rounded cosine and sine would shrink or swell the circle a little every step.
    const double turned = std::sqrt(s.pos.x() * s.pos.x() + s.pos.z() * s.pos.z());
    if (turned > 0.0) {
        s.pos.x() *= across / turned;
        s.pos.z() *= across / turned;
    }
    s.att = (step.quat * s.att).normalized();
    s.vel = Spin(planet).cross(s.pos);
    WriteState(s, state);
    state.angVel = GroundRate(state.rot, planet);
}

void PlaceOnRoundGround(standin::Vessel& vessel, const Planet& planet)
{
    standin::VesselState& state = vessel.state;
    FlightState s = ReadState(state);
    const Mat3 rot = s.att.normalized().toRotationMatrix();
    Geodetic g = GeodeticOf(planet, s.pos);
    const Vec3 up = LocalAxes(g.latitude, g.longitude).col(1);
    double lowest = 0.0;
    for (int i = 0; i < 3; ++i) {
        double height = up.dot(rot * ToVec3(vessel.touchdown[i]));
        lowest = i == 0 || height < lowest ? height : lowest;
    }
    if (!(std::fabs(g.height + lowest) <= RESTING)) {
        g.height = 0.0 - lowest;
        state.pos = ToVector3(PositionOf(planet, g));
    }
    // Position, velocity and rate only: the attitude stays as it was set.
    state.vel = ToVector3(Spin(planet).cross(ToVec3(state.pos)));
    state.angVel = GroundRate(state.rot, planet);
}

}  // namespace physics
