#include "runner/envelope_point.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace runner {

double ConfidenceZ(double confidence)
{
    // Bisection on the normal distribution function: slow beside a rational approximation, but
    // exact to the last bits, and worked out once for each release condition.
    const double target = 0.5 * (1.0 + confidence);
    double low = 0.0, high = 40.0;
    for (int i = 0; i < 200 && low < high; ++i) {
        const double mid = 0.5 * (low + high);
        if (mid == low || mid == high) {
            break;
        }
        (0.5 * std::erfc(-mid / std::numbers::sqrt2) < target ? low : high) = mid;
    }
    return 0.5 * (low + high);
}

void WilsonInterval(long long hits, long long runs, double z, double& low, double& high)
{
    const double n = static_cast<double>(runs), p = static_cast<double>(hits) / n, zz = z * z;
    const double centre = (p + zz / (2.0 * n)) / (1.0 + zz / n);
    const double half = z * std::sqrt(p * (1.0 - p) / n + zz / (4.0 * n * n)) / (1.0 + zz / n);
    low = std::max(0.0, centre - half);
    high = std::min(1.0, centre + half);
}

Verdict Decide(long long hits, long long runs, double probability, double z)
{
    double low = 0.0, high = 1.0;
    WilsonInterval(hits, runs, z, low, high);
    return low > probability ? Verdict::HIT : high < probability ? Verdict::MISS : Verdict::UNDECIDED;
}

Probe SequentialPoint(double probability, double z, long long cap, const std::function<bool(long long)>& fly)
{
    Probe point{Verdict::UNDECIDED, 0};
    long long hits = 0;
    while (point.flights < cap && point.verdict == Verdict::UNDECIDED) {
        hits += fly(point.flights) ? 1 : 0;
        ++point.flights;
        point.verdict = Decide(hits, point.flights, probability, z);
    }
    return point;
}

}  // namespace runner
