#include "runner/flight/outcome.h"

#include <cmath>

namespace runner {

Outcome OutcomeOf(const RunResult& r)
{
    const Milestones& m = r.milestones;
    // Neither gone, nor on the ground or the target, when the run ended.
    const bool flying = std::isnan(m.removal) && std::isnan(m.impact);
    return std::isnan(m.lock)                  ? Outcome::NO_LOCK
           : std::isnan(m.ignition) && flying ? Outcome::UNFINISHED
           : std::isnan(m.ignition)           ? Outcome::DUD
           : r.missDistance <= r.targetSize ? Outcome::HIT
                                            : Outcome::MISS;
}

}  // namespace runner
