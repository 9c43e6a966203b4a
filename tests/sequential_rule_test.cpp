// The sequential rule that decides a probabilistic envelope's points, driven by a plain Bernoulli
// generator of known rate: no flights.
#include <cmath>
#include <cstdio>

#include <gtest/gtest.h>

#include "physics/random.h"
#include "runner/envelope_point.h"
#include "runner/sequential_rule.h"

namespace {

using runner::Verdict;

// How a batch of points at one true rate came out.
struct Tally {
    long long wrong = 0, decided = 0, runs = 0, decidedRuns = 0;
};

// `points` points at hit rate `p` against required probability `required`, each decided by
// `decide` (hits, runs to verdict) within `cap` runs; every run's draw from the counter-based
// generator under `seed`, so both rules see the same runs.
template <typename Decide>
Tally Points(double p, double required, long long cap, long long points, uint64_t seed, Decide decide)
{
    Tally t;
    for (long long i = 0; i < points; ++i) {
        long long hits = 0, n = 0;
        Verdict v = Verdict::UNDECIDED;
        while (n < cap && v == Verdict::UNDECIDED) {
            hits += physics::Uniform(seed, static_cast<uint64_t>(i), static_cast<uint64_t>(n)) < p ? 1 : 0;
            v = decide(hits, ++n);
        }
        t.runs += n;
        if (v != Verdict::UNDECIDED) {
            ++t.decided;
            t.decidedRuns += n;
        }
        t.wrong += (v == Verdict::HIT && p < required) || (v == Verdict::MISS && p > required) ? 1 : 0;
    }
    return t;
}

// At P = 0.3 and 90% confidence, with caps of 50 and 200 runs, 20,000 points at each rate: the share
// decided on the wrong side of P keeps to 1 - confidence within three standard errors of its own
// estimate, near P as far from it. Beside each row, the fixed-sample Wilson interval checked after
// every run, which the rule replaced, on the same draws.
TEST(SequentialRule, WrongDecisionsKeepToTheConfidenceWheneverAPointStops)
{
    const double required = 0.3, confidence = 0.9, z = 1.6448536269514722;  // Wilson's, two-sided 90%
    const long long points = 20000;
    auto wilson = [&](long long hits, long long runs) {
        double low = 0.0, high = 1.0;
        runner::WilsonInterval(hits, runs, z, low, high);
        return low > required ? Verdict::HIT : high < required ? Verdict::MISS : Verdict::UNDECIDED;
    };
    std::printf("cap    p  wrong  (Wilson)  runs/point  (Wilson)  runs/decided  (Wilson)  decided\n");
    for (long long cap : {50, 200}) {
        const runner::SequentialRule rule(required, confidence, cap);
        EXPECT_LE(rule.HitError(), 1.0 - confidence);
        EXPECT_LE(rule.MissError(), 1.0 - confidence);
        for (double p : {0.1, 0.2, 0.25, 0.28, 0.32, 0.35, 0.4, 0.6}) {
            const auto seed = static_cast<uint64_t>(p * 1000.0) + static_cast<uint64_t>(cap) * 7919;
            const Tally t = Points(p, required, cap, points, seed,
                                   [&](long long hits, long long runs) { return rule.Decide(hits, runs); });
            const Tally w = Points(p, required, cap, points, seed, wilson);
            const double rate = static_cast<double>(t.wrong) / points;
            const double error = std::sqrt(rate * (1.0 - rate) / points);
            EXPECT_LE(rate, 1.0 - confidence + 3.0 * error) << "p " << p << ", cap " << cap;
            std::printf("%3lld %.2f  %.4f  (%.4f)  %10.1f  (%6.1f)  %12.1f  (%6.1f)  %.3f\n", cap, p, rate,
                        static_cast<double>(w.wrong) / points, static_cast<double>(t.runs) / points,
                        static_cast<double>(w.runs) / points, static_cast<double>(t.decidedRuns) / static_cast<double>(t.decided),
                        static_cast<double>(w.decidedRuns) / static_cast<double>(w.decided),
                        static_cast<double>(t.decided) / points);
            if (p == 0.1 || p == 0.6) {
                EXPECT_GT(t.decided, points * 9 / 10) << "far from P nearly every point is decided";
            }
        }
    }
}

// A point that always hits is decided above the required probability, one that never hits below,
// one that hits every other run at P = 0.5 stays open to the cap; and the fewest runs to a
// decision are those whose chance at the required rate is within the error.
TEST(SequentialRule, DecidedAboveBelowOrUndecidedAtTheCap)
{
    const runner::SequentialRule rule(0.5, 0.9, 40);
    auto always = [](long long) { return true; };
    auto never = [](long long) { return false; };
    auto half = [](long long run) { return run % 2 == 0; };
    const runner::Probe above = runner::SequentialPoint(rule, always);
    const runner::Probe below = runner::SequentialPoint(rule, never);
    const runner::Probe open = runner::SequentialPoint(rule, half);
    EXPECT_EQ(above.verdict, Verdict::HIT);
    EXPECT_EQ(below.verdict, Verdict::MISS);
    EXPECT_EQ(open.verdict, Verdict::UNDECIDED);
    EXPECT_EQ(open.flights, 40);
    // Three hits in three runs happen by chance at 0.5 one time in 8, beyond the 10% allowed: no
    // rule that keeps its confidence decides there. A few runs more do.
    EXPECT_GE(above.flights, 4);
    EXPECT_LE(above.flights, 6);
    EXPECT_EQ(below.flights, above.flights) << "at 0.5 the two sides mirror each other";
    EXPECT_EQ(rule.Cap(), 40);
    for (long long n = 0; n <= rule.Cap(); ++n) {
        EXPECT_LT(rule.HitsToMiss(n), rule.HitsToHit(n)) << "no count of hits is both";
    }
    // No rate can be shown below a probability of 1e-300, nor above one whose complement is 1e-16.
    const runner::SequentialRule tiny(1e-300, 0.9, 20), huge(1.0 - 1e-16, 0.9, 20);
    EXPECT_EQ(runner::SequentialPoint(tiny, never).verdict, Verdict::UNDECIDED);
    EXPECT_EQ(runner::SequentialPoint(tiny, always).verdict, Verdict::HIT);
    EXPECT_EQ(runner::SequentialPoint(huge, always).verdict, Verdict::UNDECIDED);
    EXPECT_EQ(runner::SequentialPoint(huge, never).verdict, Verdict::MISS);
}

}  // namespace
