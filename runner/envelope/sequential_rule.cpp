#include "runner/envelope/sequential_rule.h"

#include <cmath>
#include <limits>
#include <utility>

namespace runner {

namespace {

// The log of the likelihood ratio of `hits` of `runs` mixed over a rate q uniform on (p, 1] against
// the rate p. In closed form it is P(Bin(runs + 1, p) <= hits) / ((runs + 1)(1 - p) b(hits; runs, p)),
// with b the binomial probability; summed here term by term as ratios to b(hits; runs, p), so that
// nothing overflows. Past `ceiling` the sum stops: the value returned is then at least `ceiling`.
double LogAbove(long long hits, long long runs, double p, double ceiling)
{
    if (p >= 1.0) {
        // A probability so near 0 that 1 minus it rounds to 1: no rate lies beyond.
        return -std::numeric_limits<double>::infinity();
    }
    const double n = static_cast<double>(runs);
    const double scale = (n + 1.0) * (1.0 - p);
    const double stop = std::exp(ceiling) * scale;
    double term = scale / (n + 1.0 - static_cast<double>(hits));  // b(hits; runs + 1, p) / b(hits; runs, p)
    double sum = 0.0;
    for (long long k = hits; k >= 0 && sum < stop; --k) {
        sum += term;
        const double kk = static_cast<double>(k);
        const double ratio = kk / (n + 2.0 - kk) * ((1.0 - p) / p);  // b(k - 1; runs + 1) / b(k; runs + 1)
        // Below the mode the ratios only shrink, so what is left is negligible.
        if (ratio < 1.0 && term < sum * 1e-18) {
            break;
        }
        term *= ratio;
    }
    return std::log(sum / scale);
}

// For each runs from 0 to `cap`, the fewest hits whose LogAbove reaches `threshold` (runs + 1 when
// none do). Each is the last one or one more: another hit raises the ratio, another miss lowers it.
std::vector<long long> Boundary(double p, double threshold, double ceiling, long long cap)
{
    std::vector<long long> at(static_cast<size_t>(cap) + 1);
    at[0] = 1;
    for (long long n = 1; n <= cap; ++n) {
        long long s = at[static_cast<size_t>(n) - 1];
        while (s <= n && LogAbove(s, n, p, ceiling) < threshold) {
            ++s;
        }
        at[static_cast<size_t>(n)] = s;
    }
    return at;
}

// The exact probability, at a hit rate `p`, that the hits reach boundary `at` within its runs: the
// distribution of the hits of the points not yet stopped, carried forward run by run. The far tail
// below 1e-30 a state is dropped and counted as reaching it, so the figure never falls short.
double Crossing(const std::vector<long long>& at, double p)
{
    std::vector<double> mass(at.size() + 1, 0.0);
    mass[0] = 1.0;
    long long lo = 0, hi = 0;  // the hits still carried
    double reached = 0.0;
    for (size_t n = 1; n < at.size() && lo <= hi; ++n) {
        mass[static_cast<size_t>(hi) + 1] = mass[static_cast<size_t>(hi)] * p;
        for (auto s = static_cast<size_t>(hi); s > static_cast<size_t>(lo); --s) {
            mass[s] = mass[s] * (1.0 - p) + mass[s - 1] * p;
        }
        mass[static_cast<size_t>(lo)] *= 1.0 - p;
        ++hi;
        for (; hi >= lo && hi >= at[n]; --hi) {
            reached += mass[static_cast<size_t>(hi)];
            mass[static_cast<size_t>(hi)] = 0.0;
        }
        for (; lo <= hi && mass[static_cast<size_t>(lo)] < 1e-30; ++lo) {
            reached += mass[static_cast<size_t>(lo)];
            mass[static_cast<size_t>(lo)] = 0.0;
        }
    }
    return reached;
}

// The boundary for deciding "above p" within `cap` runs with error at most `alpha`. Ville's
// inequality makes log(1 / alpha) safe for any number of runs; bisection finds the lowest threshold
// whose exact error within the cap still keeps to alpha.
std::vector<long long> Calibrated(double p, double alpha, long long cap)
{
    const double safe = std::log(1.0 / alpha), ceiling = safe + 1.0;
    const double allowed = alpha * (1.0 - 1e-9);  // a margin for the sums' rounding
    std::vector<long long> at = Boundary(p, 0.0, ceiling, cap);
    if (Crossing(at, p) <= allowed) {
        return at;
    }
    double low = 0.0, high = safe;
    std::vector<long long> best = Boundary(p, high, ceiling, cap);
    while (high - low > 1e-7) {
        const double mid = 0.5 * (low + high);
        at = Boundary(p, mid, ceiling, cap);
        if (Crossing(at, p) <= allowed) {
            high = mid;
            best = std::move(at);
        } else {
            low = mid;
        }
    }
    return best;
}

}  // namespace

SequentialRule::SequentialRule(double probability, double confidence, long long cap)
{
    const double alpha = 1.0 - confidence;
    hitAt = Calibrated(probability, alpha, cap);
    // Deciding MISS is deciding that the misses' rate is above 1 - probability.
    const std::vector<long long> missesAt = Calibrated(1.0 - probability, alpha, cap);
    missAt.resize(missesAt.size());
    for (size_t n = 0; n < missesAt.size(); ++n) {
        missAt[n] = static_cast<long long>(n) - missesAt[n];
    }
}

Verdict SequentialRule::Decide(long long hits, long long runs) const
{
    return hits >= HitsToHit(runs) ? Verdict::HIT : hits <= HitsToMiss(runs) ? Verdict::MISS : Verdict::UNDECIDED;
}

}  // namespace runner
