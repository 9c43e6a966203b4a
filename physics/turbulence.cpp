#include "turbulence.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "random.h"

namespace physics {

namespace {

constexpr double FOOT = 0.3048;  // m
constexpr double PI = std::numbers::pi, SQRT3 = std::numbers::sqrt3, SQRT_HALF = std::numbers::sqrt2 / 2.0;

// The model's figures are in feet: the scales are worked out in ft and ft/s and converted last.
constexpr double LOW_FLOOR_FT = 10.0;     // the low-altitude model holds its 10 ft value below
constexpr double LOW_TOP_FT = 1000.0;     // the low-altitude model up to here
constexpr double HIGH_BASE_FT = 2000.0;   // the medium- and high-altitude model from here
constexpr double HIGH_SCALE_FT = 1750.0;  // every scale length above HIGH_BASE_FT

constexpr int COLUMNS = 12;
constexpr double COLUMN_FT[COLUMNS] = {500.0,   1750.0,  3750.0,  7500.0,  15000.0, 25000.0,
                                       35000.0, 45000.0, 55000.0, 65000.0, 75000.0, 80000.0};
// Intensity against altitude on the probability-of-exceedance curves 2×10^-1, 10^-1, 10^-2 (light),
// 10^-3 (moderate), 10^-4, 10^-5 (severe) and 10^-6, ft/s.
constexpr double SIGMA_FT_S[7][COLUMNS] = {
    {3.2, 2.2, 1.5, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0},
    {4.2, 3.6, 3.3, 1.6, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0},
    {6.6, 6.9, 7.4, 6.7, 4.6, 2.7, 0.4, 0.0, 0.0, 0.0, 0.0, 0.0},
    {8.6, 9.6, 10.6, 10.1, 8.0, 6.6, 5.0, 4.2, 2.7, 0.0, 0.0, 0.0},
    {11.8, 13.0, 16.0, 15.1, 11.6, 9.7, 8.1, 8.2, 7.9, 4.9, 3.2, 2.1},
    {15.6, 17.6, 23.0, 23.6, 22.1, 20.0, 16.0, 15.1, 12.1, 7.9, 6.2, 5.1},
    {18.7, 21.5, 28.4, 30.2, 30.7, 31.0, 25.2, 23.1, 17.5, 10.7, 8.4, 7.2},
};

// The level's row of SIGMA_FT_S and its usual wind at 20 ft, ft/s.
struct LevelFigures {
    int row;
    double w20;
};

LevelFigures FiguresOf(TurbulenceLevel level)
{
    switch (level) {
    case TurbulenceLevel::Light: return {2, 25.0};
    case TurbulenceLevel::Moderate: return {3, 50.0};
    case TurbulenceLevel::Severe: return {5, 75.0};
    case TurbulenceLevel::Off: break;
    }
    return {0, 0.0};
}

// The row's intensity at `altitude` ft, linear between the columns and held beyond the ends.
double TableSigma(int row, double altitude)
{
    const double* sigma = SIGMA_FT_S[row];
    if (altitude <= COLUMN_FT[0]) {
        return sigma[0];
    }
    for (int i = 1; i < COLUMNS; ++i) {
        if (altitude <= COLUMN_FT[i]) {
            double t = (altitude - COLUMN_FT[i - 1]) / (COLUMN_FT[i] - COLUMN_FT[i - 1]);
            return sigma[i - 1] + t * (sigma[i] - sigma[i - 1]);
        }
    }
    return sigma[COLUMNS - 1];
}

// The low-altitude scales at `h` ft for the wind `w20` ft/s at 20 ft, in ft and ft/s.
TurbulenceScales LowScales(double h, double w20)
{
    h = std::max(h, LOW_FLOOR_FT);
    double k = 0.177 + 0.000823 * h;
    double l = h / std::pow(k, 1.2), sw = 0.1 * w20, s = sw / std::pow(k, 0.4);
    return {l, l, h, s, s, sw};
}

// The medium- and high-altitude scales at `h` ft on the table's `row`, in ft and ft/s.
TurbulenceScales HighScales(double h, int row)
{
    double s = TableSigma(row, h);
    return {HIGH_SCALE_FT, HIGH_SCALE_FT, HIGH_SCALE_FT, s, s, s};
}

// Linear from `a` at t = 0 to `b` at t = 1.
TurbulenceScales Blend(const TurbulenceScales& a, const TurbulenceScales& b, double t)
{
    auto mix = [t](double x, double y) { return x + t * (y - x); };
    return {mix(a.lu, b.lu), mix(a.lv, b.lv), mix(a.lw, b.lw), mix(a.su, b.su), mix(a.sv, b.sv), mix(a.sw, b.sw)};
}

// `f` (ft and ft/s) in m and m/s.
TurbulenceScales Metres(const TurbulenceScales& f)
{
    return {f.lu * FOOT, f.lv * FOOT, f.lw * FOOT, f.su * FOOT, f.sv * FOOT, f.sw * FOOT};
}

// One step of a unit-variance Gauss-Markov state over c time constants, exact at any step.
double Markov(double x, double c, double noise)
{
    return std::exp(-c) * x + std::sqrt(-std::expm1(-2.0 * c)) * noise;
}

// One step of the two cascaded unit-time-constant stages over c time constants, exact at any step:
// the transition a [[1, 0], [c, 1]] and the noise of covariance P - Φ P Φᵀ by its Cholesky factor,
// where P = [[1, 1/2], [1/2, 1/2]] is the pair's stationary covariance.
void Cascade(double x[2], double c, double n1, double n2)
{
    double a = std::exp(-c), aa = a * a;
    double m = -std::expm1(-2.0 * c);  // 1 - a², accurate for small steps
    double q11 = m, q12 = 0.5 * m - aa * c, q22 = 0.5 * m - aa * (c * c + c);
    double l11 = std::sqrt(q11), l21 = q12 / l11;
    double l22 = std::sqrt(std::max(0.0, q22 - l21 * l21));  // a tiny negative is rounding
    double x1 = a * x[0] + l11 * n1;
    double x2 = a * (c * x[0] + x[1]) + l21 * n1 + l22 * n2;
    x[0] = x1;
    x[1] = x2;
}

// The cascade's gust of intensity `sigma`: the filter (1 + √3 T s) / (1 + T s)², of variance σ².
double CascadeOutput(const double x[2], double sigma)
{
    return sigma * SQRT_HALF * (SQRT3 * x[0] + (1.0 - SQRT3) * x[1]);
}

// The step's six draws in their fixed order: u, v's two stages, w's two, p.
void Draw(GustState& g, uint64_t seed, uint64_t stream, double n[6])
{
    for (int i = 0; i < 6; ++i) {
        n[i] = Normal(seed, stream, g.draws++);
    }
}

// Draws every filter from its stationary distribution, so the statistics hold from the first step.
void Start(GustState& g, const double n[6])
{
    g.u = n[0];
    g.v[0] = n[1];
    g.v[1] = 0.5 * (n[1] + n[2]);
    g.w[0] = n[3];
    g.w[1] = 0.5 * (n[3] + n[4]);
    g.p = n[5];
    g.started = true;
}

void Step(GustState& g, const TurbulenceScales& s, double airspeed, double span, double dt, const double n[6])
{
    double distance = airspeed * dt;
    g.u = Markov(g.u, distance / s.lu, n[0]);
    Cascade(g.v, distance / s.lv, n[1], n[2]);
    Cascade(g.w, distance / s.lw, n[3], n[4]);
    if (span > 0.0) {
        g.p = Markov(g.p, PI * distance / (4.0 * span), n[5]);
    }
}

// The pitch and yaw gusts from the step's change of the vertical and lateral gusts across the span:
// first-order lags of ẇ/V and -v̇/V, exact for the input held over the step.
void AdvanceRates(GustState& g, double w, double v, double airspeed, double span, double dt)
{
    double c = PI * airspeed * dt / span;
    double gq = -std::expm1(-c / 4.0), gr = -std::expm1(-c / 3.0);
    double wRate = (w - g.wLast) / dt, vRate = (v - g.vLast) / dt;
    g.q += gq * (wRate / airspeed - g.q);
    g.r += gr * (-vRate / airspeed - g.r);
}

}  // namespace

TurbulenceScales DrydenScales(const Turbulence& turbulence, double height)
{
    const LevelFigures level = FiguresOf(turbulence.level);
    if (turbulence.level == TurbulenceLevel::Off) {
        return Metres({HIGH_SCALE_FT, HIGH_SCALE_FT, HIGH_SCALE_FT, 0.0, 0.0, 0.0});
    }
    double h = height / FOOT;
    double w20 = turbulence.w20 >= 0.0 ? turbulence.w20 / FOOT : level.w20;
    if (h <= LOW_TOP_FT) {
        return Metres(LowScales(h, w20));
    }
    if (h >= HIGH_BASE_FT) {
        return Metres(HighScales(h, level.row));
    }
    double t = (h - LOW_TOP_FT) / (HIGH_BASE_FT - LOW_TOP_FT);
    return Metres(Blend(LowScales(LOW_TOP_FT, w20), HighScales(HIGH_BASE_FT, level.row), t));
}

void AdvanceGusts(GustState& gusts, const Turbulence& turbulence, const TurbulenceScales& scales,
                  double airspeed, double span, double dt, uint64_t stream)
{
    if (scales.su == 0.0 && scales.sv == 0.0 && scales.sw == 0.0) {
        // Still air to the byte, and the filters start afresh when the air moves again.
        GustState quiet;
        quiet.draws = gusts.draws;
        quiet.gustDistance = gusts.gustDistance;
        gusts = quiet;
        return;
    }
    bool moving = airspeed > 0.0 && dt > 0.0;
    bool starting = moving && !gusts.started;
    if (moving) {
        double n[6];
        Draw(gusts, turbulence.seed, stream, n);
        if (starting) {
            Start(gusts, n);
        } else {
            Step(gusts, scales, airspeed, span, dt, n);
        }
    }
    double v = CascadeOutput(gusts.v, scales.sv), w = CascadeOutput(gusts.w, scales.sw);
    if (span > 0.0 && moving && !starting) {
        AdvanceRates(gusts, w, v, airspeed, span, dt);
    }
    if (moving) {
        gusts.wLast = w;
        gusts.vLast = v;
    }
    gusts.linear[0] = scales.su * gusts.u;
    gusts.linear[1] = v;
    gusts.linear[2] = w;
    bool turning = span > 0.0;  // without a span there is no gradient across it
    gusts.rate[0] = turning ? 1.9 * scales.sw / std::sqrt(scales.lw * span) * gusts.p : 0.0;
    gusts.rate[1] = turning ? gusts.q : 0.0;
    gusts.rate[2] = turning ? gusts.r : 0.0;
}

}  // namespace physics
