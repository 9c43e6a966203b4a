// The sequential rule that decides a probabilistic envelope's points, driven by a plain Bernoulli
// generator of known rate: no flights.
#include <cmath>
#include <cstdio>

#include <gtest/gtest.h>

#include "physics/random.h"
#include "runner/envelope/envelope_point.h"

namespace {

using runner::Verdict;

// At P = 0.3 and 90% confidence, with caps of 50 and 200 runs, 20,000 points at each rate: the share
// decided on the wrong side of P keeps to 1 - confidence within three standard errors of its own
// estimate, near P as far from it; and far from P nearly every point is decided.
TEST(SequentialRule, WrongDecisionsKeepToTheConfidenceWheneverAPointStops)
{
    const double required = 0.3, confidence = 0.9, points = 20000.0;
    std::printf("cap    p   wrong  runs/point  runs/decided  decided\n");
    for (long long cap : {50, 200}) {
        const runner::SequentialRule rule(required, confidence, cap);
        for (double p : {0.1, 0.2, 0.25, 0.28, 0.32, 0.35, 0.4, 0.6}) {
            const auto seed = static_cast<uint64_t>(p * 1000.0) + static_cast<uint64_t>(cap) * 7919;
            double wrong = 0.0, decided = 0.0, runs = 0.0, decidedRuns = 0.0;
            for (uint64_t i = 0; i < static_cast<uint64_t>(points); ++i) {
                auto hit = [&](long long run) { return physics::Uniform(seed, i, static_cast<uint64_t>(run)) < p; };
                const runner::Probe point = runner::SequentialPoint(rule, hit);
                const auto flights = static_cast<double>(point.flights);
                runs += flights;
                decided += point.verdict != Verdict::UNDECIDED ? 1.0 : 0.0;
                decidedRuns += point.verdict != Verdict::UNDECIDED ? flights : 0.0;
                wrong += point.verdict == (p < required ? Verdict::HIT : Verdict::MISS) ? 1.0 : 0.0;
            }
            const double rate = wrong / points, error = std::sqrt(rate * (1.0 - rate) / points);
            EXPECT_LE(rate, 1.0 - confidence + 3.0 * error) << "p " << p << ", cap " << cap;
            EXPECT_TRUE(std::fabs(p - required) < 0.15 || decided > 0.9 * points) << "p " << p << ", cap " << cap;
            std::printf("%3lld %.2f  %.4f  %10.1f  %12.1f  %.3f\n", cap, p, rate, runs / points,
                        decidedRuns / decided, decided / points);
        }
    }
}

// Points that always or never hit are decided, one that hits every other run at P = 0.5 stays open
// to the cap; and no rate can be shown below a probability of 1e-300, nor above 1 - 1e-16.
TEST(SequentialRule, DecidedAboveBelowOrUndecidedAtTheCap)
{
    auto always = [](long long) { return true; };
    auto never = [](long long) { return false; };
    auto half = [](long long run) { return run % 2 == 0; };
    const runner::SequentialRule rule(0.5, 0.9, 40), tiny(1e-300, 0.9, 20), huge(1.0 - 1e-16, 0.9, 20);
    const runner::Probe above = runner::SequentialPoint(rule, always), below = runner::SequentialPoint(rule, never);
    EXPECT_EQ(above.verdict, Verdict::HIT);
    EXPECT_EQ(below.verdict, Verdict::MISS);
    // Three hits in three runs happen by chance at 0.5 one time in 8, beyond the 10% allowed.
    EXPECT_GE(above.flights, 4);
    EXPECT_LE(above.flights, 6);
    EXPECT_EQ(below.flights, above.flights) << "at 0.5 the two sides mirror each other";
    EXPECT_EQ(runner::SequentialPoint(rule, half).verdict, Verdict::UNDECIDED);
    EXPECT_EQ(runner::SequentialPoint(rule, half).flights, 40);
    EXPECT_EQ(runner::SequentialPoint(tiny, never).verdict, Verdict::UNDECIDED);
    EXPECT_EQ(runner::SequentialPoint(tiny, always).verdict, Verdict::HIT);
    EXPECT_EQ(runner::SequentialPoint(huge, always).verdict, Verdict::UNDECIDED);
    EXPECT_EQ(runner::SequentialPoint(huge, never).verdict, Verdict::MISS);
}

}  // namespace
