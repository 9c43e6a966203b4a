#include "turbulence.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "random.h"
#include "ziggurat.h"

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

// e^x - 1 for x <= 0.
double ExpMinusOne(double x)
{
    return x < -0.5 ? std::exp(x) - 1.0 : std::expm1(x);
}

// How a unit-variance Gauss-Markov state decays over c time constants: a = e^-c, 1 - a and the
// noise's gain sqrt(1 - a^2), all from e^-c - 1: expm1 keeps a short step's precision, and past
// half a time constant the quicker exp loses none.
struct Decay {
    double c, a, fall, m, gain;  // m = 1 - a^2
};

Decay DecayOver(double c)
{
    const double e = ExpMinusOne(-c), m = -e * (2.0 + e);
    return {c, 1.0 + e, -e, m, std::sqrt(m)};
}

// One step of a unit-variance Gauss-Markov state, exact at any step.
double Markov(double x, const Decay& d, double noise)
{
    return d.a * x + d.gain * noise;
}

// One step of the two cascaded unit-time-constant stages, exact at any step: the transition
// a [[1, 0], [c, 1]] and the noise of covariance P - Φ P Φᵀ by its Cholesky factor `l`, where
// P = [[1, 1/2], [1/2, 1/2]] is the pair's stationary covariance.
struct CascadeStep {
    double a, c, l11, l21, l22;
};

CascadeStep CascadeOver(const Decay& d)
{
    const double c = d.c, aa = d.a * d.a, m = d.m;
    const double q12 = 0.5 * m - aa * c, q22 = 0.5 * m - aa * (c * c + c);
    const double l21 = q12 / d.gain;
    return {d.a, c, d.gain, l21, std::sqrt(std::max(0.0, q22 - l21 * l21))};  // a tiny negative is rounding
}

void Cascade(double x[2], const CascadeStep& k, double n1, double n2)
{
    const double x1 = k.a * x[0] + k.l11 * n1;
    const double x2 = k.a * (k.c * x[0] + x[1]) + k.l21 * n1 + k.l22 * n2;
    x[0] = x1;
    x[1] = x2;
}

// The cascade's gust of intensity `sigma`: the filter (1 + √3 T s) / (1 + T s)², of variance σ².
double CascadeOutput(const double x[2], double sigma)
{
    return sigma * SQRT_HALF * (SQRT3 * x[0] + (1.0 - SQRT3) * x[1]);
}

// The step's six normal numbers in their fixed order: u, v's two stages, w's two, p.
void Draw(GustState& g, uint64_t seed, uint64_t stream, double n[6])
{
    const uint64_t key = StreamKey(seed, stream);
    for (int i = 0; i < 6; ++i) {
        n[i] = ZigguratNormal(key, g.draws);
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

// One step of the linear filters and of the roll filter, whose decay is returned (the pitch gust's
// lag has the same time constant). Equal scale lengths (every one above 2,000 ft) share a decay.
Decay Step(GustState& g, const TurbulenceScales& s, double airspeed, double span, double dt, const double n[6])
{
    const double distance = airspeed * dt;
    const Decay du = DecayOver(distance / s.lu);
    const CascadeStep kv = CascadeOver(s.lv == s.lu ? du : DecayOver(distance / s.lv));
    const CascadeStep kw = s.lw == s.lv ? kv : CascadeOver(s.lw == s.lu ? du : DecayOver(distance / s.lw));
    g.u = Markov(g.u, du, n[0]);
    Cascade(g.v, kv, n[1], n[2]);
    Cascade(g.w, kw, n[3], n[4]);
    Decay dp{};
    if (span > 0.0) {
        dp = DecayOver(PI * distance / (4.0 * span));
        g.p = Markov(g.p, dp, n[5]);
    }
    return dp;
}

// The pitch and yaw gusts from the step's change of the vertical and lateral gusts across the span:
// first-order lags of ẇ/V (time constant 4b/πV, the roll filter's: its decay `dp`) and of -v̇/V
// (3b/πV), exact for the input held over the step.
void AdvanceRates(GustState& g, const Decay& dp, double w, double v, double airspeed, double span, double dt)
{
    const double gr = -ExpMinusOne(-PI * airspeed * dt / (3.0 * span));
    const double perMetre = 1.0 / (airspeed * dt);  // ẇ/V is the change over the distance flown
    g.q += dp.fall * ((w - g.wLast) * perMetre - g.q);
    g.r += gr * (-(v - g.vLast) * perMetre - g.r);
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
    Decay roll{};
    if (moving) {
        double n[6];
        Draw(gusts, turbulence.seed, stream, n);
        if (starting) {
            Start(gusts, n);
        } else {
            roll = Step(gusts, scales, airspeed, span, dt, n);
        }
    }
    double v = CascadeOutput(gusts.v, scales.sv), w = CascadeOutput(gusts.w, scales.sw);
    if (span > 0.0 && moving && !starting) {
        AdvanceRates(gusts, roll, w, v, airspeed, span, dt);
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
