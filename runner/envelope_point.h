// A probe point of a probabilistic envelope: a small Monte Carlo, flown one run at a time until the
// sequential rule decides it; and Wilson's interval, which sweeps give their hit rates with.
#pragma once

#include <functional>

#include "runner/sequential_rule.h"

namespace runner {

/// Wilson's score interval for `hits` of `runs` (runs > 0) at the normal quantile `z`: [low, high].
void WilsonInterval(long long hits, long long runs, double z, double& low, double& high);

/// Flies `fly` (run number from 0 to whether it hit) until `rule` decides or its cap of runs is flown.
Probe SequentialPoint(const SequentialRule& rule, const std::function<bool(long long)>& fly);

}  // namespace runner
