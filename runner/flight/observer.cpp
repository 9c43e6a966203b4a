#include "runner/flight/observer.h"

#include <cstring>
#include <numbers>
#include <utility>

#include "formats/number_text.h"
#include "runner/flight/seeker_head.h"
#include "runtime/host_control.h"
#include "runtime/local_frame.h"
#include "weapon/observable.h"

namespace runner {

namespace {

std::string Hex(unsigned int code)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", code & 0xFFu);
    return text;
}

double Pitch(const standin::VesselState& s)
{
    double up = s.rot[1][2];
    return std::asin(up > 1.0 ? 1.0 : (up < -1.0 ? -1.0 : up));
}

double Bank(const standin::VesselState& s)
{
    return std::atan2(-s.rot[1][0], s.rot[1][1]);
}

// `global` relative to `s`'s position, in its body frame.
VECTOR3 ToBody(const standin::VesselState& s, const VECTOR3& global)
{
    double d[3] = {global.x - s.pos.x, global.y - s.pos.y, global.z - s.pos.z};
    double b[3];
    for (int j = 0; j < 3; ++j) {
        b[j] = s.rot[0][j] * d[0] + s.rot[1][j] * d[1] + s.rot[2][j] * d[2];
    }
    return VECTOR3{b[0], b[1], b[2]};
}

double Distance(const VECTOR3& a, const VECTOR3& b)
{
    double x = a.x - b.x, y = a.y - b.y, z = a.z - b.z;
    return std::sqrt(x * x + y * y + z * z);
}

HostHandle Named(const std::string& name)
{
    if (name.empty()) {
        return nullptr;
    }
    for (unsigned int i = 0; i < zapiGetVesselCount(); ++i) {
        HostHandle h = zapiGetVesselByIndex(static_cast<int>(i));
        if (standin::Find(h)->name == name) {
            return h;
        }
    }
    return nullptr;
}

HostHandle ParentOf(const standin::Vessel& v)
{
    for (const standin::Attachment& point : v.attachments) {
        if (point.toParent && standin::Find(point.mate) != nullptr) {
            return point.mate;
        }
    }
    return nullptr;
}

// One line for each run of `v`'s first `count` thrusters that changed alike from their levels `was`.
void ReportThrusters(const std::string& name, const std::vector<double>& was, const standin::Vessel& v, size_t count,
                     double now, std::vector<Event>& events)
{
    for (size_t first = 0; first < count;) {
        double from = was[first], to = v.thrusters[first].level;
        size_t last = first;
        if (from != to) {
            while (last + 1 < count && was[last + 1] == from && v.thrusters[last + 1].level == to) {
                ++last;
            }
            std::string which = last == first ? "thruster " + std::to_string(first)
                                              : "thrusters " + std::to_string(first) + "-" + std::to_string(last);
            std::string text = name;
            text.append(" ").append(which).append(": ");
            formats::AppendNumber(text, from);
            text.append(" -> ");
            formats::AppendNumber(text, to);
            events.push_back({now, "thruster", name, std::move(text)});
        }
        first = last + 1;
    }
}

}  // namespace

Observer::Observer(const std::string& watchVessel, const std::string& targetVessel, bool readDebugLog)
    : watchName(watchVessel), targetName(targetVessel), readLog(readDebugLog), log(observable::LOG_FILE)
{
    watch = Named(watchName);
    target = Named(targetName);
    for (unsigned int i = 0; i < zapiGetVesselCount(); ++i) {
        HostHandle h = zapiGetVesselByIndex(static_cast<int>(i));
        const standin::Vessel& v = *standin::Find(h);
        Tracked t{h, v.name, {}, ParentOf(v), false};
        for (const standin::Thruster& thruster : v.thrusters) {
            t.levels.push_back(thruster.level);
        }
        tracked.push_back(std::move(t));
    }
    debugString = zapiDebugString();
    keysSeen = 0;
}

