// The sequential decision of a probe point: is a hit rate above a required probability? Runs are
// judged one at a time against boundaries worked out once, so that, whatever the true rate, the
// chance of deciding on the wrong side within the cap on runs is at most 1 − confidence.
#pragma once

#include <vector>

#include "runner/envelope/envelope_search.h"

namespace runner {

/// Two one-sided tests of a Bernoulli rate p against `probability` P, one for each side.
///
/// HIT is decided once the likelihood ratio of the runs so far, mixed over p uniform on (P, 1]
/// against p = P, reaches a threshold; MISS likewise with p uniform on [0, P). Each threshold is the
/// lowest for which the exact probability, at p = P, of ever reaching it within `cap` runs is at
/// most 1 − confidence; those probabilities only fall as p moves to the other side of P, so a
/// decision on the wrong side of P has at most that probability, whenever the point stops.
class SequentialRule {
public:
    /// No decisions: for an envelope whose points are one flight.
    SequentialRule() = default;
    /// The rule for `probability` and `confidence` (each above 0 and below 1) and at most `cap`
    /// runs (1 or more).
    SequentialRule(double probability, double confidence, long long cap);

    /// The verdict on `hits` of `runs` (1 to the cap): UNDECIDED while between the boundaries.
    Verdict Decide(long long hits, long long runs) const;
    /// The fewest hits in `runs` runs (0 to the cap) that decide HIT; runs + 1 when none do.
    long long HitsToHit(long long runs) const { return hitAt[static_cast<size_t>(runs)]; }
    /// The most hits in `runs` runs (0 to the cap) that decide MISS; -1 when none do.
    long long HitsToMiss(long long runs) const { return missAt[static_cast<size_t>(runs)]; }
    /// The runs a point may fly.
    long long Cap() const { return static_cast<long long>(hitAt.size()) - 1; }

private:
    std::vector<long long> hitAt, missAt;  // indexed by runs, 0 to the cap
};

}  // namespace runner
