#include "runner/flight/outcome.h"

#include <cmath>

namespace runner {

namespace {

Outcome OutcomeOf(const Milestones& m, double miss, double size)
{
    // Neither gone, nor on the ground or the target, when the run ended.
    const bool flying = std::isnan(m.removal) && std::isnan(m.impact);
    return std::isnan(m.lock)                  ? Outcome::NO_LOCK
           : std::isnan(m.ignition) && flying ? Outcome::UNFINISHED
           : std::isnan(m.ignition)           ? Outcome::DUD
           : miss <= size                     ? Outcome::HIT
                                              : Outcome::MISS;
}

}  // namespace

Outcome OutcomeOf(const RunResult& r)
{
    return OutcomeOf(r.milestones, r.missDistance, r.targetSize);
}

Outcome OutcomeOf(const WeaponRecord& w)
{
    const bool hit = !std::isnan(w.milestones.ignition) && w.missDistance <= w.targetSize;
    return hit || std::isnan(w.friendLock) ? OutcomeOf(w.milestones, w.missDistance, w.targetSize) : Outcome::FRIEND;
}

void SettleTargets(RunResult& r)
{
    for (TargetRecord& t : r.targets) {
        for (const WeaponRecord& w : r.weapons) {
            if (w.target != t.name || std::isnan(w.milestones.ignition)) {
                continue;
            }
            if (OutcomeOf(w) == Outcome::HIT) {
                t.hitBy.push_back(w.name);
            } else if (!std::isnan(w.missDistance) && !(w.missDistance >= t.closestMiss)) {
                t.closestMiss = w.missDistance;
                t.closestMissBy = w.name;
            }
        }
    }
}

}  // namespace runner
