#include "ziggurat.h"

namespace physics {

namespace {

// The base layer's edge, and each layer's area.
constexpr double R = 3.442619855899;
constexpr double V = 9.91256303526217e-3;

ZigguratTables MakeTables() noexcept
{
    ZigguratTables t{};
    double f = std::exp(-0.5 * R * R);
    t.x[0] = V / f;
    t.x[1] = R;
    t.x[ZIGGURAT_LAYERS] = 0.0;
    for (int i = 2; i < ZIGGURAT_LAYERS; ++i) {
        t.x[i] = std::sqrt(-2.0 * std::log(V / t.x[i - 1] + f));
        f = std::exp(-0.5 * t.x[i] * t.x[i]);
    }
    for (int i = 0; i < ZIGGURAT_LAYERS; ++i) {
        t.ratio[i] = t.x[i + 1] / t.x[i];
    }
    return t;
}

// A uniform number in (0, 1) from the next draw.
double Next(uint64_t key, uint64_t& k)
{
    return UniformOf(BitsAt(key, k++));
}

}  // namespace

const ZigguratTables ZIGGURAT = MakeTables();

double ZigguratEdge(uint64_t key, uint64_t& k, int layer, double u)
{
    for (;;) {
        if (layer == 0) {
            // The tail beyond R, by Marsaglia's method.
            double x = 0.0, y = 0.0;
            do {
                x = std::log(Next(key, k)) / R;
                y = std::log(Next(key, k));
            } while (-2.0 * y < x * x);
            return u < 0.0 ? x - R : R - x;
        }
        // The wedge between the layer's rectangle and the density.
        const double x = u * ZIGGURAT.x[layer];
        const double f0 = std::exp(-0.5 * (ZIGGURAT.x[layer] * ZIGGURAT.x[layer] - x * x));
        const double f1 = std::exp(-0.5 * (ZIGGURAT.x[layer + 1] * ZIGGURAT.x[layer + 1] - x * x));
        if (f1 + Next(key, k) * (f0 - f1) < 1.0) {
            return x;
        }
        // Refused: a fresh draw, which most often lands in its layer's sure part.
        const uint64_t bits = BitsAt(key, k++);
        layer = static_cast<int>(bits & (ZIGGURAT_LAYERS - 1));
        u = 2.0 * UniformOf(bits) - 1.0;
        if (std::fabs(u) < ZIGGURAT.ratio[layer]) {
            return u * ZIGGURAT.x[layer];
        }
    }
}

}  // namespace physics
