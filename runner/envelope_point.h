// A probe point of a probabilistic envelope: a small Monte Carlo, stopped as soon as the Wilson
// interval of its hit rate lies wholly on one side of the required probability.
#pragma once

#include <functional>

#include "runner/envelope_search.h"

namespace runner {

/// The two-sided standard normal quantile for `confidence` (0 to 1): Φ(z) = (1 + confidence) / 2.
double ConfidenceZ(double confidence);

/// Wilson's score interval for `hits` of `runs` (runs > 0) at the normal quantile `z`: [low, high].
void WilsonInterval(long long hits, long long runs, double z, double& low, double& high);

/// HIT when the interval for `hits` of `runs` lies wholly above `probability`, MISS when wholly
/// below, else UNDECIDED.
Verdict Decide(long long hits, long long runs, double probability, double z);

/// Flies `fly` (run number from 0 to whether it hit) until the verdict at the normal quantile `z`
/// (ConfidenceZ's) is decided or `cap` runs are flown.
Probe SequentialPoint(double probability, double z, long long cap, const std::function<bool(long long)>& fly);

}  // namespace runner
