// Dryden turbulence against its closed forms and its statistics: the scales over height, a long
// flight's gusts at two steps, and the draws' repeatability.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "physics/random.h"
#include "physics/turbulence.h"
#include "physics/ziggurat.h"

namespace {

using physics::GustState;
using physics::Turbulence;
using physics::TurbulenceLevel;
using physics::TurbulenceScales;

constexpr double FT = 0.3048;  // m

// Expects `got` to be the scale lengths `l` (u and v) and `lw` ft, the intensities `s` (u and v)
// and `sw` ft/s.
void ExpectScales(const TurbulenceScales& got, double l, double lw, double s, double sw)
{
    const double field[6] = {got.lu, got.lv, got.lw, got.su, got.sv, got.sw}, want[6] = {l, l, lw, s, s, sw};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(field[i], want[i] * FT, 1e-12 * want[i]) << "field " << i;
    }
}

TEST(Turbulence, ScalesFollowTheLowFormsTheTableAndTheBlendBetween)
{
    const Turbulence moderate{TurbulenceLevel::Moderate, -1.0, 1};
    // Moderate's usual wind at 20 ft is 50 ft/s, so σ_w is 5 ft/s; a given 12 m/s makes it 1.2 m/s.
    // Below 10 ft (here under the ground) the 10 ft values hold.
    for (double h : {100.0, 500.0, 10.0}) {
        const double k = 0.177 + 0.000823 * h;
        const double at = h == 10.0 ? -3.0 : h * FT;
        ExpectScales(physics::DrydenScales(moderate, at), h / std::pow(k, 1.2), h, 5.0 / std::pow(k, 0.4), 5.0);
        EXPECT_NEAR(physics::DrydenScales({TurbulenceLevel::Moderate, 12.0, 1}, at).sw, 1.2, 1e-12);
    }
    // A third of the way from 10.1 ft/s at 7,500 ft to 8.0 ft/s at 15,000 ft.
    ExpectScales(physics::DrydenScales(moderate, 10000.0 * FT), 1750.0, 1750.0, 9.4, 9.4);
    // Halfway from the low forms at 1,000 ft (k = 1 there: L = 1,000 ft, σ = 5 ft/s) to 2,000 ft
    // (L = 1,750 ft, σ = 9.6 + (250 / 2,000) (10.6 - 9.6) = 9.725 ft/s).
    ExpectScales(physics::DrydenScales(moderate, 1500.0 * FT), 1375.0, 1375.0, 7.3625, 7.3625);
    // The other levels' rows at 20,000 ft, halfway between the 15,000 and 25,000 ft columns.
    EXPECT_NEAR(physics::DrydenScales({TurbulenceLevel::Light, -1.0, 1}, 20000.0 * FT).su, 3.65 * FT, 1e-12);
    EXPECT_NEAR(physics::DrydenScales({TurbulenceLevel::Severe, -1.0, 1}, 20000.0 * FT).sw, 21.05 * FT, 1e-12);
    const TurbulenceScales off = physics::DrydenScales({}, 300.0);
    EXPECT_EQ(off.su + off.sv + off.sw, 0.0);  // none is negative
    EXPECT_GT(off.lu, 0.0);
}

struct Measured {
    double u, uLag, v, p;  // u, v and p standard deviations over their intensities; u's correlation at lag T
};

// A straight flight through moderate turbulence at 5,000 m, fast enough that L_u / V = T = 2.5 s,
// a whole number of steps at 0.01 s and at 0.005 s, with wings of 2 m span.
//
// Over D s, the sample variance of a Gauss-Markov process of correlation time T has the relative
// variance 2T/D, so the sample standard deviation's relative standard error is √(T / 2D); the
// sample correlation at lag T has the variance (T/D)(1 - 3e⁻²) (the continuous form of Bartlett's
// for a first-order process), a standard error of 0.77 √(T/D). With D = 4,000 T = 10,000 s these
// are 1.1% and 0.012, so the ±5% and ±0.05 bands are 4.5 and 4.1 of them wide. The lateral gust's
// correlation (1 - τ/2T) e^(-τ/T) gives its standard deviation a smaller error still, 0.9%.
Measured Fly(double dt, uint64_t stream)
{
    constexpr double T = 2.5, DURATION = 4000.0 * T, SPAN = 2.0;
    const Turbulence turbulence{TurbulenceLevel::Moderate, -1.0, 11};
    const TurbulenceScales scales = physics::DrydenScales(turbulence, 5000.0);
    const double airspeed = scales.lu / T;
    const auto lag = static_cast<size_t>(std::lround(T / dt));
    const auto steps = static_cast<size_t>(std::lround(DURATION / dt));
    std::vector<double> last(lag);
    GustState gusts;
    double uu = 0.0, uLag = 0.0, vv = 0.0, pp = 0.0;
    for (size_t i = 0; i < steps; ++i) {
        physics::AdvanceGusts(gusts, turbulence, scales, airspeed, SPAN, dt, stream);
        const double u = gusts.linear[0];
        uu += u * u;
        vv += gusts.linear[1] * gusts.linear[1];
        pp += gusts.rate[0] * gusts.rate[0];
        if (i >= lag) {
            uLag += u * last[i % lag];
        }
        last[i % lag] = u;
    }
    const auto n = static_cast<double>(steps);
    const double sp = 1.9 * scales.sw / std::sqrt(scales.lw * SPAN);
    return {std::sqrt(uu / n) / scales.su, uLag / static_cast<double>(steps - lag) / (uu / n),
            std::sqrt(vv / n) / scales.sv, std::sqrt(pp / n) / sp};
}

