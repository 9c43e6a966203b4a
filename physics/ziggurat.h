// Standard normal numbers from the counter-based generator by the ziggurat method: one draw of 64
// bits for almost every number, so that turbulence's many numbers a step stay cheap.
#pragma once

#include <cstdint>

#include <cmath>

#include "host/host_export.h"
#include "physics/random.h"

namespace physics {

/// Layers of equal area under the normal density's right half; the base layer holds the tail.
inline constexpr int ZIGGURAT_LAYERS = 128;

/// The layers' right edges (x[0] the base's equivalent width) and the share of each layer's width
/// inside the layer above, x[i + 1] / x[i]: a point there lies under the density for sure.
struct ZigguratTables {
    double x[ZIGGURAT_LAYERS + 1];
    double ratio[ZIGGURAT_LAYERS];
};

/// The tables, worked out when the library loads.
ZAPI_EXPORT extern const ZigguratTables ZIGGURAT;

/// The rare draw outside layer `layer`'s sure part, at `u` (-1 to 1) across it: its wedge or the
/// tail, from the draws `k`, `k` + 1, ... of the run keyed `key`; a standard normal number.
ZAPI_EXPORT double ZigguratEdge(uint64_t key, uint64_t& k, int layer, double u);

/// A standard normal number from the draws `k`, `k` + 1, ... of the run whose key is `key` (see
/// StreamKey); `k` is moved past the draws it took (one, but for about one number in 80).
inline double ZigguratNormal(uint64_t key, uint64_t& k)
{
    // The low 7 bits pick the layer, the top 53 a point across it from -x to x.
    const uint64_t bits = BitsAt(key, k++);
    const int layer = static_cast<int>(bits & (ZIGGURAT_LAYERS - 1));
    const double u = 2.0 * UniformOf(bits) - 1.0;
    if (std::fabs(u) < ZIGGURAT.ratio[layer]) {
        return u * ZIGGURAT.x[layer];
    }
    return ZigguratEdge(key, k, layer, u);
}

}  // namespace physics