void Observer::Mark(double& milestone)
{
    if (std::isnan(milestone)) {
        milestone = zapiGetSimTime();
    }
}

void Observer::Observe(std::vector<Event>& events)
{
    const double now = zapiGetSimTime();
    standin::World& w = standin::world();
    for (; keysSeen < w.keys.size() && w.keys[keysSeen].delivered; ++keysSeen) {
        const standin::KeyEvent& key = w.keys[keysSeen];
        const standin::Vessel* v = standin::Find(key.vessel);
        std::string name = v != nullptr ? v->name : "a vessel gone";
        events.push_back({now, "key", name,
                          "key " + Hex(key.code) + (key.down ? " pressed" : " released") + " on " + name +
                              (key.result != 0 ? ": consumed" : ": ignored")});
    }
    for (Tracked& t : tracked) {
        ObserveVessel(t, events);
    }
    const char* debug = zapiDebugString();
    if (debugString != debug) {
        debugString = debug;
        events.push_back({now, "debug", "", "debug string: " + debugString});
        warheadLit =
            warheadLit || (watch != nullptr && debugString == watchName + observable::DEBUG_WARHEAD_IGNITION);
    }
    if (warheadLit && std::isnan(marks.ignition)) {
        Mark(marks.ignition);
        if (const standin::Vessel* missile = standin::Find(watch)) {
            ignitionPoint = missile->state.pos;
            if (const physics::Planet& planet = standin::PhysicsSettings().planet; planet.round) {
                constexpr double DEG = 180.0 / std::numbers::pi;
                physics::Geodetic g = standin::GeographicOf(planet, missile->state, zapiGetSimTime());
                ignitionPlace = VECTOR3{g.latitude * DEG, g.longitude * DEG, g.height};
            }
            if (const standin::Vessel* aim = standin::Find(target)) {
                targetPoint = aim->state.pos;
                missDistance = Distance(ignitionPoint, targetPoint);
                relativeSpeed = Distance(missile->state.vel, aim->state.vel);
                VECTOR3 d{ignitionPoint.x - targetPoint.x, ignitionPoint.y - targetPoint.y, ignitionPoint.z - targetPoint.z};
                missOffset = standin::ToLocal(standin::PhysicsSettings().planet, aim->state, d);
            }
        }
    }
    if (const standin::Vessel* missile = standin::Find(watch)) {
        ObserveWatch(*missile, events);
    }
    if (readLog) {
        ReadLog(events);
    }
}

void Observer::ObserveVessel(Tracked& t, std::vector<Event>& events)
{
    if (t.gone) {
        return;
    }
    const double now = zapiGetSimTime();
    const standin::Vessel* v = standin::Find(t.handle);
    if (v == nullptr) {
        t.gone = true;
        events.push_back({now, "deleted", t.name, t.name + " deleted"});
        if (t.handle == watch) {
            watchGone = true;
            Mark(marks.removal);
        }
        return;
    }
    HostHandle parent = ParentOf(*v);
    if (parent != t.parent) {
        const standin::Vessel* was = standin::Find(t.parent);
        const standin::Vessel* now_ = standin::Find(parent);
        if (now_ != nullptr) {
            events.push_back({now, "attach", t.name, t.name + " attached to " + now_->name});
        } else {
            events.push_back({now, "release", t.name,
                              t.name + " released" + (was != nullptr ? " by " + was->name : std::string())});
            if (t.handle == watch) {
                Mark(marks.release);
            }
        }
        t.parent = parent;
    }
    // Thruster levels: a run of thrusters changing alike is one line.
    size_t count = v->thrusters.size() < t.levels.size() ? v->thrusters.size() : t.levels.size();
    bool changed = count != v->thrusters.size() || count != t.levels.size();
    for (size_t i = 0; i < count && !changed; ++i) {
        changed = t.levels[i] != v->thrusters[i].level;
    }
    if (!changed) {
        return;  // most frames: nothing to report
    }
    ReportThrusters(t.name, t.levels, *v, count, now, events);
    if (t.handle == watch) {
        ObserveEngines(t.levels, *v, count);
    }
    t.levels.resize(v->thrusters.size());
    for (size_t i = 0; i < v->thrusters.size(); ++i) {
        t.levels[i] = v->thrusters[i].level;
    }
}