TEST(Turbulence, LongFlightHoldsTheIntensitiesAndTheLongitudinalCorrelationAtEitherStep)
{
    for (double dt : {0.01, 0.005}) {
        const Measured m = Fly(dt, dt < 0.0075 ? 2 : 1);
        EXPECT_NEAR(m.u, 1.0, 0.05) << "dt " << dt;
        EXPECT_NEAR(m.uLag, std::exp(-1.0), 0.05) << "dt " << dt;
        EXPECT_NEAR(m.v, 1.0, 0.05) << "dt " << dt;
        EXPECT_NEAR(m.p, 1.0, 0.05) << "dt " << dt;
    }
}

// The gusts' outputs as bytes.
std::vector<unsigned char> Bytes(const GustState& g)
{
    std::vector<unsigned char> bytes(sizeof g.linear + sizeof g.rate);
    std::memcpy(bytes.data(), g.linear, sizeof g.linear);
    std::memcpy(bytes.data() + sizeof g.linear, g.rate, sizeof g.rate);
    return bytes;
}

TEST(Turbulence, DrawsRepeatForASeedAndStreamDifferForAnotherAndStopInStillAir)
{
    const Turbulence turbulence{TurbulenceLevel::Severe, -1.0, 5}, other{TurbulenceLevel::Severe, -1.0, 6};
    const TurbulenceScales scales = physics::DrydenScales(turbulence, 3000.0), calm = physics::DrydenScales({}, 3000.0);
    const std::vector<unsigned char> zero = Bytes(GustState{});
    GustState a, b, c, still;
    int differing = 0;
    for (int i = 0; i < 100; ++i) {
        physics::AdvanceGusts(a, turbulence, scales, 250.0, 3.0, 0.01, 4);
        physics::AdvanceGusts(b, turbulence, scales, 250.0, 3.0, 0.01, 4);
        physics::AdvanceGusts(c, other, scales, 250.0, 3.0, 0.01, 4);
        physics::AdvanceGusts(still, {}, calm, 250.0, 3.0, 0.01, 4);
        EXPECT_EQ(Bytes(a), Bytes(b)) << "step " << i;
        differing += Bytes(a) == Bytes(c) ? 0 : 1;
    }
    EXPECT_EQ(differing, 100);
    EXPECT_GE(a.draws, 600u) << "six numbers a step, a few more draws where one is refused";
    EXPECT_EQ(Bytes(still), zero);
    EXPECT_EQ(still.draws, 0u);
    // Gusty air calming to still gives still air's bytes at once, without drawing.
    const uint64_t drawn = a.draws;
    physics::AdvanceGusts(a, turbulence, calm, 250.0, 3.0, 0.01, 4);
    EXPECT_EQ(Bytes(a), zero);
    EXPECT_EQ(a.draws, drawn);
}

// The ziggurat's numbers are standard normal through each of its paths: the layers' rectangles,
// their wedges (about one number in 80, two draws or more) and the tail beyond 3.44 (one in 1,700).
TEST(Turbulence, ZigguratNumbersAreStandardNormal)
{
    constexpr int N = 2000000;
    uint64_t k = 0;
    double sum = 0.0, squares = 0.0;
    int beyond2 = 0, tail = 0;
    for (int i = 0; i < N; ++i) {
        const double x = physics::ZigguratNormal(physics::StreamKey(11, 3), k);
        sum += x;
        squares += x * x;
        beyond2 += std::fabs(x) > 2.0 ? 1 : 0;
        tail += std::fabs(x) > 3.442619855899 ? 1 : 0;
    }
    // Standard errors: mean 7e-4, variance 1e-3, P(|x| > 2) 1.5e-4 (0.3%), the tail 1.7e-5 (3%).
    EXPECT_NEAR(sum / N, 0.0, 0.003);
    EXPECT_NEAR(squares / N, 1.0, 0.004);
    EXPECT_NEAR(beyond2 / static_cast<double>(N), std::erfc(2.0 / std::sqrt(2.0)), 6e-4);
    EXPECT_NEAR(tail / static_cast<double>(N) / std::erfc(3.442619855899 / std::sqrt(2.0)), 1.0, 0.12);
    EXPECT_GT(k, static_cast<uint64_t>(N)) << "the wedges and the tail take further draws";
    EXPECT_LT(k, static_cast<uint64_t>(N) * 105 / 100);
}

}  // namespace
