// The search along one bearing: a coarse scan of the range interval, then bisection at each change
// between hit and miss down to the tolerance.
#pragma once

#include <functional>
#include <vector>

namespace runner {

/// What a probe point came to.
enum class Verdict { MISS, HIT, UNDECIDED };

/// One probe point's verdict and the flights it took.
struct Probe {
    Verdict verdict = Verdict::MISS;
    long long flights = 0;
};

/// An interval of range in which every probe hit, m.
struct RangeInterval {
    double rmin = 0.0, rmax = 0.0;
};

/// What one bearing's search found.
struct BearingSearch {
    std::vector<RangeInterval> intervals;  ///< the hit intervals, rising
    long long probes = 0;                  ///< points probed
    long long flights = 0;                 ///< flights flown
    long long undecided = 0;               ///< points still undecided at the cap on runs
};

/// How many steps the coarse scan takes from `rangeMin` to `rangeMax` m, each no wider than `scan` m.
int ScanSteps(double rangeMin, double rangeMax, double scan);
/// The coarse scan's points from `rangeMin` to `rangeMax` m, evenly spaced no wider than `scan` m.
std::vector<double> ScanPoints(double rangeMin, double rangeMax, double scan);

/// Searches [`rangeMin`, `rangeMax`] m with `probe` (range, m, to its verdict): the scan's points,
/// then bisection of each step whose ends differ, between a hit and a point that is not one (a
/// miss, or undecided), until they are no more than `tolerance` m apart. Each interval runs
/// between the outermost hits probed, so no probe inside one failed to hit; a change inside a scan
/// step that comes back out within the same step is not seen.
BearingSearch SearchBearing(double rangeMin, double rangeMax, double scan, double tolerance,
                            const std::function<Probe(double)>& probe);

}  // namespace runner
