// A probe point of a probabilistic envelope: a small Monte Carlo, flown one run at a time until the
// sequential rule decides it.
#pragma once

#include <functional>

#include "runner/envelope/sequential_rule.h"

namespace runner {

/// Flies `fly` (run number from 0 to whether it hit) until `rule` decides or its cap of runs is flown.
Probe SequentialPoint(const SequentialRule& rule, const std::function<bool(long long)>& fly);

}  // namespace runner
