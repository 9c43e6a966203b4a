// Each frame of a steered vessel: its course and speed turned toward where its route or reaction
// takes it, a weave laid across them, and the velocity and attitude that follow.
#include <cmath>
#include <numbers>

#include "physics/flight_state.h"
#include "physics/locale.h"
#include "local_frame.h"
#include "steering.h"

namespace standin {

namespace {

constexpr double DEG = std::numbers::pi / 180.0;
constexpr double TWO_PI = 2.0 * std::numbers::pi;

// `deg` as a turn in (-180, 180].
double TurnOf(double deg)
{
    double turn = std::fmod(deg, 360.0);
    turn = turn > 180.0 ? turn - 360.0 : turn;
    return turn <= -180.0 ? turn + 360.0 : turn;
}

// How fast `rule` turns a vessel at `speed` m/s, deg/s; a vessel at rest does not turn.
double RateOf(const TurnRule& rule, double speed)
{
    if (!rule.byAcceleration) {
        return rule.value;
    }
    return speed > 0.0 ? rule.value / speed / DEG : 0.0;
}

// A point as seen from a vessel: east, north and up of it in its local axes, m.
struct Offset {
    double east = 0.0, north = 0.0, up = 0.0;
};

Offset OffsetTo(const World& w, const Vessel& v, const VECTOR3& point)
{
    const VECTOR3& p = v.state.pos;
    const VECTOR3 d{point.x - p.x, point.y - p.y, point.z - p.z};
    const VECTOR3 local = ToLocal(w.physics.planet, v.state, d);
    return Offset{local.x, local.z, local.y};
}

// Where waypoint `p` is now, global, m: over the flat ground at the vessel's own height, over a
// round planet on the ellipsoid (what lies east and north of the vessel differs by no more).
VECTOR3 PlaceOf(const World& w, const Vessel& v, const Waypoint& p)
{
    const physics::Planet& planet = w.physics.planet;
    if (!planet.round) {
        return VECTOR3{p.a, v.state.pos.y, p.b};
    }
    return physics::ToVector3(physics::PlanetTurn(planet, w.simt) * physics::ToVec3(p.fixed));
}

// What the vessel's route asks of it this frame.
struct Goal {
    double course;      // deg
    double speed;       // m/s
    double rate = 0.0;  // deg/s
    double climb = 0.0; // m/s
    double sine = NAN, cosine = NAN;  // of the course, when the route's offset gives them
};

void ReactionGoal(const World& w, const Vessel& v, Goal& goal)
{
    const Steering& s = v.steering;
    if (s.reaction != ReactionKind::Turn) {
        goal.speed = s.reaction == ReactionKind::Stop ? 0.0 : s.reactionSpeed;
        return;
    }
    goal.speed = std::isnan(s.reactionSpeed) ? goal.speed : s.reactionSpeed;
    goal.rate = RateOf(s.reactionTurn, s.speed);
    if (s.side == TurnSide::To) {
        goal.course = s.angle;
    } else if (const Vessel* weapon = WeaponOf(w, v, false)) {
        const Offset from = OffsetTo(w, v, weapon->state.pos);
        goal.course = CourseOf(std::atan2(-from.east, -from.north) / DEG);
    }
}

// Where waypoint `p` lies from the point the vessel weaves about.
Offset Aim(const World& w, const Vessel& v, const Waypoint& p)
{
    const Steering& s = v.steering;
    Offset to = OffsetTo(w, v, PlaceOf(w, v, p));
    if (s.weaveAmplitude > 0.0) {
        const double across = s.weaveAmplitude * std::sin(s.weavePhase);
        to.east += across * std::cos(s.course * DEG);
        to.north -= across * std::sin(s.course * DEG);
    }
    return to;
}

void RouteGoal(const World& w, Vessel& v, double dt, Goal& goal)
{
    Steering& s = v.steering;
    const size_t count = s.waypoints.size();
    Offset to;
    if (s.next < count) {
        to = Aim(w, v, s.waypoints[s.next]);
        // Reached within this frame: make for the next.
        if (std::sqrt(to.east * to.east + to.north * to.north) <= s.speed * dt) {
            s.next = s.end == RouteEnd::Loop ? (s.next + 1) % count : s.next + 1;
            to = s.next < count ? Aim(w, v, s.waypoints[s.next]) : to;
        }
    }
    if (s.next >= count) {
        goal.speed = s.end == RouteEnd::Stop ? 0.0 : s.speed;
        return;
    }
    const Waypoint& p = s.waypoints[s.next];
    const double distance = std::sqrt(to.east * to.east + to.north * to.north);
    goal.course = CourseOf(std::atan2(to.east, to.north) / DEG);
    goal.sine = distance > 0.0 ? to.east / distance : NAN;
    goal.cosine = distance > 0.0 ? to.north / distance : NAN;
    goal.speed = p.speed;
    if (s.end == RouteEnd::Stop && s.next + 1 == count) {
        goal.speed = std::fmin(goal.speed, std::sqrt(2.0 * s.acceleration * distance));  // brakes onto the last
    }
    goal.rate = RateOf(s.routeTurn, s.speed);
    if (!std::isnan(p.height) && distance > 0.0) {
        goal.climb = (p.height - AltitudeOf(w.physics.planet, v.state)) * s.speed / distance;
    }
    // A waypoint inside the circle the vessel would turn on cannot be reached by turning: it flies
    // straight on until the waypoint lies outside.
    if (goal.rate > 0.0 && s.speed > 0.0) {
        const double radius = s.speed / (goal.rate * DEG);
        const double side = TurnOf(goal.course - s.course) >= 0.0 ? radius : -radius;
        const double centreEast = side * std::cos(s.course * DEG), centreNorth = -side * std::sin(s.course * DEG);
        const double east = to.east - centreEast, north = to.north - centreNorth;
        if (east * east + north * north < radius * radius) {
            goal.rate = 0.0;
        }
    }
}

// Turns the course and changes the speed of `v` toward where its route or reaction takes it over
// the next `dt` s; returns the velocity over the ground it flies them at, local east, up, north, m/s.
physics::Vec3 Steer(World& w, Vessel& v, double dt)
{
    Steering& s = v.steering;
    Goal goal{s.course, s.speed};
    if (s.fired) {
        ReactionGoal(w, v, goal);
    } else if (!s.waypoints.empty()) {
        RouteGoal(w, v, dt, goal);
    }
    const double change = s.acceleration * dt;
    s.speed = std::fabs(goal.speed - s.speed) <= change ? goal.speed : s.speed + std::copysign(change, goal.speed - s.speed);
    const double turn = TurnOf(goal.course - s.course), most = goal.rate * dt;
    const bool onGoal = std::fabs(turn) <= most;
    s.course = onGoal ? goal.course : CourseOf(s.course + std::copysign(most, turn));
    // The weave moves the vessel across its course by the change of amplitude * sin(phase), while
    // it moves at all.
    double across = 0.0;
    if (s.weaveAmplitude > 0.0 && s.speed > 0.0) {
        const double phase = s.weavePhase + TWO_PI * dt / s.weavePeriod;
        across = s.weaveAmplitude * (std::sin(phase) - std::sin(s.weavePhase)) / dt;
        s.weavePhase = phase >= TWO_PI ? phase - TWO_PI : phase;
    }
    // On the course to its waypoint the offset gives the course's sine and cosine.
    const bool given = onGoal && !std::isnan(goal.sine);
    const double sinCourse = given ? goal.sine : std::sin(s.course * DEG);
    const double cosCourse = given ? goal.cosine : std::cos(s.course * DEG);
    return physics::Vec3(s.speed * sinCourse + across * cosCourse, goal.climb, s.speed * cosCourse - across * sinCourse);
}


// Moves `v` over `dt` s at `ground` (local east, up, north, m/s) above the round planet, keeping its
// height rate and its velocity over the ground in its local axes; returns its new local axes.
physics::Mat3 MoveOverRound(const physics::Planet& planet, Vessel& v, const physics::Vec3& ground, double dt)
{
    const physics::Place here = physics::PlaceOfState(planet, v.state);
    const double e2 = physics::EccentricitySquared(planet);
    const double w = 1.0 - e2 * here.sinLat * here.sinLat;
    const double meridian = planet.radius * (1.0 - e2) / (w * std::sqrt(w));  // radius of curvature north-south
    const double across = (planet.radius / std::sqrt(w) + here.height) * here.cosLat;
    const double north = ground.z() * dt / (meridian + here.height);
    const double east = (std::fabs(across) > 1e-9 * planet.radius ? ground.x() * dt / across : 0.0) + planet.rotation * dt;
    physics::Place next = here;
    physics::TurnSinCos(next.sinLat, next.cosLat, north);
    physics::TurnSinCos(next.sinLon, next.cosLon, east);
    next.height = here.height + ground.y() * dt;
    const physics::Vec3 pos = physics::PositionOfPlace(planet, next);
    physics::Mat3 axes = physics::LocalAxes(next);
    v.state.pos = physics::ToVector3(pos);
    v.state.vel = physics::ToVector3(axes * ground + physics::Spin(planet).cross(pos));
    // The next frame starts from this place, which a save writes (PLACE) so that the file flies on
    // to the same bits.
    v.state.placeMemo = PlaceMemo{v.state.pos, planet.radius, planet.flattening, next};
    return axes;
}

// Points `v` along `ground`, the velocity over the ground it flew the frame at (local east, up,
// north, the same in the local axes `axes` it has arrived in), its wings level.
void FaceTrack(Vessel& v, const physics::Vec3& ground, const physics::Mat3& axes)
{
    const double level = std::sqrt(ground.x() * ground.x() + ground.z() * ground.z());
    const double speed = std::sqrt(level * level + ground.y() * ground.y());
    const double sinHeading = level > 0.0 ? ground.x() / level : std::sin(v.steering.course * DEG);
    const double cosHeading = level > 0.0 ? ground.z() / level : std::cos(v.steering.course * DEG);
    const double sinPitch = speed > 0.0 ? ground.y() / speed : 0.0, cosPitch = speed > 0.0 ? level / speed : 1.0;
    physics::Mat3 local;
    local.col(0) = physics::Vec3(cosHeading, 0.0, -sinHeading);
    local.col(1) = physics::Vec3(-sinPitch * sinHeading, cosPitch, -sinPitch * cosHeading);
    local.col(2) = physics::Vec3(cosPitch * sinHeading, sinPitch, cosPitch * cosHeading);
    const physics::Mat3 rot = axes * local;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            v.state.rot[i][j] = rot(i, j);
        }
    }
    physics::QuatFromRot(v.state);
    v.state.anglesExact = false;
    v.state.angVel = VECTOR3{0.0, 0.0, 0.0};
}

}  // namespace

double CourseTo(const World& w, const Vessel& v, const Waypoint& p)
{
    const Offset to = OffsetTo(w, v, PlaceOf(w, v, p));
    return CourseOf(std::atan2(to.east, to.north) / DEG);
}

void FlySteered(World& w, Vessel& v, double dt)
{
    const physics::Vec3 ground = Steer(w, v, dt);
    const physics::Planet& planet = w.physics.planet;
    if (planet.round) {
        FaceTrack(v, ground, MoveOverRound(planet, v, ground, dt));
        return;
    }
    v.state.vel = physics::ToVector3(ground);
    v.state.pos = VECTOR3{v.state.pos.x + ground.x() * dt, v.state.pos.y + ground.y() * dt, v.state.pos.z + ground.z() * dt};
    FaceTrack(v, ground, physics::Mat3::Identity());
}

}  // namespace standin
