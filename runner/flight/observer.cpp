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

double Distance(const VECTOR3& a, const VECTOR3& b)
{
    double x = a.x - b.x, y = a.y - b.y, z = a.z - b.z;
    return std::sqrt(x * x + y * y + z * z);
}

void Mark(double& milestone)
{
    if (std::isnan(milestone)) {
        milestone = zapiGetSimTime();
    }
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

Observer::Observer(const std::vector<std::string>& watches, const std::vector<std::string>& targetList,
                   bool readDebugLog)
    : targetNames(targetList), salvo(watches.size() > 1 || targetList.size() > 1), readLog(readDebugLog),
      log(observable::LOG_FILE)
{
    for (const std::string& name : targetNames) {
        targets.push_back(Named(name));
        const standin::Vessel* t = standin::Find(targets.back());
        targetSizes.push_back(t != nullptr ? t->size : NAN);
    }
    for (const std::string& name : watches) {
        Watched w{Named(name), {}, false, 0.0, 0.0, std::vector<ClosestApproach>(targets.size())};
        w.record.name = name;
        weapons.push_back(std::move(w));
    }
    for (unsigned int i = 0; i < zapiGetVesselCount(); ++i) {
        HostHandle h = zapiGetVesselByIndex(static_cast<int>(i));
        const standin::Vessel& v = *standin::Find(h);
        Tracked t{h, v.name, {}, ParentOf(v), false, -1};
        for (size_t k = 0; k < weapons.size(); ++k) {
            t.weapon = weapons[k].handle == h ? static_cast<int>(k) : t.weapon;
        }
        for (const standin::Thruster& thruster : v.thrusters) {
            t.levels.push_back(thruster.level);
        }
        tracked.push_back(std::move(t));
    }
    debugString = zapiDebugString();
    keysSeen = 0;
}

void Observer::Observe(std::vector<Event>& events)
{
    const size_t first = events.size();
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
        for (Watched& weapon : weapons) {
            weapon.warheadLit = weapon.warheadLit || (weapon.handle != nullptr &&
                                                      debugString == weapon.record.name + observable::DEBUG_WARHEAD_IGNITION);
        }
    }
    for (Watched& weapon : weapons) {
        if (weapon.warheadLit && std::isnan(weapon.record.milestones.ignition)) {
            Ignite(weapon);
        }
        if (const standin::Vessel* missile = standin::Find(weapon.handle)) {
            ObserveWatch(weapon, *missile, events);
        }
    }
    if (readLog) {
        ReadLog(events);
    }
    if (salvo) {
        NameWeapons(events, first);
    }
}

void Observer::Ignite(Watched& w)
{
    Mark(w.record.milestones.ignition);
    const standin::Vessel* missile = standin::Find(w.handle);
    if (missile == nullptr) {
        return;
    }
    WeaponRecord& r = w.record;
    r.ignitionPoint = missile->state.pos;
    if (const physics::Planet& planet = standin::PhysicsSettings().planet; planet.round) {
        constexpr double DEG = 180.0 / std::numbers::pi;
        physics::Geodetic g = standin::GeographicOf(planet, missile->state, zapiGetSimTime());
        r.ignitionPlace = VECTOR3{g.latitude * DEG, g.longitude * DEG, g.height};
    }
    const int k = NearestTarget(r.ignitionPoint);
    if (k < 0) {
        return;
    }
    const standin::Vessel* aim = standin::Find(targets[static_cast<size_t>(k)]);
    r.target = aim->name;
    r.targetSize = aim->size;
    r.targetPoint = aim->state.pos;
    r.missDistance = Distance(r.ignitionPoint, r.targetPoint);
    r.relativeSpeed = Distance(missile->state.vel, aim->state.vel);
    VECTOR3 d{r.ignitionPoint.x - r.targetPoint.x, r.ignitionPoint.y - r.targetPoint.y,
              r.ignitionPoint.z - r.targetPoint.z};
    r.missOffset = standin::ToLocal(standin::PhysicsSettings().planet, aim->state, d);
}

int Observer::NearestTarget(const VECTOR3& pos) const
{
    int nearest = -1;
    double least = 0.0;
    for (size_t k = 0; k < targets.size(); ++k) {
        if (const standin::Vessel* aim = standin::Find(targets[k])) {
            const double d = Distance(pos, aim->state.pos);
            if (nearest < 0 || d < least) {
                nearest = static_cast<int>(k);
                least = d;
            }
        }
    }
    return nearest;
}

