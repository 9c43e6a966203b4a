// Wilson's score interval of a hit rate, which sweeps give their probabilities with.
#pragma once

namespace runner {

/// Wilson's score interval for `hits` of `runs` (runs > 0) at the normal quantile `z`: [low, high].
void WilsonInterval(long long hits, long long runs, double z, double& low, double& high);

}  // namespace runner
