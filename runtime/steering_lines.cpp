// A steered vessel's lines: read into its status record, checked and applied once its block is
// read, and written back so that a saved file flies on to the same bits.
#include <cmath>
#include <numbers>
#include <sstream>
#include <utility>

#include "formats/scenario_keys.h"
#include "formats/utf8.h"
#include "attachments.h"
#include "host_control.h"
#include "handles.h"
#include "local_frame.h"
#include "physics/geodesy.h"
#include "physics/locale.h"
#include "scenario.h"
#include "steering.h"

namespace standin {

namespace {

using formats::AddHostLine;
using formats::HostLine;
using formats::Key;
using formats::MakeHostLine;

constexpr double TWO_PI = 2.0 * std::numbers::pi;
constexpr double DEG = std::numbers::pi / 180.0;

// Why the steering lines of `status` cannot be flown, "" when they can.
std::string Problem(const Vessel& v, const HostStatus& status)
{
    const Steering& s = status.steering;
    if (v.motion != Motion::Kinematic) {
        return Where(status.steeringLine) + "steering lines move a kinematic vessel, and \"" + v.name + "\" is " +
               formats::MOTION_NAMES[static_cast<int>(v.motion)] + " (add \"MOTION kinematic\")";
    }
    if (status.waypointLine != 0 && status.routeLine == 0) {
        return Where(status.waypointLine) + "WAYPOINT lines make a route only with a ROUTE line";
    }
    if (status.routeLine != 0 && s.waypoints.size() < 2) {
        return Where(status.routeLine) + "a route needs 2 waypoints or more, and this one has " +
               std::to_string(s.waypoints.size());
    }
    if (status.routeLine != 0 && s.next > s.waypoints.size()) {
        return Where(status.routeLine) + "the next waypoint is " + std::to_string(s.next + 1) +
               ", and the route has " + std::to_string(s.waypoints.size());
    }
    if ((status.triggerLine == 0) != (status.reactionLine == 0)) {
        return status.triggerLine != 0 ? Where(status.triggerLine) + "a TRIGGER needs a REACTION line"
                                       : Where(status.reactionLine) + "a REACTION needs a TRIGGER line";
    }
    return "";
}

}  // namespace

void RecordSteering(const HostLine& line, int lineNumber, HostStatus& status)
{
    Steering& s = status.steering;
    const double* n = line.number;
    if (line.key == Key::Place) {
        status.hasPlace = true;
        status.place = physics::Place{n[0], n[1], n[2], n[3], n[4]};
        status.placeLine = lineNumber;
        return;
    }
    s.on = true;
    status.steeringLine = status.steeringLine != 0 ? status.steeringLine : lineNumber;
    switch (line.key) {
    case Key::Course:
        s.course = CourseOf(n[0]);
        s.speed = n[1];
        s.acceleration = n[2];
        status.hasCourse = true;
        break;
    case Key::Route:
        s.end = static_cast<RouteEnd>(line.integer[0]);
        s.routeTurn = TurnRule{n[0], line.integer[1] != 0};
        s.next = static_cast<size_t>(line.integer[2] - 1);
        status.routeLine = lineNumber;
        break;
    case Key::Waypoint:
        s.waypoints.push_back(Waypoint{n[0], n[1], n[2], line.integer[0] != 0 ? n[3] : NAN});
        status.waypointLine = status.waypointLine != 0 ? status.waypointLine : lineNumber;
        break;
    case Key::Weave:
        s.weaveAmplitude = n[0];
        s.weavePeriod = n[1];
        s.weavePhase = std::fmod(n[2], TWO_PI) + (std::fmod(n[2], TWO_PI) < 0.0 ? TWO_PI : 0.0);
        break;
    case Key::Trigger:
        s.trigger = static_cast<TriggerKind>(line.integer[0] + 1);
        s.triggerValue = n[0];
        s.weapon = line.word;
        status.triggerLine = lineNumber;
        break;
    default:  // REACTION
        s.reaction = static_cast<ReactionKind>(line.integer[0]);
        s.side = static_cast<TurnSide>(line.integer[1]);
        s.angle = s.side == TurnSide::To ? CourseOf(n[0]) : n[0];
        s.reactionTurn = TurnRule{n[1], line.integer[2] != 0};
        s.reactionSpeed = n[2];
        status.reactionLine = lineNumber;
        break;
    }
}

std::string ApplySteering(Vessel& v, const HostStatus& status)
{
    const physics::Planet& planet = world().physics.planet;
    if (status.hasPlace && !planet.round) {
        return Where(status.placeLine) + "PLACE places a vessel over a round planet, and this scenario's is flat";
    }
    if (status.hasPlace) {
        // Exactly where a save found it: the place the next frame starts from, and a steered vessel's
        // position, which its place gives (another keeps the position its POS line gave).
        if (status.steering.on || !status.hasPos) {
            v.state.pos = physics::ToVector3(physics::PositionOfPlace(planet, status.place));
        }
        v.state.placeMemo = PlaceMemo{v.state.pos, planet.radius, planet.flattening, status.place};
    }
    if (!status.steering.on) {
        return "";
    }
    if (std::string problem = Problem(v, status); !problem.empty()) {
        return problem;
    }
    v.steering = status.steering;
    Steering& s = v.steering;
    for (Waypoint& p : s.waypoints) {
        p.fixed = planet.round ? physics::ToVector3(physics::PositionOf(planet, physics::Geodetic{p.a * DEG, p.b * DEG, 0.0}))
                               : VECTOR3{};
    }
    if (!status.hasCourse && s.next < s.waypoints.size()) {
        // Without a COURSE line a route starts on its way to its next waypoint at that leg's speed.
        s.speed = s.waypoints[s.next].speed;
        s.course = CourseTo(world(), v, s.waypoints[s.next]);
    } else if (!status.hasCourse) {
        // Otherwise the vessel goes on as it moves: along its velocity over the ground, or, at rest,
        // its nose.
        const VECTOR3 ground = ToLocal(planet, v.state, GroundVelocity(planet, v.state));
        s.speed = std::hypot(ground.x, ground.z);
        const double heading = s.speed > 0.0 ? std::atan2(ground.x, ground.z) : LocalAnglesOf(planet, v.state).heading;
        s.course = CourseOf(heading / DEG);
    }
    return "";
}

void AddSteeringLines(const Vessel& v, formats::ScenarioVessel& vessel)
{
    const Steering& s = v.steering;
    const physics::Planet& planet = world().physics.planet;
    if (!s.on) {
        // Over a round planet a free vessel's place is worked out from the last frame's: written
        // exactly when asked, the file's first frame starts from the same one.
        if (planet.round && world().scenario.everyPlace && ParentOf(v, nullptr, nullptr) == nullptr) {
            const physics::Place& p = physics::PlaceOfState(planet, v.state);
            AddHostLine(vessel, MakeHostLine(Key::Place, {p.sinLat, p.cosLat, p.sinLon, p.cosLon, p.height}));
        }
        return;
    }
    AddHostLine(vessel, MakeHostLine(Key::Course, {s.course, s.speed, s.acceleration}));
    if (planet.round) {
        const physics::Place& p = physics::PlaceOfState(planet, v.state);
        AddHostLine(vessel, MakeHostLine(Key::Place, {p.sinLat, p.cosLat, p.sinLon, p.cosLon, p.height}));
    }
    if (!s.waypoints.empty()) {
        const long long next = static_cast<long long>(s.next) + 1;
        AddHostLine(vessel, MakeHostLine(Key::Route, {s.routeTurn.value},
                                         {static_cast<long long>(s.end), s.routeTurn.byAcceleration ? 1 : 0, next}));
        for (const Waypoint& p : s.waypoints) {
            AddHostLine(vessel, MakeHostLine(Key::Waypoint, {p.a, p.b, p.speed, p.height}, {std::isnan(p.height) ? 0 : 1}));
        }
    }
    if (s.weaveAmplitude > 0.0) {
        AddHostLine(vessel, MakeHostLine(Key::Weave, {s.weaveAmplitude, s.weavePeriod, s.weavePhase}));
    }
    if (s.trigger == TriggerKind::None) {
        return;
    }
    // A trigger that has fired is written as one due when it fired: the file's first frame fires
    // it again, to the same effect, as the reaction it set off is written resolved.
    HostLine trigger = s.fired ? MakeHostLine(Key::Trigger, {s.firedAt}, {0})
                               : MakeHostLine(Key::Trigger, {s.triggerValue}, {static_cast<long long>(s.trigger) - 1});
    trigger.word = s.fired ? "" : s.weapon;
    AddHostLine(vessel, std::move(trigger));
    AddHostLine(vessel, MakeHostLine(Key::Reaction, {s.angle, s.reactionTurn.value, s.reactionSpeed},
                                     {static_cast<long long>(s.reaction), static_cast<long long>(s.side),
                                      s.reactionTurn.byAcceleration ? 1 : 0}));
}

std::string Steer(HostHandle vessel, const std::string& lines)
{
    World& w = world();
    Vessel* v = LiveVessel(vessel);
    if (v == nullptr) {
        return "no such vessel";
    }
    // Errors name the lines "steering:<line>: "; a refusal leaves the vessel's steering as it was.
    const std::string path = std::exchange(w.scenario.path, "steering");
    HostStatus status;
    std::istringstream in(lines);
    int number = 0;
    std::string problem;
    for (std::string line; problem.empty() && std::getline(in, line);) {
        ++number;
        HostLine value;
        line = formats::Trim(line);
        if (line.empty()) {
            continue;
        }
        problem = formats::Utf8Problem(line);  // a TRIGGER's weapon name would reach the outputs
        if (!problem.empty() || !formats::ReadHostLine(line.c_str(), formats::Section::Vessel, value, problem)) {
            problem.insert(0, Where(number));
        } else if (value.key != Key::Course && value.key != Key::Route && value.key != Key::Waypoint &&
                   value.key != Key::Weave && value.key != Key::Trigger && value.key != Key::Reaction) {
            problem = Where(number) + "a vessel is steered by COURSE, ROUTE, WAYPOINT, WEAVE, TRIGGER and REACTION lines";
        } else {
            RecordSteering(value, number, status);
        }
    }
    const Steering kept = v->steering;
    if (problem.empty() && !status.steering.on) {
        v->steering = Steering{};  // no lines: it goes on as it moves, unsteered
    } else if (problem.empty()) {
        problem = ApplySteering(*v, status);
    }
    if (problem.empty() && !v->steering.weapon.empty()) {
        v->steering.weaponHandle = nullptr;
        for (int slot : w.order) {
            const Vessel& o = w.vessels[static_cast<size_t>(slot)];
            v->steering.weaponHandle = o.name == v->steering.weapon ? o.handle : v->steering.weaponHandle;
        }
        if (v->steering.weaponHandle == nullptr) {
            problem = Where(status.triggerLine) + "TRIGGER names \"" + v->steering.weapon + "\", which is no vessel";
        }
    }
    w.scenario.path = path;
    if (!problem.empty()) {
        v->steering = kept;
    }
    return problem;
}

}  // namespace standin
