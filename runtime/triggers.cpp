// A steered vessel's trigger: the weapon it watches and the frame it fires in, when the reaction
// it sets off replaces the vessel's route and weave.
#include <cmath>

#include "attachments.h"
#include "handles.h"
#include "steering.h"

namespace standin {

namespace {

// Whether a parent holds `v`.
bool Carried(const Vessel& v)
{
    const Attachment* childPoint = nullptr;
    const Attachment* parentPoint = nullptr;
    return ParentOf(v, &childPoint, &parentPoint) != nullptr;
}

double Distance(const VECTOR3& a, const VECTOR3& b)
{
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// Fires `s`'s trigger at `simt` s: a turn to a side becomes one onto the course it ends on.
void Fire(Steering& s, double simt)
{
    s.fired = true;
    s.firedAt = simt;
    if (s.reaction == ReactionKind::Turn && (s.side == TurnSide::Left || s.side == TurnSide::Right)) {
        s.angle = CourseOf(s.course + (s.side == TurnSide::Left ? -s.angle : s.angle));
        s.side = TurnSide::To;
    }
    // The evasive motion ends the route and the weave.
    s.waypoints.clear();
    s.next = 0;
    s.weaveAmplitude = 0.0;
}

}  // namespace

const Vessel* WeaponOf(const World& w, const Vessel& v, bool named)
{
    const Steering& s = v.steering;
    if (named && !s.weapon.empty()) {
        const Vessel* weapon = LiveVessel(s.weaponHandle);
        return weapon != nullptr && !Carried(*weapon) ? weapon : nullptr;
    }
    const Vessel* nearest = nullptr;
    double best = HUGE_VAL;
    for (int slot : w.order) {
        const Vessel& o = w.vessels[static_cast<size_t>(slot)];
        if (&o == &v || o.className.empty() || o.motion != Motion::Dynamic || Carried(o)) {
            continue;
        }
        const double d = Distance(o.state.pos, v.state.pos);
        nearest = d < best ? &o : nearest;
        best = d < best ? d : best;
    }
    return nearest;
}

std::string FindTriggerWeapons(World& w)
{
    for (int slot : w.order) {
        Steering& s = w.vessels[static_cast<size_t>(slot)].steering;
        if (s.weapon.empty()) {
            continue;
        }
        s.weaponHandle = nullptr;
        for (int other : w.order) {
            const Vessel& o = w.vessels[static_cast<size_t>(other)];
            s.weaponHandle = o.name == s.weapon ? o.handle : s.weaponHandle;
        }
        if (s.weaponHandle == nullptr) {
            return s.weapon;
        }
    }
    return "";
}

void FireTriggers(World& w)
{
    for (int slot : w.order) {
        Vessel& v = w.vessels[static_cast<size_t>(slot)];
        Steering& s = v.steering;
        if (!s.on || s.fired || s.trigger == TriggerKind::None) {
            continue;
        }
        const Vessel* weapon = s.trigger == TriggerKind::Time ? nullptr : WeaponOf(w, v, true);
        const bool due = s.trigger == TriggerKind::Time      ? w.simt >= s.triggerValue
                         : s.trigger == TriggerKind::Release ? weapon != nullptr
                                                             : weapon != nullptr &&
                                                                   Distance(weapon->state.pos, v.state.pos) <= s.triggerValue;
        if (due) {
            Fire(s, w.simt);
        }
    }
}

}  // namespace standin
