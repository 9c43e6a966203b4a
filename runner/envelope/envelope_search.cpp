#include "runner/envelope/envelope_search.h"

#include <cmath>

namespace runner {

int ScanSteps(double rangeMin, double rangeMax, double scan)
{
    // A hair over a whole number of steps is that number.
    const double steps = std::ceil((rangeMax - rangeMin) / scan - 1e-9);
    return steps < 1.0 ? 1 : static_cast<int>(steps);
}

std::vector<double> ScanPoints(double rangeMin, double rangeMax, double scan)
{
    const int n = ScanSteps(rangeMin, rangeMax, scan);
    std::vector<double> points;
    for (int i = 0; i <= n; ++i) {
        points.push_back(i == n ? rangeMax : rangeMin + (rangeMax - rangeMin) * i / n);
    }
    return points;
}

BearingSearch SearchBearing(double rangeMin, double rangeMax, double scan, double tolerance,
                            const std::function<Probe(double)>& probe)
{
    BearingSearch found;
    auto hits = [&](double range) {
        Probe p = probe(range);
        ++found.probes;
        found.flights += p.flights;
        found.undecided += p.verdict == Verdict::UNDECIDED ? 1 : 0;
        return p.verdict == Verdict::HIT;
    };
    // Narrows [a, b], whose ends differ (a hits when `aHits`), to the tolerance; returns its hit end.
    auto change = [&](double a, double b, bool aHits) {
        while (b - a > tolerance) {
            const double m = 0.5 * (a + b);
            (hits(m) == aHits ? a : b) = m;
        }
        return aHits ? a : b;
    };
    const std::vector<double> points = ScanPoints(rangeMin, rangeMax, scan);
    bool inside = false;
    double previous = points.front(), start = 0.0;
    for (size_t i = 0; i < points.size(); ++i) {
        const double r = points[i];
        const bool hit = hits(r);
        if (hit && !inside) {
            start = i == 0 ? r : change(previous, r, false);
        } else if (!hit && inside) {
            found.intervals.push_back({start, change(previous, r, true)});
        }
        inside = hit;
        previous = r;
    }
    if (inside) {
        found.intervals.push_back({start, points.back()});
    }
    return found;
}

}  // namespace runner
