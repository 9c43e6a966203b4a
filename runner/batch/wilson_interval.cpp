#include "runner/batch/wilson_interval.h"

#include <algorithm>
#include <cmath>

namespace runner {

void WilsonInterval(long long hits, long long runs, double z, double& low, double& high)
{
    const double n = static_cast<double>(runs), p = static_cast<double>(hits) / n, zz = z * z;
    const double centre = (p + zz / (2.0 * n)) / (1.0 + zz / n);
    const double half = z * std::sqrt(p * (1.0 - p) / n + zz / (4.0 * n * n)) / (1.0 + zz / n);
    low = std::max(0.0, centre - half);
    high = std::min(1.0, centre + half);
}

}  // namespace runner
