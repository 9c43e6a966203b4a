// A counter-based generator: the numbers of draw k of run i depend on (seed, i, k) alone, never on
// the order runs are flown in, the thread or the shard.
#pragma once

#include <cmath>
#include <cstdint>

namespace physics {

/// SplitMix64's finaliser: a bijective 64-bit mix.
inline uint64_t Mix(uint64_t x)
{
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

/// The key of run `run` under `seed`, which every draw of the run starts from.
inline uint64_t StreamKey(uint64_t seed, uint64_t run)
{
    return Mix(Mix(seed) + 0x9E3779B97F4A7C15ull * (run + 1));
}

/// The 64 random bits of draw `k` of the run whose key is `key`.
inline uint64_t BitsAt(uint64_t key, uint64_t k)
{
    return Mix(key + 0xD1B54A32D192ED03ull * (k + 1));
}

/// The 64 random bits of draw `k` of run `run` under `seed`.
inline uint64_t Bits(uint64_t seed, uint64_t run, uint64_t k)
{
    return BitsAt(StreamKey(seed, run), k);
}

/// A uniform number in (0, 1) from `bits`' top 53, never 0 or 1.
inline double UniformOf(uint64_t bits)
{
    return (static_cast<double>(bits >> 11) + 0.5) * 0x1.0p-53;
}

/// A uniform number in (0, 1) from draw `k` of run `run`: 53 random bits, never 0 or 1.
inline double Uniform(uint64_t seed, uint64_t run, uint64_t k)
{
    return UniformOf(Bits(seed, run, k));
}

/// A standard normal number from draws 2k and 2k + 1 of run `run` (Box-Muller).
inline double Normal(uint64_t seed, uint64_t run, uint64_t k)
{
    double u = Uniform(seed, run, 2 * k), v = Uniform(seed, run, 2 * k + 1);
    return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
}

}  // namespace physics
