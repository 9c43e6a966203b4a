// What the observer adds for a salvo: what each weapon's seeker head is on against every vessel,
// which weapon each event concerns, and the records the run ends with.
#include <algorithm>
#include <cctype>

#include "runner/flight/observer.h"
#include "runner/flight/seeker_head.h"
#include "runtime/host_control.h"

namespace runner {

void Observer::ObserveHead(Watched& w, const standin::Vessel& missile, std::vector<Event>& events)
{
    // The head is on the vessel nearest its look direction at the end of the last frame, within its view.
    const standin::Vessel* on = nullptr;
    HostHandle onHandle = nullptr;
    double least = HEAD_HALF_FOV;
    for (unsigned int i = 0; i < zapiGetVesselCount(); ++i) {
        HostHandle h = zapiGetVesselByIndex(static_cast<int>(i));
        const standin::Vessel* v = standin::Find(h);
        if (h == w.handle || v == nullptr) {
            continue;
        }
        if (double off = HeadOff(missile.state, v->state.pos, w.headAz, w.headEl); off < least) {
            least = off;
            on = v;
            onHandle = h;
        }
    }
    // Most frames the head is on what it was on: nothing is copied then.
    static const std::string nothing;
    const std::string& name = on != nullptr ? on->name : nothing;
    WeaponRecord& r = w.record;
    if (name == (r.seeker.empty() ? nothing : r.seeker.back().vessel)) {
        return;
    }
    const bool target = std::find(targets.begin(), targets.end(), onHandle) != targets.end();
    const HeadKind kind = on == nullptr ? HeadKind::NOTHING : target ? HeadKind::TARGET : HeadKind::FRIEND;
    const double now = zapiGetSimTime();
    r.seeker.push_back({now, name, kind});
    if (kind == HeadKind::TARGET && std::isnan(r.milestones.lock)) {
        r.milestones.lock = now;
        r.lockTarget = name;
    }
    // A lock on a friend is the seeker's first lock going to one: a friend seen after a target is not.
    if (kind == HeadKind::FRIEND && std::isnan(r.friendLock) && std::isnan(r.milestones.lock)) {
        r.friendLock = now;
        r.friendName = name;
    }
    const char* kinds[] = {"seeker", "lock", "friend"};
    events.push_back({now, kinds[static_cast<int>(kind)], missile.name,
                      missile.name + "'s seeker head is on " +
                          (on == nullptr ? std::string("nothing") : name + (target ? ", a target" : ", a friend"))});
}

int Observer::NamedIn(const std::string& text) const
{
    auto inName = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; };
    int found = -1;
    size_t foundAt = std::string::npos, foundLength = 0;
    for (size_t k = 0; k < weapons.size(); ++k) {
        const std::string& name = weapons[k].record.name;
        for (size_t at = text.find(name); at != std::string::npos && at <= foundAt; at = text.find(name, at + 1)) {
            const bool whole = (at == 0 || !inName(text[at - 1])) &&
                               (at + name.size() == text.size() || !inName(text[at + name.size()]));
            if (whole && (at < foundAt || name.size() > foundLength)) {
                found = static_cast<int>(k);
                foundAt = at;
                foundLength = name.size();
            }
        }
    }
    return found;
}

void Observer::NameWeapons(std::vector<Event>& events, size_t first) const
{
    for (size_t k = first; k < events.size(); ++k) {
        Event& e = events[k];
        for (size_t i = 0; i < weapons.size() && e.weapon.empty(); ++i) {
            e.weapon = weapons[i].record.name == e.vessel ? e.vessel : "";
        }
        if (const int named = NamedIn(e.text); e.weapon.empty() && named >= 0) {
            e.weapon = weapons[static_cast<size_t>(named)].record.name;
        }
    }
}

std::vector<WeaponRecord> Observer::Weapons() const
{
    std::vector<WeaponRecord> records;
    for (const Watched& w : weapons) {
        WeaponRecord& r = records.emplace_back(w.record);
        for (size_t k = 0; k < w.closest.size(); ++k) {
            const double d = w.closest[k].Distance();
            if (!std::isnan(d) && !(d >= r.closestApproach)) {
                r.closestApproach = d;
                r.closestApproachTime = w.closest[k].Time();
                r.closestTarget = targetNames[k];
            }
        }
        // Without an ignition its result is against the target its head first came on.
        for (size_t k = 0; k < targetNames.size() && r.target.empty(); ++k) {
            if (targetNames[k] == r.lockTarget) {
                r.target = r.lockTarget;
                r.targetSize = targetSizes[k];
            }
        }
    }
    return records;
}

std::vector<TargetRecord> Observer::Targets() const
{
    std::vector<TargetRecord> records;
    for (size_t k = 0; k < targetNames.size(); ++k) {
        TargetRecord& r = records.emplace_back();
        r.name = targetNames[k];
        r.size = targetSizes[k];
        for (const Watched& w : weapons) {
            if (const double d = w.closest[k].Distance(); !std::isnan(d) && !(d >= r.closestApproach)) {
                r.closestApproach = d;
                r.closestApproachBy = w.record.name;
            }
        }
    }
    return records;
}

}  // namespace runner
