#include "runner/envelope/envelope_point.h"

namespace runner {

Probe SequentialPoint(const SequentialRule& rule, const std::function<bool(long long)>& fly)
{
    Probe point{Verdict::UNDECIDED, 0};
    long long hits = 0;
    while (point.flights < rule.Cap() && point.verdict == Verdict::UNDECIDED) {
        hits += fly(point.flights) ? 1 : 0;
        ++point.flights;
        point.verdict = rule.Decide(hits, point.flights);
    }
    return point;
}

}  // namespace runner
