// How a kinematic vessel is steered over the ground: its course and speed, a route of waypoints, a
// weave about its course, and a reaction that a trigger sets off. Plain data, stepped by the host.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "host/zelvar.h"

namespace standin {

/// How fast a vessel turns.
struct TurnRule {
    double value = 0.0;           ///< deg/s, or m/s^2
    bool byAcceleration = false;  ///< false: `value` is a rate; true: a lateral acceleration
};

/// A point a route makes for.
struct Waypoint {
    double a = 0.0;          ///< x (m) over the flat ground, latitude (deg) over a round planet
    double b = 0.0;          ///< z (m) over the flat ground, longitude (deg) over a round planet
    double speed = 0.0;      ///< speed to reach it at, m/s, above 0
    double height = NAN;     ///< height to reach it at, m; NaN: keep the height it has
    VECTOR3 fixed{};         ///< over a round planet, its point on the ellipsoid, planet-fixed, m
};

/// What a route does past its last waypoint.
enum class RouteEnd : uint8_t {
    Stop,  ///< brakes to a stop on the last waypoint
    Hold,  ///< holds its course and speed
    Loop,  ///< makes for the first waypoint again
};

/// What sets a reaction off.
enum class TriggerKind : uint8_t {
    None,     ///< no trigger
    Time,     ///< the simulation time reaches `value`
    Release,  ///< the weapon (or any weapon) flies free of its carrier
    Range,    ///< the weapon (or any weapon) comes within `value` m
};

/// What a reaction does.
enum class ReactionKind : uint8_t {
    Turn,   ///< turns, and changes speed when `speed` is set
    Speed,  ///< changes speed
    Stop,   ///< brakes to a stop
};

/// Which way a reacting turn goes.
enum class TurnSide : uint8_t {
    Left,   ///< by `angle` deg to the left of the course at the trigger
    Right,  ///< by `angle` deg to the right
    Away,   ///< onto the course straight away from the nearest weapon, kept
    To,     ///< onto the course `angle` deg
};

/// A kinematic vessel's steering. A free, weapon-like vessel is one with a module that flies
/// dynamically and hangs on no parent.
struct Steering {
    std::vector<Waypoint> waypoints;  ///< the route, empty for none
    std::string weapon;               ///< the trigger's weapon, "" for any
    HostHandle weaponHandle = nullptr;  ///< the named weapon, found when the scenario loads
    TurnRule routeTurn;               ///< how it turns between legs
    TurnRule reactionTurn;            ///< how the reacting turn goes
    double course = 0.0;        ///< over the ground, deg clockwise from north, in [0, 360)
    double speed = 0.0;         ///< over the ground, m/s
    double acceleration = 2.0;  ///< how fast its speed changes, m/s^2
    size_t next = 0;                  ///< the waypoint it makes for; waypoints.size() past the last
    double weaveAmplitude = 0.0;      ///< lateral, m; 0 for no weave
    double weavePeriod = 0.0;         ///< s
    double weavePhase = 0.0;          ///< rad, in [0, 2 pi)
    double triggerValue = 0.0;        ///< s for a time, m for a range
    double firedAt = 0.0;             ///< simulation time it fired, s
    double angle = 0.0;               ///< deg: how far (Left, Right) or onto which course (To)
    double reactionSpeed = NAN;       ///< m/s; NaN keeps the speed (Turn)
    bool on = false;            ///< the vessel is steered: its velocity comes from what follows
    bool fired = false;               ///< the trigger has fired and the reaction rules
    RouteEnd end = RouteEnd::Hold;    ///< what it does past the last waypoint
    TriggerKind trigger = TriggerKind::None;
    ReactionKind reaction = ReactionKind::Turn;
    TurnSide side = TurnSide::Away;
};

/// `deg` as a course in [0, 360).
inline double CourseOf(double deg)
{
    const double course = std::fmod(deg, 360.0);
    return course < 0.0 ? course + 360.0 : course;
}

}  // namespace standin