void Observer::ObserveEngines(const std::vector<double>& was, const standin::Vessel& v, size_t count)
{
    // The motor: the thrusters on the vessel's first resource; the warhead: those on another.
    bool lit = false, cut = false, burning = false;
    for (size_t i = 0; i < count; ++i) {
        double from = was[i], to = v.thrusters[i].level;
        if (standin::RecordIndex(v.thrusters[i].resource) != 0) {
            warheadLit = warheadLit || (from == 0.0 && to > 0.0);
            continue;
        }
        lit = lit || (from == 0.0 && to > 0.0);
        cut = cut || (from > 0.0 && to == 0.0);
        burning = burning || to > 0.0;
    }
    if (lit) {
        Mark(marks.motorLit);
    }
    if (cut && burning) {
        Mark(marks.boosterCut);
    }
}

void Observer::ObserveWatch(const standin::Vessel& missile, std::vector<Event>& events)
{
    const double now = zapiGetSimTime();
    const standin::Vessel* aim = standin::Find(target);
    const standin::VesselState& s = missile.state;
    // The seeker looks for its target where its head pointed at the end of the last frame.
    if (aim != nullptr && std::isnan(marks.lock)) {
        VECTOR3 d = ToBody(s, aim->state.pos);
        double r = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        if (d.z > 0.0 && r > 0.0 && std::hypot(std::asin(d.x / r) - headAz, std::asin(d.y / r) - headEl) < HEAD_HALF_FOV) {
            Mark(marks.lock);
            events.push_back({now, "lock", missile.name, missile.name + "'s seeker head is on " + aim->name});
        }
    }
    HeadAngles(missile, headAz, headEl);
    if (aim == nullptr || std::isnan(marks.release) || ParentOf(missile) != nullptr) {
        closest.Break();  // on its carrier, its distance to the target says nothing of the engagement
    } else {
        closest.Sample(now, s.pos, aim->state.pos);
    }
    if (std::isnan(marks.impact) && ParentOf(missile) == nullptr) {
        double reach = missile.size + 0.5;
        const physics::Planet& planet = standin::PhysicsSettings().planet;
        const bool round = planet.round;
        double theta = round ? standin::LocalPitch(planet, s) : Pitch(s);
        double phi = round ? standin::LocalBank(planet, s) : Bank(s);
        double h = round ? standin::AltitudeOf(planet, s) : s.pos.y;
        bool ground = !(h - std::fabs(reach * std::sin(theta)) > 0.0 && h - std::fabs(reach * std::sin(phi)) > 0.0 &&
                        h - std::fabs(reach * std::cos(theta)) > 0.0);
        bool hit = aim != nullptr && Distance(s.pos, aim->state.pos) < missile.size + aim->size;
        if (ground || hit) {
            Mark(marks.impact);
            events.push_back({now, "impact", missile.name,
                              missile.name + " touches " + (hit ? aim->name : std::string("the ground"))});
        }
    }
}

void Observer::ReadLog(std::vector<Event>& events)
{
    // A launcher's record of a command it sent names the command after the verb.
    static const std::string sentCommand = std::string(observable::LOG_SENT) + observable::COMMAND_PREFIX;
    const double now = zapiGetSimTime();
    std::string line;
    while (log.NextLine(line)) {
        bool command = line.find(sentCommand) != std::string::npos;
        events.push_back({now, command ? "command" : "log", "", (command ? "command: " : "log: ") + line});
        if (!watchName.empty() && line.find(observable::LOG_WARHEAD_BURNED) == 0) {
            Mark(marks.burnOut);
        }
    }
}

}  // namespace runner