void Observer::ObserveVessel(Tracked& t, std::vector<Event>& events)
{
    if (t.gone) {
        return;
    }
    const double now = zapiGetSimTime();
    Watched* watched = t.weapon >= 0 ? &weapons[static_cast<size_t>(t.weapon)] : nullptr;
    const standin::Vessel* v = standin::Find(t.handle);
    if (v == nullptr) {
        t.gone = true;
        events.push_back({now, "deleted", t.name, t.name + " deleted"});
        if (watched != nullptr) {
            ++gone;
            Mark(watched->record.milestones.removal);
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
            if (watched != nullptr) {
                Mark(watched->record.milestones.release);
                watched->record.carrier = was != nullptr ? was->name : watched->record.carrier;
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
    if (watched != nullptr) {
        ObserveEngines(*watched, t.levels, *v, count);
    }
    t.levels.resize(v->thrusters.size());
    for (size_t i = 0; i < v->thrusters.size(); ++i) {
        t.levels[i] = v->thrusters[i].level;
    }
}

void Observer::ObserveEngines(Watched& w, const std::vector<double>& was, const standin::Vessel& v, size_t count)
{
    // The motor: the thrusters on the vessel's first resource; the warhead: those on another.
    bool lit = false, cut = false, burning = false;
    for (size_t i = 0; i < count; ++i) {
        double from = was[i], to = v.thrusters[i].level;
        if (standin::RecordIndex(v.thrusters[i].resource) != 0) {
            w.warheadLit = w.warheadLit || (from == 0.0 && to > 0.0);
            continue;
        }
        lit = lit || (from == 0.0 && to > 0.0);
        cut = cut || (from > 0.0 && to == 0.0);
        burning = burning || to > 0.0;
    }
    if (lit) {
        Mark(w.record.milestones.motorLit);
    }
    if (cut && burning) {
        Mark(w.record.milestones.boosterCut);
    }
}

void Observer::ObserveWatch(Watched& w, const standin::Vessel& missile, std::vector<Event>& events)
{
    const double now = zapiGetSimTime();
    Milestones& marks = w.record.milestones;
    const standin::VesselState& s = missile.state;
    // The seeker looks for its target where its head pointed at the end of the last frame.
    const standin::Vessel* aim = targets.empty() ? nullptr : standin::Find(targets.front());
    if (salvo) {
        ObserveHead(w, missile, events);
    } else if (aim != nullptr && std::isnan(marks.lock) && HeadOff(s, aim->state.pos, w.headAz, w.headEl) < HEAD_HALF_FOV) {
        Mark(marks.lock);
        w.record.lockTarget = aim->name;
        events.push_back({now, "lock", missile.name, missile.name + "'s seeker head is on " + aim->name});
    }
    HeadAngles(missile, w.headAz, w.headEl);
    const bool carried = std::isnan(marks.release) || ParentOf(missile) != nullptr;
    for (size_t k = 0; k < targets.size(); ++k) {
        const standin::Vessel* t = standin::Find(targets[k]);
        if (t == nullptr || carried) {
            w.closest[k].Break();  // on its carrier, its distance to a target says nothing of the engagement
        } else {
            w.closest[k].Sample(now, s.pos, t->state.pos);
        }
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
        const standin::Vessel* hit = nullptr;
        for (size_t k = 0; k < targets.size() && hit == nullptr; ++k) {
            const standin::Vessel* t = standin::Find(targets[k]);
            hit = t != nullptr && Distance(s.pos, t->state.pos) < missile.size + t->size ? t : nullptr;
        }
        if (ground || hit != nullptr) {
            Mark(marks.impact);
            events.push_back({now, "impact", missile.name,
                              missile.name + " touches " + (hit != nullptr ? hit->name : std::string("the ground"))});
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
        const int named = NamedIn(line);
        lastNamed = named >= 0 ? named : lastNamed;
        // A removal record names its vessel on a line of its own before the reason.
        const int burned = salvo ? lastNamed : (weapons.empty() ? -1 : 0);
        if (burned >= 0 && line.find(observable::LOG_WARHEAD_BURNED) == 0) {
            Mark(weapons[static_cast<size_t>(burned)].record.milestones.burnOut);
            events.back().weapon = salvo ? weapons[static_cast<size_t>(burned)].record.name : "";
        }
    }
}

}  // namespace runner
